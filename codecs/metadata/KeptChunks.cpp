#include "codecs/metadata/KeptChunks.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace stampora {

namespace {

constexpr size_t kPngSignatureBytes = 8;
constexpr uint8_t kPngSignature[kPngSignatureBytes] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t LoadBE32(const uint8_t* at) {
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

// One chunk: where its length field starts, its type and its data length;
// the whole chunk is 12 bytes more than its data.
struct PngChunk {
    size_t at = 0;
    std::string type;
    size_t length = 0;
    bool checksumRight = false;
};

// The chunks of a PNG up to its end chunk; a chunk that does not fit in the
// file ends the list. False when the file has no PNG signature.
bool WalkPng(const std::vector<uint8_t>& file, std::vector<PngChunk>& chunks) {
    chunks.clear();
    if (file.size() < kPngSignatureBytes || std::memcmp(file.data(), kPngSignature, kPngSignatureBytes) != 0)
        return false;
    for (size_t at = kPngSignatureBytes; file.size() - at >= 12;) {
        const size_t length = LoadBE32(&file[at]);
        if (length > file.size() - at - 12) break;
        PngChunk chunk{at, std::string(reinterpret_cast<const char*>(&file[at + 4]), 4), length, false};
        const uLong computed = crc32(crc32(0L, Z_NULL, 0), &file[at + 4], static_cast<uInt>(length + 4));
        chunk.checksumRight = computed == LoadBE32(&file[at + 8 + length]);
        chunks.push_back(chunk);
        if (chunk.type == "IEND") break;
        at += 12 + length;
    }
    return true;
}

bool IsTextChunk(const std::string& type) {
    return type == "tEXt" || type == "zTXt" || type == "iTXt";
}

// A text chunk's keyword: its data up to the first NUL.
std::string Keyword(const std::vector<uint8_t>& file, const PngChunk& chunk) {
    const uint8_t* data = &file[chunk.at + 8];
    const size_t end = std::find(data, data + chunk.length, uint8_t{0}) - data;
    return std::string(reinterpret_cast<const char*>(data), end);
}

// Keywords under which exiv2 keeps EXIF, IPTC and XMP: it writes those itself.
bool HoldsExivMetadata(const std::string& keyword) {
    return keyword == "XML:com.adobe.xmp" || keyword.rfind("Raw profile type ", 0) == 0;
}

// The chunks that tell how the samples are to be shown, and the resolution.
bool IsColourOrResolution(const std::string& type) {
    return type == "iCCP" || type == "sRGB" || type == "gAMA" || type == "cHRM" || type == "pHYs";
}

}  // namespace

bool CopyPngChunks(const std::vector<uint8_t>& source, std::vector<uint8_t>& copy, bool texts,
                   Status& status) {
    std::vector<PngChunk> ours;
    if (!WalkPng(copy, ours) || ours.empty() || ours.front().type != "IHDR" || ours.back().type != "IEND")
        return status.Fail(Domain::Metadata, "the written PNG file could not be walked");
    std::set<std::string> typesHeld;
    std::set<std::string> keywordsHeld;
    for (const PngChunk& chunk : ours) {
        typesHeld.insert(chunk.type);
        if (IsTextChunk(chunk.type)) keywordsHeld.insert(Keyword(copy, chunk));
    }
    std::vector<PngChunk> theirs;
    WalkPng(source, theirs);
    std::vector<uint8_t> carried;
    for (const PngChunk& chunk : theirs) {
        if (!chunk.checksumRight) continue;
        bool take = false;
        if (IsColourOrResolution(chunk.type)) {
            take = typesHeld.count(chunk.type) == 0;
        } else if (texts && IsTextChunk(chunk.type)) {
            const std::string keyword = Keyword(source, chunk);
            take = !HoldsExivMetadata(keyword) && keywordsHeld.count(keyword) == 0;
        }
        if (!take) continue;
        const auto begin = source.begin() + static_cast<std::ptrdiff_t>(chunk.at);
        carried.insert(carried.end(), begin, begin + static_cast<std::ptrdiff_t>(12 + chunk.length));
    }
    const size_t afterHeader = ours.front().at + 12 + ours.front().length;
    copy.insert(copy.begin() + static_cast<std::ptrdiff_t>(afterHeader), carried.begin(), carried.end());
    return true;
}

namespace {

// Walks a GIF's blocks; `block` sees each extension or image block with its
// first byte's offset and its size, and ends the walk by answering false.
// Answers the offset just past the global colour table, or 0 when the file
// is no GIF; a block that runs past the end ends the walk.
template <typename Visit>
size_t WalkGif(const std::vector<uint8_t>& file, Visit block) {
    constexpr size_t kScreenEnd = 13;  // the signature, version and logical screen
    if (file.size() < kScreenEnd ||
        (std::memcmp(file.data(), "GIF87a", 6) != 0 && std::memcmp(file.data(), "GIF89a", 6) != 0))
        return 0;
    const auto tableBytes = [](uint8_t flags) {
        return (flags & 0x80) != 0 ? size_t{3} << ((flags & 7) + 1) : 0;
    };
    const size_t start = kScreenEnd + tableBytes(file[10]);
    if (start > file.size()) return 0;
    // The data sub-blocks from `at`: the offset after their terminator, or 0.
    const auto pastSubBlocks = [&file](size_t at) -> size_t {
        while (at < file.size()) {
            const size_t size = file[at];
            if (size == 0) return at + 1;
            at += 1 + size;
        }
        return 0;
    };
    for (size_t at = start; at < file.size();) {
        size_t end = 0;
        if (file[at] == 0x21 && file.size() - at >= 2) {
            end = pastSubBlocks(at + 2);
        } else if (file[at] == 0x2C && file.size() - at >= 11) {
            const size_t table = at + 10 + tableBytes(file[at + 9]);
            end = table < file.size() ? pastSubBlocks(table + 1) : 0;
        }
        if (end == 0 || !block(at, end - at)) break;
        at = end;
    }
    return start;
}

}  // namespace

bool CopyGifComments(const std::vector<uint8_t>& source, std::vector<uint8_t>& copy, Status& status) {
    std::vector<uint8_t> comments;
    WalkGif(source, [&](size_t at, size_t size) {
        if (source[at] == 0x21 && source[at + 1] == 0xFE) {
            const auto begin = source.begin() + static_cast<std::ptrdiff_t>(at);
            comments.insert(comments.end(), begin, begin + static_cast<std::ptrdiff_t>(size));
        }
        return true;
    });
    // The looping extension stays first, where browsers look for it.
    size_t insertAt = 0;
    const size_t start = WalkGif(copy, [&](size_t at, size_t size) {
        if (copy[at] == 0x21 && copy[at + 1] == 0xFF) insertAt = at + size;
        return false;
    });
    if (start == 0) return status.Fail(Domain::Metadata, "the written GIF file could not be walked");
    if (comments.empty()) return true;
    insertAt = std::max(insertAt, start);
    copy.insert(copy.begin() + static_cast<std::ptrdiff_t>(insertAt), comments.begin(), comments.end());
    std::memcpy(copy.data() + 3, "89a", 3);
    return true;
}

}  // namespace stampora
