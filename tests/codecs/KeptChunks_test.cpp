#include "codecs/metadata/KeptChunks.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

using namespace stampora;

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& bytes, const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
}

void AppendBE32(Bytes& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

// A chunk with its checksum, spoilt when asked.
std::string Chunk(const std::string& type, const std::string& data, bool spoilt = false) {
    Bytes bytes;
    AppendBE32(bytes, static_cast<uint32_t>(data.size()));
    Append(bytes, type + data);
    AppendBE32(bytes, static_cast<uint32_t>(crc32(0, bytes.data() + 4, static_cast<uInt>(data.size() + 4))) ^
                          (spoilt ? 1u : 0u));
    return std::string(bytes.begin(), bytes.end());
}

Bytes Png(const std::string& chunks) {
    Bytes bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Append(bytes, chunks);
    return bytes;
}

const std::string kHeader = Chunk("IHDR", std::string(13, '\1'));
const std::string kData = Chunk("IDAT", "pixels");
const std::string kEnd = Chunk("IEND", "");

TEST(KeptChunks, APngCopyTakesColourResolutionAndTextButNotWhatExivWritesOrWhatIsDamaged) {
    const std::string gamma = Chunk("gAMA", std::string("\0\1\x86\xA0", 4));
    const std::string author = Chunk("tEXt", std::string("Author\0Ann", 10));
    const std::string source = kHeader + gamma + Chunk("pHYs", "spoilt", true) +
                               Chunk("zTXt", std::string("Raw profile type exif\0\0x", 24)) + kData + author +
                               Chunk("tEXt", std::string("Title\0cut", 9)).substr(0, 12);
    const Bytes copyBefore = Png(kHeader + kData + kEnd);

    Bytes copy = copyBefore;
    Status reason;
    ASSERT_TRUE(CopyPngChunks(Png(source), copy, true, reason));
    EXPECT_EQ(copy, Png(kHeader + gamma + author + kData + kEnd));
    // Only the essentials: no text; and a chunk the copy has is not doubled.
    copy = Png(kHeader + gamma + kData + kEnd);
    ASSERT_TRUE(CopyPngChunks(Png(source), copy, false, reason));
    EXPECT_EQ(copy, Png(kHeader + gamma + kData + kEnd));

    for (Bytes broken : {Bytes{1, 2, 3}, Png(kHeader + kData), Png(kData + kEnd)}) {
        EXPECT_FALSE(CopyPngChunks(Png(source), broken, true, reason));
        EXPECT_EQ(reason.Error(), "the written PNG file could not be walked");
    }
}

Bytes Gif(const std::string& blocks) {
    Bytes bytes;
    // GIF87a, 1x1, a global table of two colours.
    Append(bytes, std::string("GIF87a\1\0\1\0\x80\0\0", 13) + std::string(6, '\0') + blocks);
    return bytes;
}

const std::string kImage = std::string("\x2C\0\0\0\0\1\0\1\0\0\2\2\x4C\x01\0", 15);
const std::string kLooping = std::string("\x21\xFF\x0BNETSCAPE2.0\3\1\0\0\0", 19);
const std::string kComment = std::string("\x21\xFE\5hello\0", 9);

TEST(KeptChunks, GifCommentsFollowTheLoopingExtensionAndAreReadUpToDamage) {
    Bytes copy = Gif(kLooping + kImage + ";");
    Status reason;
    ASSERT_TRUE(CopyGifComments(Gif(kImage + kComment + kComment.substr(0, 5)), copy, reason));
    Bytes expected = Gif(kLooping + kComment + kImage + ";");
    std::copy_n("89a", 3, expected.begin() + 3);
    EXPECT_EQ(copy, expected);

    Bytes noComments = Gif(kImage + ";");
    ASSERT_TRUE(CopyGifComments(Gif(kImage), noComments, reason));
    EXPECT_EQ(noComments, Gif(kImage + ";"));
    Bytes notGif{'G', 'I', 'F'};
    EXPECT_FALSE(CopyGifComments(Gif(kComment), notGif, reason));
}

}  // namespace
