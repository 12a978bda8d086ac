#include "codecs/ImageFormat.h"

#include <array>
#include <cctype>
#include <cstring>

#include "codecs/bmp/BmpCodec.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/heif/HeifCodec.h"
#include "codecs/ico/IcoCodec.h"
#include "codecs/jpeg/JpegCodec.h"
#include "codecs/jxl/JxlCodec.h"
#include "codecs/png/PngCodec.h"
#include "codecs/tga/TgaCodec.h"
#include "codecs/tiff/TiffCodec.h"
#include "codecs/webp/WebpCodec.h"

namespace stampora {

namespace {

bool StartsWith(const uint8_t* head, size_t size, const char* signature, size_t length) {
    return size >= length && std::memcmp(head, signature, length) == 0;
}

bool IsPng(const uint8_t* head, size_t size) {
    return StartsWith(head, size, "\x89PNG\r\n\x1a\n", 8);
}
bool IsJpeg(const uint8_t* head, size_t size) {
    return StartsWith(head, size, "\xFF\xD8\xFF", 3);
}
bool IsGif(const uint8_t* head, size_t size) {
    return StartsWith(head, size, "GIF87a", 6) || StartsWith(head, size, "GIF89a", 6);
}
bool IsTiff(const uint8_t* head, size_t size) {
    return StartsWith(head, size, "II*\0", 4) || StartsWith(head, size, "MM\0*", 4);
}
bool IsBmp(const uint8_t* head, size_t size) {
    return StartsWith(head, size, "BM", 2);
}
bool IsIcon(const uint8_t* head, size_t size) {
    return StartsWith(head, size, "\0\0\1\0", 4);
}
bool IsWebp(const uint8_t* head, size_t size) {
    return size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WEBP", 4) == 0;
}
bool IsJxl(const uint8_t* head, size_t size) {
    return StartsWith(head, size, "\xFF\x0A", 2) || StartsWith(head, size, "\0\0\0\x0CJXL \r\n\x87\n", 12);
}
// An ISO media file's major brand, after its "ftyp" box type; empty for
// anything else.
std::string MediaBrand(const uint8_t* head, size_t size) {
    if (size < 12 || std::memcmp(head + 4, "ftyp", 4) != 0) return {};
    return std::string(reinterpret_cast<const char*>(head) + 8, 4);
}
bool IsAvif(const uint8_t* head, size_t size) {
    const std::string brand = MediaBrand(head, size);
    return brand == "avif" || brand == "avis";
}
// Both kinds are read by one reader, so a brand shared by the two (mif1,
// msf1) only decides the name.
bool IsHeif(const uint8_t* head, size_t size) {
    const std::string brand = MediaBrand(head, size);
    return brand == "heic" || brand == "heix" || brand == "heim" || brand == "heis" || brand == "hevc" ||
           brand == "hevx" || brand == "mif1" || brand == "msf1";
}

template <typename Codec>
std::unique_ptr<CImageCodec> Make() {
    return std::make_unique<Codec>();
}
template <ImageFormat kind>
std::unique_ptr<CImageCodec> MakeHeif() {
    return std::make_unique<CHeifCodec>(kind);
}

constexpr uint32_t kExifXmpIptcIcc = kRoomExif | kRoomXmp | kRoomIptc | kRoomIccProfile;

// The batch dialog shows the type boxes in this order.
const FormatEntry kFormats[] = {
    {.id = FormatJpeg,
     .name = "JPEG",
     .extensions = ".jpg.jpeg.jpe",
     .recognises = IsJpeg,
     .makeCodec = Make<CJpegCodec>,
     .reads = true,
     .writes = true,
     .carries = kExifXmpIptcIcc | kRoomComment | kRoomResolution,
     .mimeTypes = "image/jpeg;",
     .dialogLabel = "JPEG Image File",
     .dialogRank = 1,
     .typeBoxLabel = "JPG/JPEG",
     .typeBoxId = 1014},
    {.id = FormatBmp,
     .name = "BMP",
     .extensions = ".bmp.dib.rle",
     .recognises = IsBmp,
     .makeCodec = Make<CBmpCodec>,
     .reads = true,
     .writes = true,
     .mimeTypes = "image/bmp;image/x-bmp;image/x-ms-bmp;",
     .dialogLabel = "Windows Bitmap",
     .dialogRank = 4,
     .typeBoxLabel = "BMP",
     .typeBoxId = 1015},
    {.id = FormatPng,
     .name = "PNG",
     .extensions = ".png",
     .recognises = IsPng,
     .makeCodec = Make<CPngCodec>,
     .reads = true,
     .writes = true,
     .carries = kExifXmpIptcIcc | kRoomTextChunks | kRoomColour | kRoomResolution,
     .mimeTypes = "image/png;",
     .dialogLabel = "Portable Network Graphics",
     .dialogRank = 3,
     .typeBoxLabel = "PNG",
     .typeBoxId = 1020},
    {.id = FormatGif,
     .name = "GIF",
     .extensions = ".gif",
     .recognises = IsGif,
     .makeCodec = Make<CGifCodec>,
     .reads = true,
     .writes = true,
     .carries = kRoomComment,
     .mimeTypes = "image/gif;",
     .dialogLabel = "Graphics Interchange Format",
     .dialogRank = 2,
     .typeBoxLabel = "GIF",
     .typeBoxId = 1016},
    {.id = FormatTga,
     .name = "TGA",
     .extensions = ".tga",
     .makeCodec = Make<CTgaCodec>,
     .reads = true,
     .writes = true,
     .mimeTypes = "image/x-tga;image/x-targa;",
     .dialogLabel = "Targa",
     .dialogRank = 5,
     .typeBoxLabel = "TGA",
     .typeBoxId = 1017},
    {.id = FormatTiff,
     .name = "TIFF",
     .extensions = ".tif.tiff",
     .recognises = IsTiff,
     .makeCodec = Make<CTiffCodec>,
     .reads = true,
     .writes = true,
     .carries = kExifXmpIptcIcc | kRoomResolution,
     .mimeTypes = "image/tiff;",
     .dialogLabel = "Tagged Image File Format",
     .typeBoxLabel = "TIFF",
     .typeBoxId = 1021},
    {.id = FormatIco,
     .name = "ICO",
     .extensions = ".ico",
     .recognises = IsIcon,
     .weakSignature = true,
     .makeCodec = Make<CIcoCodec>,
     .reads = true,
     .mimeTypes = "image/x-icon;image/vnd.microsoft.icon;",
     .dialogLabel = "Windows Icon"},
    {.id = FormatWebp,
     .name = "WebP",
     .extensions = ".webp",
     .recognises = IsWebp,
     .makeCodec = Make<CWebpCodec>,
     .reads = true,
     .writes = true,
     .carries = kRoomExif | kRoomXmp | kRoomIccProfile,
     .mimeTypes = "image/webp;",
     .dialogLabel = "WebP Image",
     .typeBoxLabel = "WebP",
     .typeBoxId = 1101},
    {.id = FormatHeif,
     .name = "HEIF",
     .extensions = ".heic.heif.hif",
     .recognises = IsHeif,
     .makeCodec = MakeHeif<FormatHeif>,
     .reads = true,
     .writes = true,
     .carries = kRoomExif | kRoomXmp | kRoomIccProfile,
     .mimeTypes = "image/heic;image/heif;",
     .dialogLabel = "HEIF Image",
     .typeBoxLabel = "HEIC",
     .typeBoxId = 1102},
    {.id = FormatAvif,
     .name = "AVIF",
     .extensions = ".avif",
     .recognises = IsAvif,
     .makeCodec = MakeHeif<FormatAvif>,
     .reads = true,
     .writes = true,
     .carries = kRoomExif | kRoomXmp | kRoomIccProfile,
     .mimeTypes = "image/avif;",
     .dialogLabel = "AVIF Image",
     .typeBoxLabel = "AVIF",
     .typeBoxId = 1103},
    {.id = FormatJxl,
     .name = "JPEG XL",
     .extensions = ".jxl",
     .recognises = IsJxl,
     .makeCodec = Make<CJxlCodec>,
     .reads = true,
     .writes = true,
     .carries = kRoomExif | kRoomXmp | kRoomIccProfile,
     .mimeTypes = "image/jxl;",
     .dialogLabel = "JPEG XL Image",
     .typeBoxLabel = "JPEG XL",
     .typeBoxId = 1104},
};

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// True when `extension` (lower case) is one of the dotted list's entries.
bool ListHas(const char* list, const std::string& extension) {
    const size_t length = std::strlen(list);
    for (const char* at = std::strchr(list, '.'); at != nullptr;) {
        const char* next = std::strchr(at + 1, '.');
        const size_t end = next == nullptr ? length : static_cast<size_t>(next - list);
        const size_t start = static_cast<size_t>(at - list) + 1;
        if (extension.compare(0, std::string::npos, list + start, end - start) == 0) return true;
        at = next;
    }
    return false;
}

}  // namespace

std::span<const FormatEntry> AllFormats() {
    return kFormats;
}

const FormatEntry* FindFormat(ImageFormat format) {
    for (const FormatEntry& entry : kFormats) {
        if (entry.id == format) return &entry;
    }
    return nullptr;
}

ImageFormat FormatFromExtension(const std::string& extension) {
    if (extension.empty()) return FormatUnknown;
    const std::string lowered = Lowered(extension);
    for (const FormatEntry& entry : kFormats) {
        if (ListHas(entry.extensions, lowered)) return entry.id;
    }
    return FormatUnknown;
}

ImageFormat FormatFromPath(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return FormatUnknown;
    return FormatFromExtension(path.substr(dot + 1));
}

ImageFormat FormatFromSignature(const uint8_t* head, size_t size) {
    if (head == nullptr) return FormatUnknown;
    for (const FormatEntry& entry : kFormats) {
        if (entry.recognises != nullptr && entry.recognises(head, size)) return entry.id;
    }
    return FormatUnknown;
}

ImageFormat FormatForReading(const std::string& path, const uint8_t* head, size_t size) {
    const ImageFormat byExtension = FormatFromPath(path);
    const ImageFormat bySignature = FormatFromSignature(head, size);
    if (bySignature == FormatUnknown) return byExtension;
    const FormatEntry* named = FindFormat(byExtension);
    if (FindFormat(bySignature)->weakSignature && named != nullptr && named->recognises == nullptr)
        return byExtension;
    return bySignature;
}

}  // namespace stampora
