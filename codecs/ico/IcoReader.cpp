#include <memory>
#include <string>

#include "codecs/DecodeLimits.h"
#include "codecs/ImageFormat.h"
#include "codecs/ico/IcoCodec.h"
#include "codecs/ico/Ico_pvt.h"
#include "codecs/png/PngCodec.h"
#include "image/LittleEndian.h"

namespace stampora {

namespace {

constexpr size_t kDirectoryHeaderBytes = 6;
constexpr size_t kEntryBytes = 16;
constexpr uint16_t kIconType = 1;
constexpr uint16_t kCursorType = 2;

// Decodes one directory entry's image and appends it; false when it gives none.
bool ReadEntry(const uint8_t* image, size_t bytes, ImageList& images) {
    if (FormatFromSignature(image, bytes) == FormatPng) {
        CPngCodec png;
        PropertiesSlot ignored;
        return png.LoadMemory(image, bytes, images, ignored);
    }
    auto picture = std::make_unique<CRasterImage>();
    if (!ReadIconDib(image, bytes, *picture)) return false;
    images.Append(std::move(picture));
    return true;
}

}  // namespace

bool CIcoCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = {};
    if (data == nullptr || size < kDirectoryHeaderBytes)
        return status.Fail(Domain::Read, "the file is too short for an icon");
    const uint16_t type = LoadLE16(data + 2);
    if (LoadLE16(data) != 0 || (type != kIconType && type != kCursorType))
        return status.Fail(Domain::Read, "not an icon file");
    const size_t count = LoadLE16(data + 4);
    if (count == 0) return status.Fail(Domain::Read, "the icon directory is empty");
    if ((size - kDirectoryHeaderBytes) / kEntryBytes < count)
        return status.Fail(Domain::Read, "the icon directory is cut short");

    int64_t budget = kMaxDecodedPixels;
    size_t read = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + kDirectoryHeaderBytes + i * kEntryBytes;
        const uint32_t bytes = LoadLE32(entry + 8);
        const uint32_t offset = LoadLE32(entry + 12);
        if (bytes == 0 || offset >= size) continue;
        // Some writers overstate the size of the last image; take what is there.
        const size_t available = std::min<size_t>(bytes, size - offset);
        const size_t before = images.Size();
        if (!ReadEntry(data + offset, available, images)) continue;
        const CRasterImage* added = images.At(before);
        budget -= static_cast<int64_t>(added->Width()) * added->Height();
        ++read;
        if (budget < 0) break;
    }
    if (read == 0)
        return status.Fail(Domain::Read,
                           "none of the icon's " + std::to_string(count) + " images could be read");
    properties = std::make_unique<CImageProperties>();
    return true;
}

}  // namespace stampora
