#include "codecs/ImageFormat.h"

#include <cctype>
#include <cstring>

ImageFormat FormatFromPath(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return FormatUnknown;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

    static const struct {
        const char* extension;
        ImageFormat format;
    } kTable[] = {
        {"bmp", FormatBmp}, {"pcx", FormatPcx}, {"jpg", FormatJpeg}, {"jpeg", FormatJpeg},
        {"gif", FormatGif}, {"tga", FormatTga}, {"tif", FormatTiff}, {"tiff", FormatTiff},
        {"png", FormatPng}, {"psd", FormatPsd}, {"ico", FormatIco}, {"xpm", FormatXpm},
        {"qrv", FormatQrv},
    };
    for (const auto& entry : kTable) {
        if (ext == entry.extension) return entry.format;
    }
    return FormatUnknown;
}
