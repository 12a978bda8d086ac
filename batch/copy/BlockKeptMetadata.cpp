#include "batch/copy/BlockKeptMetadata.h"

#include <cstring>
#include <exception>
#include <exiv2/exiv2.hpp>
#include <string_view>

#include "codecs/metadata/ExivLog.h"

namespace stampora {

namespace {

constexpr uint8_t kApp0 = 0xE0, kApp1 = 0xE1, kApp2 = 0xE2, kApp14 = 0xEE, kComment = 0xFE;
constexpr std::string_view kExif("Exif\0\0", 6);
constexpr std::string_view kXmp("http://ns.adobe.com/xap/1.0/\0", 29);
constexpr std::string_view kExtendedXmp("http://ns.adobe.com/xmp/extension/\0", 35);
constexpr std::string_view kIcc("ICC_PROFILE\0", 12);
constexpr std::string_view kMultiPicture("MPF\0", 4);
constexpr std::string_view kJfif("JFIF\0", 5);
constexpr std::string_view kJfifExtension("JFXX\0", 5);
constexpr std::string_view kAdobe("Adobe", 5);
// A segment's length counts itself (2 bytes) and holds at most 65535.
constexpr size_t kMostSegmentBody = 65533;

bool StartsWith(const uint8_t* data, size_t size, std::string_view prefix) {
    return size >= prefix.size() && std::memcmp(data, prefix.data(), prefix.size()) == 0;
}

template <typename Data>
bool EraseLocation(Data& data) {
    bool erased = false;
    for (auto item = data.begin(); item != data.end();) {
        if (IsLocationKey(item->key())) {
            item = data.erase(item);
            erased = true;
        } else {
            ++item;
        }
    }
    return erased;
}

// One segment of the output: its marker and body (without the length).
struct Segment {
    uint8_t marker = 0;
    std::vector<uint8_t> body;
};

void Put(std::vector<Segment>& kept, uint8_t marker, std::string_view head, const uint8_t* data,
         size_t size) {
    Segment segment{marker, std::vector<uint8_t>(head.begin(), head.end())};
    segment.body.insert(segment.body.end(), data, data + size);
    kept.push_back(std::move(segment));
}

// The EXIF narrowed to the level: false (with the reason) when it must
// change and cannot be read or written again.
bool NarrowExif(const uint8_t* tiff, size_t size, MetadataKept kept, std::vector<Segment>& out,
                Status& status) {
    const bool keepAll = kept == MetadataKept::All || kept == MetadataKept::NoGps;
    try {
        Exiv2::ExifData exif;
        const Exiv2::ByteOrder order = Exiv2::ExifParser::decode(exif, tiff, static_cast<uint32_t>(size));
        bool changed = false;
        if (Exiv2::ExifThumbC(exif).mimeType()[0] != '\0') {
            Exiv2::ExifThumb(exif).erase();
            changed = true;
        }
        if (kept == MetadataKept::NoGps) changed = EraseLocation(exif) || changed;
        if (!keepAll) {
            Exiv2::ExifData narrowed;
            for (const Exiv2::Exifdatum& item : exif) {
                const bool turned = item.key() == "Exif.Image.Orientation" && item.toLong() != 1;
                if (turned || (kept == MetadataKept::Essential && IsResolutionKey(item.key())))
                    narrowed.add(item);
            }
            exif = narrowed;
            changed = true;
        }
        if (!changed) {
            Put(out, kApp1, kExif, tiff, size);
            return true;
        }
        if (exif.empty()) return true;
        // Written over a copy of the source's block where it fits (exiv2
        // then changes that copy in place), else as a new block.
        Exiv2::Blob blob;
        std::vector<uint8_t> copy(tiff, tiff + size);
        if (!keepAll) {
            Exiv2::ExifParser::encode(blob, order, exif);
        } else if (Exiv2::ExifParser::encode(blob, copy.data(), static_cast<uint32_t>(copy.size()), order,
                                             exif) == Exiv2::wmNonIntrusive) {
            blob.assign(copy.begin(), copy.end());
        }
        if (blob.empty() || blob.size() > kMostSegmentBody - kExif.size()) {
            return status.Fail(Domain::Metadata, "the EXIF could not be written again");
        }
        Put(out, kApp1, kExif, blob.data(), blob.size());
        return true;
    } catch (const std::exception& error) {
        if (kept == MetadataKept::All) {
            // Kept whole: its thumbnail cannot be told apart from the rest.
            Put(out, kApp1, kExif, tiff, size);
            return true;
        }
        return status.Fail(Domain::Metadata, std::string("the EXIF could not be read: ") + error.what());
    }
}

// The XMP packet without its location tags.
bool XmpWithoutLocation(const uint8_t* packet, size_t size, std::vector<Segment>& out, Status& status) {
    try {
        Exiv2::XmpData xmp;
        if (Exiv2::XmpParser::decode(xmp, std::string(reinterpret_cast<const char*>(packet), size)) != 0) {
            return status.Fail(Domain::Metadata, "the XMP could not be read");
        }
        if (!EraseLocation(xmp)) {
            Put(out, kApp1, kXmp, packet, size);
            return true;
        }
        if (xmp.empty()) return true;
        std::string written;
        if (Exiv2::XmpParser::encode(written, xmp) != 0 || written.size() > kMostSegmentBody - kXmp.size()) {
            return status.Fail(Domain::Metadata, "the XMP could not be written again");
        }
        Put(out, kApp1, kXmp, reinterpret_cast<const uint8_t*>(written.data()), written.size());
        return true;
    } catch (const std::exception& error) {
        return status.Fail(Domain::Metadata, std::string("the XMP could not be read: ") + error.what());
    }
}

// What becomes of one segment; false (with the reason) when it cannot be
// narrowed.
bool Narrow(uint8_t marker, const uint8_t* data, size_t size, MetadataKept kept, std::vector<Segment>& out,
            Status& status) {
    const bool everything = kept == MetadataKept::All || kept == MetadataKept::NoGps;
    const auto starts = [&](std::string_view prefix) { return StartsWith(data, size, prefix); };
    if (marker == kApp0 && starts(kJfif)) return Put(out, marker, {}, data, size), true;
    if (marker == kApp14 && starts(kAdobe)) return Put(out, marker, {}, data, size), true;
    if (marker == kApp0 && starts(kJfifExtension)) return true;
    if (marker == kApp2 && starts(kMultiPicture)) return true;
    if (marker == kApp1 && starts(kExif))
        return NarrowExif(data + kExif.size(), size - kExif.size(), kept, out, status);
    if (marker == kApp2 && starts(kIcc)) {
        if (kept != MetadataKept::None) Put(out, marker, {}, data, size);
        return true;
    }
    if (!everything) return true;
    if (kept == MetadataKept::NoGps && marker == kApp1 && starts(kXmp))
        return XmpWithoutLocation(data + kXmp.size(), size - kXmp.size(), out, status);
    // The rest of an extended XMP packet cannot be read without its start.
    if (kept == MetadataKept::NoGps && marker == kApp1 && starts(kExtendedXmp)) return true;
    Put(out, marker, {}, data, size);
    return true;
}

}  // namespace

bool NarrowBlockKeptMetadata(std::vector<uint8_t>& file, MetadataKept kept, Status& status) {
    if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8)
        return status.Fail(Domain::Metadata, "the written picture is not a JPEG file");
    PrepareExiv();
    std::vector<Segment> segments;
    size_t at = 2;
    // The metadata segments stand together after the start of the picture.
    while (at + 4 <= file.size() && file[at] == 0xFF &&
           ((file[at + 1] >= kApp0 && file[at + 1] <= 0xEF) || file[at + 1] == kComment)) {
        const size_t length = size_t{file[at + 2]} << 8 | file[at + 3];
        if (length < 2 || at + 2 + length > file.size())
            return status.Fail(Domain::Metadata, "the written picture has a broken segment");
        if (!Narrow(file[at + 1], file.data() + at + 4, length - 2, kept, segments, status)) return false;
        at += 2 + length;
    }
    std::vector<uint8_t> narrowed{0xFF, 0xD8};
    for (const Segment& s : segments) {
        const size_t length = s.body.size() + 2;
        narrowed.insert(narrowed.end(),
                        {0xFF, s.marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
        narrowed.insert(narrowed.end(), s.body.begin(), s.body.end());
    }
    narrowed.insert(narrowed.end(), file.begin() + static_cast<std::ptrdiff_t>(at), file.end());
    file.swap(narrowed);
    return true;
}

}  // namespace stampora
