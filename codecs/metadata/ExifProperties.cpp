#include "codecs/metadata/ExifProperties.h"

#include <cstdlib>
#include <cstring>
#include <exiv2/exiv2.hpp>
#include <string>

#include "codecs/metadata/ExivLog.h"
#include "image/LittleEndian.h"

namespace stampora {

namespace {

bool IsPictureGroup(const std::string& group) {
    return group == "Image" || group == "Photo" || group == "GPSInfo";
}

// The text form of one item, or false when its type or count has none.
bool ItemText(const Exiv2::Exifdatum& item, std::string& text) {
    const long bytes = item.size();
    if (bytes <= 0) return false;
    std::vector<uint8_t> raw(static_cast<size_t>(bytes));
    if (item.copy(raw.data(), Exiv2::littleEndian) != bytes) return false;
    const size_t n = raw.size();
    switch (item.typeId()) {
        case Exiv2::asciiString: {
            const auto* chars = reinterpret_cast<const char*>(raw.data());
            text.assign(chars, strnlen(chars, n));
            return true;
        }
        case Exiv2::unsignedShort:
            if (n != 2) return false;
            text = std::to_string(LoadLE16(raw.data()));
            return true;
        case Exiv2::unsignedLong:
            if (n != 4) return false;
            text = std::to_string(LoadLE32(raw.data()));
            return true;
        case Exiv2::unsignedRational:
            if (n != 8) return false;
            text = std::to_string(LoadLE32(raw.data())) + "/" + std::to_string(LoadLE32(raw.data() + 4));
            return true;
        case Exiv2::signedRational:
            if (n != 8) return false;
            text = std::to_string(static_cast<int32_t>(LoadLE32(raw.data()))) + "/" +
                   std::to_string(static_cast<int32_t>(LoadLE32(raw.data() + 4)));
            return true;
        default:
            return false;
    }
}

enum class ItemType { Ascii, Short, Rational, SignedRational };

struct CarriedItem {
    ExifTag tag;
    const char* group;
    ItemType type;
};

constexpr CarriedItem kCarriedItems[] = {
    {ExifTag::Make, "Image", ItemType::Ascii},
    {ExifTag::Model, "Image", ItemType::Ascii},
    {ExifTag::DateTimeOriginal, "Photo", ItemType::Ascii},
    {ExifTag::ExposureTime, "Photo", ItemType::Rational},
    {ExifTag::FNumber, "Photo", ItemType::Rational},
    {ExifTag::FocalLength, "Photo", ItemType::Rational},
    {ExifTag::IsoSpeed, "Photo", ItemType::Short},
    {ExifTag::ExposureBias, "Photo", ItemType::SignedRational},
    {ExifTag::MaxAperture, "Photo", ItemType::Rational},
    {ExifTag::Flash, "Photo", ItemType::Short},
    {ExifTag::MeteringMode, "Photo", ItemType::Short},
    {ExifTag::ExposureProgram, "Photo", ItemType::Short},
};

// Reads the text's leading integer like strtol, then keeps the low bits as
// the item's field width does.
long long LeadingInteger(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

void AddCarriedItem(Exiv2::ExifData& exif, const CarriedItem& item, const std::string& text) {
    const Exiv2::ExifKey key(static_cast<uint16_t>(item.tag), item.group);
    switch (item.type) {
        case ItemType::Ascii: {
            Exiv2::AsciiValue value(text);
            exif.add(key, &value);
            return;
        }
        case ItemType::Short: {
            Exiv2::UShortValue value(static_cast<uint16_t>(LeadingInteger(text)));
            exif.add(key, &value);
            return;
        }
        case ItemType::Rational:
        case ItemType::SignedRational: {
            const size_t slash = text.find('/');
            if (slash == std::string::npos) return;
            const long long numerator = LeadingInteger(text.substr(0, slash));
            const long long denominator = LeadingInteger(text.substr(slash + 1));
            if (item.type == ItemType::Rational) {
                Exiv2::URationalValue value(
                    {static_cast<uint32_t>(numerator), static_cast<uint32_t>(denominator)});
                exif.add(key, &value);
            } else {
                Exiv2::RationalValue value(
                    {static_cast<int32_t>(numerator), static_cast<int32_t>(denominator)});
                exif.add(key, &value);
            }
            return;
        }
    }
}

bool CarriedExif(const CImageProperties& properties, Exiv2::ExifData& exif) {
    for (const CarriedItem& item : kCarriedItems) {
        if (properties.exif.Has(item.tag)) AddCarriedItem(exif, item, properties.exif.Text(item.tag));
    }
    return !exif.empty();
}

}  // namespace

bool ReadExifBlock(const uint8_t* data, size_t size, CImageProperties& properties) {
    if (data == nullptr || size < 8 || size > UINT32_MAX) return false;
    PrepareExiv();
    bool any = false;
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, data, static_cast<uint32_t>(size));
        for (const Exiv2::Exifdatum& item : exif) {
            std::string text;
            if (!IsPictureGroup(item.groupName()) || !ItemText(item, text)) continue;
            const auto tag = static_cast<ExifTag>(item.tag());
            if (tag == ExifTag::Orientation)
                properties.orientation = static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
            else
                properties.exif.Set(tag, text);
            any = true;
        }
    } catch (...) {
        // A broken block keeps the items added before the break.
    }
    return any;
}

bool BuildExifBlock(const CImageProperties& properties, std::vector<uint8_t>& block) {
    block.clear();
    PrepareExiv();
    try {
        Exiv2::ExifData exif;
        if (!CarriedExif(properties, exif)) return false;
        Exiv2::Blob blob;
        Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
        block.assign(blob.begin(), blob.end());
    } catch (...) {
        block.clear();
    }
    return !block.empty();
}

bool AddExifToTiffFile(std::vector<uint8_t>& file, const CImageProperties& properties) {
    PrepareExiv();
    try {
        Exiv2::ExifData exif;
        if (!CarriedExif(properties, exif)) return false;
            // The image object comes as exiv2's own owning pointer type; it is
            // taken over at once and never copied.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        auto image = Exiv2::ImageFactory::open(file.data(), static_cast<long>(file.size()));
#pragma GCC diagnostic pop
        if (image.get() == nullptr) return false;
        image->readMetadata();
        Exiv2::ExifData& target = image->exifData();
        for (const Exiv2::Exifdatum& item : exif) target[item.key()] = item.value();
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        const long bytes = io.size();
        if (bytes <= 0 || io.open() != 0) return false;
        std::vector<uint8_t> rewritten(static_cast<size_t>(bytes));
        const long read = io.read(rewritten.data(), bytes);
        io.close();
        if (read != bytes) return false;
        file.swap(rewritten);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace stampora
