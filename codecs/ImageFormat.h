#pragma once
// The one table of picture formats: for each, how its files are named and
// recognised, its codec, what the codec reads and writes, what a copy in the
// format can carry, and how the file dialogs, the batch type boxes and the
// desktop's MIME list name it. Everything that asks about formats asks here.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace stampora {

class CImageCodec;

// File formats. The numbers are fixed; a new format takes the next free one.
enum ImageFormat : int {
    FormatUnknown = 0,
    FormatBmp = 1,
    FormatJpeg = 3,
    FormatGif = 4,
    FormatTga = 5,
    FormatTiff = 6,
    FormatPng = 7,
    FormatIco = 9,
    FormatWebp = 12,
    FormatHeif = 13,  // HEIF and HEIC
    FormatAvif = 14,
    FormatJxl = 15,
};

// What a file of a format can hold besides its pixels, as bits.
enum MetadataRoom : uint32_t {
    kRoomExif = 1u << 0,
    kRoomXmp = 1u << 1,
    kRoomIptc = 1u << 2,
    kRoomIccProfile = 1u << 3,
    kRoomComment = 1u << 4,     // a comment of its own (JPEG COM, GIF comment extension)
    kRoomTextChunks = 1u << 5,  // PNG's keyword texts (Copyright, Author, Description, ...)
    kRoomColour = 1u << 6,      // gamma, chromaticities, the sRGB intent
    kRoomResolution = 1u << 7,
};

struct FormatEntry {
    ImageFormat id = FormatUnknown;
    // The name users read ("JPEG").
    const char* name = "";
    // Its extensions, lower case, each after a dot (".jpg.jpeg.jpe"); the
    // batch type filter is made of these lists.
    const char* extensions = "";
    // Whether a file's first kSignatureBytes bytes (fewer for a short file)
    // are this format's; none for a format without a signature.
    bool (*recognises)(const uint8_t* head, size_t size) = nullptr;
    // True when the signature is a few bytes that files of a format without
    // a signature can also begin with; the extension then decides.
    bool weakSignature = false;
    std::unique_ptr<CImageCodec> (*makeCodec)() = nullptr;
    bool reads = false;
    bool writes = false;
    // MetadataRoom bits a copy in this format keeps.
    uint32_t carries = 0;
    // MIME types, each followed by ';' (the desktop file's form), the usual first.
    const char* mimeTypes = "";
    // The file dialogs' filter label; the filters come by rank, lowest
    // first, formats without a rank after them in table order.
    const char* dialogLabel = "";
    int dialogRank = 0;
    // The batch dialog's check box for the type: its text and control id.
    const char* typeBoxLabel = "";
    int typeBoxId = 0;

    // A batch run takes only pictures it can write back in their own format.
    bool ReadsAndWrites() const { return reads && writes; }
};

// Every format, in the order of the batch dialog's type boxes and filter.
std::span<const FormatEntry> AllFormats();

// The format's entry; none for FormatUnknown or an id not in the table.
const FormatEntry* FindFormat(ImageFormat format);

// An extension without its dot, in any case ("JPE"); unknown when no
// format has it.
ImageFormat FormatFromExtension(const std::string& extension);

// The text after the last '.', looked up caselessly; unknown without a dot
// or when a '/' follows the last dot. Saving always follows this.
ImageFormat FormatFromPath(const std::string& path);

// The format a file's first bytes announce; unknown when none recognises them.
ImageFormat FormatFromSignature(const uint8_t* head, size_t size);

// The format a file is read as: what its first bytes announce, else what its
// extension says. A format without a signature keeps a file whose first
// bytes only look like a weak signature (a TGA can begin like an icon).
ImageFormat FormatForReading(const std::string& path, const uint8_t* head, size_t size);

// The bytes FormatFromSignature looks at.
constexpr size_t kSignatureBytes = 32;

}  // namespace stampora
