#include "codecs/ImageFormat.h"

#include <cctype>
#include <cstring>

namespace stampora {

ImageFormat FormatFromPath(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return FormatUnknown;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

    static const struct {
        const char* extension;
        ImageFormat format;
    } kTable[] = {
        {"bmp", FormatBmp},  {"pcx", FormatPcx},   {"jpg", FormatJpeg},  {"jpeg", FormatJpeg},
        {"gif", FormatGif},  {"tga", FormatTga},   {"tif", FormatTiff},  {"tiff", FormatTiff},
        {"png", FormatPng},  {"psd", FormatPsd},   {"ico", FormatIco},   {"xpm", FormatXpm},
        {"qrv", FormatQrv},  {"webp", FormatWebp}, {"heic", FormatHeif}, {"heif", FormatHeif},
        {"hif", FormatHeif}, {"avif", FormatAvif}, {"jxl", FormatJxl},
    };
    for (const auto& entry : kTable) {
        if (ext == entry.extension) return entry.format;
    }
    return FormatUnknown;
}

ImageFormat FormatFromSignature(const uint8_t* head, size_t size) {
    if (head == nullptr) return FormatUnknown;
    const auto startsWith = [&](const char* signature, size_t length) {
        return size >= length && std::memcmp(head, signature, length) == 0;
    };
    if (startsWith("\x89PNG\r\n\x1a\n", 8)) return FormatPng;
    if (startsWith("\xFF\xD8\xFF", 3)) return FormatJpeg;
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6)) return FormatGif;
    if (startsWith("II*\0", 4) || startsWith("MM\0*", 4)) return FormatTiff;
    if (startsWith("BM", 2)) return FormatBmp;
    if (startsWith("\0\0\1\0", 4)) return FormatIco;
    if (size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WEBP", 4) == 0)
        return FormatWebp;
    if (startsWith("\xFF\x0A", 2) || startsWith("\0\0\0\x0CJXL \r\n\x87\n", 12)) return FormatJxl;
    if (size >= 12 && std::memcmp(head + 4, "ftyp", 4) == 0) {
        // The major brand; both kinds are read by one reader, so a brand
        // shared by the two (mif1, msf1) only decides the name.
        const std::string brand(reinterpret_cast<const char*>(head) + 8, 4);
        if (brand == "avif" || brand == "avis") return FormatAvif;
        if (brand == "heic" || brand == "heix" || brand == "heim" || brand == "heis" || brand == "hevc" ||
            brand == "hevx" || brand == "mif1" || brand == "msf1")
            return FormatHeif;
    }
    return FormatUnknown;
}

ImageFormat FormatForReading(const std::string& path, const uint8_t* head, size_t size) {
    const ImageFormat byExtension = FormatFromPath(path);
    const ImageFormat bySignature = FormatFromSignature(head, size);
    if (bySignature == FormatUnknown) return byExtension;
    if (bySignature == FormatIco && byExtension == FormatTga) return FormatTga;
    return bySignature;
}

}  // namespace stampora
