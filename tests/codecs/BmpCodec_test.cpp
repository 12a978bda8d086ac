#include "codecs/bmp/BmpCodec.h"

#include <gtest/gtest.h>

#include <vector>

#include "codecs/FormatTestSupport.h"

using namespace stampora;

namespace {

Decoded Read(const std::vector<uint8_t>& bytes) {
    return Decoded(CBmpCodec(), bytes);
}

}  // namespace

TEST(BmpRead, RefusesBrokenHeaders) {
    const std::vector<uint8_t> good = BmpFile(1, 1, 24, {}, {1, 2, 3, 0});
    ASSERT_TRUE(Read(good).ok);

    std::vector<std::vector<uint8_t>> refused(5, good);
    refused[0].resize(14);
    StoreLE32(refused[1].data() + 10, static_cast<uint32_t>(good.size()));  // pixels at the end
    refused[2][1] = 'A';                                                    // not "BM"
    StoreLE32(refused[3].data() + 30, 4);                                   // a JPEG inside
    refused[4] = BmpFile(1, 1, 16, {}, {});
    StoreLE32(refused[4].data() + 30, BI_BITFIELDS);  // masks cut off
    refused[4].resize(56);
    refused.push_back(BmpFile(2, -1, 8, {}, {2, 5, 0, 1}));  // top-down runs
    StoreLE32(refused.back().data() + 30, 1);
    refused.push_back(BmpFile(1, INT32_MIN, 24, {}, {1, 2, 3, 0}));
    refused.push_back(good);
    StoreLE32(refused.back().data() + 14, 8);  // no header has 8 bytes
    refused.push_back(good);
    StoreLE32(refused.back().data() + 14, 64);  // OS/2 Huffman code
    StoreLE32(refused.back().data() + 30, 3);
    refused.push_back(BmpFile(100000, 100000, 32, {}, {1, 2, 3, 4}));
    // 16384 x 16384 at 32 bits claimed by a file holding 4 pixel bytes.
    refused.push_back(BmpFile(16384, 16384, 32, {}, {1, 2, 3, 4}));
    for (size_t i = 0; i < refused.size(); ++i) {
        const Decoded read = Read(refused[i]);
        EXPECT_FALSE(read.ok) << i;
        EXPECT_TRUE(read.images.Empty()) << i;
    }
}

// Pixel data cut short keeps what is there (bottom-up files are in
// CorruptFiles); the rest stays zero.
TEST(BmpRead, CutPixelDataKeepsWhatIsThere) {
    // 2 x 2 at 24 bits: stride 8, bottom line first; only 10 bytes present.
    const Decoded read = Read(BmpFile(2, 2, 24, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8}));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(PixelValues(read.Image()), (std::vector<uint32_t>{0x000807, 0, 0x030201, 0x060504}));
    // A top-down file keeps its top lines.
    const Decoded cut = Read(BmpFile(1, -3, 8, {}, {7, 0, 0, 0, 9}));
    ASSERT_TRUE(cut.ok);
    EXPECT_EQ(PixelValues(cut.Image()), (std::vector<uint32_t>{7, 9, 0}));
    EXPECT_EQ(cut.status.damage, "only 1 of 3 lines");
}

TEST(BmpRead, PaletteIsTakenOnlyFromTheBytesBeforeThePixels) {
    // Two palette entries for an 8-bit picture: the other 254 keep the grey ramp.
    const Decoded shortPalette = Read(BmpFile(1, 1, 8, {10, 20, 30, 0, 40, 50, 60, 0}, {1, 0, 0, 0}));
    ASSERT_TRUE(shortPalette.ok);
    const PaletteColour* palette = shortPalette.Image().Palette();
    EXPECT_EQ(palette[1].rgbRed, 60);
    EXPECT_EQ(palette[2].rgbRed, 2);
    EXPECT_EQ(palette[255].rgbRed, 255);

    // Pixels right after the header: the file holds no palette, and the pixel
    // bytes are not mistaken for one.
    const Decoded noPalette = Read(BmpFile(4, 1, 8, {}, {200, 201, 202, 203}));
    ASSERT_TRUE(noPalette.ok);
    EXPECT_EQ(noPalette.Image().Palette()[0].rgbBlue, 0);
    EXPECT_EQ(noPalette.Image().Palette()[200].rgbBlue, 200);
    EXPECT_EQ(noPalette.Image().ReadPixel(2, 0), 202u);

    // A header size that points past the file takes no palette at all.
    std::vector<uint8_t> bogusHeaderSize = BmpFile(1, 1, 4, std::vector<uint8_t>(64, 0x11), {0x10, 0, 0, 0});
    StoreLE32(bogusHeaderSize.data() + 14, 0xFFFFFFF0u);
    const Decoded bogus = Read(bogusHeaderSize);
    ASSERT_TRUE(bogus.ok);
    EXPECT_EQ(bogus.Image().Palette()[1].rgbRed, 17);
}

TEST(BmpRead, ThirtyTwoBitsWithoutAlphaAreOpaqueAndWithAlphaKeepIt) {
    const Decoded unused = Read(BmpFile(2, 1, 32, {}, {1, 2, 3, 0, 4, 5, 6, 0}));
    ASSERT_TRUE(unused.ok);
    EXPECT_EQ(unused.Image().ReadPixel(1, 0), 0xFF060504u);
    const Decoded alpha = Read(BmpFile(2, 1, 32, {}, {1, 2, 3, 0, 4, 5, 6, 128}));
    ASSERT_TRUE(alpha.ok);
    EXPECT_EQ(alpha.Image().ReadPixel(0, 0), 0x00030201u);
    EXPECT_EQ(alpha.Image().ReadPixel(1, 0), 0x80060504u);
}

// A run-length file (compression 1: RLE8, 2: RLE4) with a grey palette.
std::vector<uint8_t> RunLengthFile(int32_t width, int32_t height, uint32_t compression,
                                   const std::vector<uint8_t>& data) {
    std::vector<uint8_t> palette;
    for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
    std::vector<uint8_t> file = BmpFile(width, height, compression == 1 ? 8 : 4, palette, data);
    StoreLE32(file.data() + 30, compression);
    return file;
}

TEST(BmpRead, RunLengthEscapesRunsPaddingAndCutData) {
    // Bottom line: a run of 3 sevens, an absolute run of 3 (padded to a
    // word) whose last pixel falls past the line's end, end of line. Then a
    // delta of 1 right and 1 up, a run of 6 nines cut at the line's end, end
    // of bitmap.
    const std::vector<uint8_t> rle8 = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 1, 6, 9, 0, 1};
    const Decoded read = Read(RunLengthFile(5, 3, 1, rle8));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(PixelValues(read.Image()),
              (std::vector<uint32_t>{0, 9, 9, 9, 9, 0, 0, 0, 0, 0, 7, 7, 7, 1, 2}));
    EXPECT_EQ(read.status.damage, "");

    // Two 4-bit lines: a run of 5 alternating 1 and 2, an absolute run of 3
    // nibbles 3, 4, 5 (two bytes, already a word), end of line; the second
    // line is cut off after one run.
    const std::vector<uint8_t> rle4 = {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 2, 0x66};
    const Decoded nibbles = Read(RunLengthFile(8, 3, 2, rle4));
    ASSERT_TRUE(nibbles.ok);
    EXPECT_EQ(PixelValues(nibbles.Image()), (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 0, 0, 6, 6, 0, 0,
                                                                   0, 0, 0, 0, 1, 2, 1, 2, 1, 3, 4, 5}));
    EXPECT_EQ(nibbles.status.damage, "only 1 of 3 lines");
}
