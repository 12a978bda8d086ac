#pragma once
// The filters of the picture file chooser, in order: JPEG first (and
// selected), then GIF, PNG, Windows Bitmap, Targa and all files. Patterns
// match regardless of letter case.
#include <QString>

inline QString PictureFileFilters() {
    return QStringLiteral(
        "JPEG Image File (*.JPG *.JPEG *.JPE);;"
        "Graphics Interchange Format (*.GIF);;"
        "Portable Network Graphics (*.PNG);;"
        "Windows Bitmap (*.BMP *.DIB *.RLE);;"
        "Targa (*.TGA);;"
        "All Files (*)");
}
