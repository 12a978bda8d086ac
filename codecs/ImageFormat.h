#pragma once
#include <string>

// File formats chosen by a path's extension.
enum ImageFormat : int {
    FormatUnknown = 0,
    FormatBmp = 1,
    FormatPcx = 2,
    FormatJpeg = 3,
    FormatGif = 4,
    FormatTga = 5,
    FormatTiff = 6,
    FormatPng = 7,
    FormatPsd = 8,
    FormatIco = 9,
    FormatXpm = 10,
    FormatQrv = 11,
};

// The text after the last '.', lower-cased byte by byte, looked up exactly.
ImageFormat FormatFromPath(const std::string& path);
