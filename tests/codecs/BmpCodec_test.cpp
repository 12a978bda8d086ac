#include "codecs/bmp/BmpCodec.h"

#include <gtest/gtest.h>

#include <vector>

#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"
#include "support/TestPaths.h"
#include "support/TestPictures.h"

using namespace stampora;

namespace {

bool Load(const std::vector<uint8_t>& bytes, ImageList& images, Status* status = nullptr) {
    CBmpCodec codec;
    PropertiesSlot slot;
    const bool loaded = codec.LoadMemory(bytes.data(), bytes.size(), images, slot);
    if (status != nullptr) *status = codec.Status();
    return loaded;
}

}  // namespace

TEST(BmpRead, RefusesBrokenHeaders) {
    const std::vector<uint8_t> good = BmpFile(1, 1, 24, {}, {1, 2, 3, 0});
    ImageList accepted;
    ASSERT_TRUE(Load(good, accepted));

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
        ImageList images;
        EXPECT_FALSE(Load(refused[i], images)) << i;
        EXPECT_TRUE(images.Empty()) << i;
    }
}

TEST(BmpRead, ShortPixelDataLeavesTheRestZero) {
    // 2 x 2 at 24 bits: stride 8, bottom line first; only 10 bytes present.
    ImageList images;
    ASSERT_TRUE(Load(BmpFile(2, 2, 24, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8}), images));
    EXPECT_EQ(PixelValues(*images.First()), (std::vector<uint32_t>{0x000807, 0, 0x030201, 0x060504}));
}

// A top-down file cut short keeps its top lines.
TEST(BmpRead, TopDownCutKeepsTheTopLines) {
    ImageList cut;
    Status status;
    ASSERT_TRUE(Load(BmpFile(1, -3, 8, {}, {7, 0, 0, 0, 9}), cut, &status));
    EXPECT_EQ(PixelValues(*cut.First()), (std::vector<uint32_t>{7, 9, 0}));
    EXPECT_EQ(status.damage, "only 1 of 3 lines");
}

TEST(BmpRead, PaletteIsTakenOnlyFromTheBytesBeforeThePixels) {
    // Two palette entries for an 8-bit picture: the other 254 keep the grey ramp.
    ImageList shortPalette;
    ASSERT_TRUE(Load(BmpFile(1, 1, 8, {10, 20, 30, 0, 40, 50, 60, 0}, {1, 0, 0, 0}), shortPalette));
    const PaletteColour* palette = shortPalette.First()->Palette();
    EXPECT_EQ(palette[1].rgbRed, 60);
    EXPECT_EQ(palette[2].rgbRed, 2);
    EXPECT_EQ(palette[255].rgbRed, 255);

    // Pixels right after the header: the file holds no palette, and the pixel
    // bytes are not mistaken for one.
    ImageList noPalette;
    ASSERT_TRUE(Load(BmpFile(4, 1, 8, {}, {200, 201, 202, 203}), noPalette));
    EXPECT_EQ(noPalette.First()->Palette()[0].rgbBlue, 0);
    EXPECT_EQ(noPalette.First()->Palette()[200].rgbBlue, 200);
    EXPECT_EQ(noPalette.First()->ReadPixel(2, 0), 202u);

    // A header size that points past the file takes no palette at all.
    std::vector<uint8_t> bogusHeaderSize = BmpFile(1, 1, 4, std::vector<uint8_t>(64, 0x11), {0x10, 0, 0, 0});
    StoreLE32(bogusHeaderSize.data() + 14, 0xFFFFFFF0u);
    ImageList bogus;
    ASSERT_TRUE(Load(bogusHeaderSize, bogus));
    EXPECT_EQ(bogus.First()->Palette()[1].rgbRed, 17);
}

TEST(BmpWrite, BitFieldPicturesCarryTheirMasksAfterTheHeader) {
    ScratchDir dir;
    CRasterImage rgb565 = BitFieldImage(3, 2, 0xF800, 0x07E0, 0x001F);
    ASSERT_TRUE(rgb565.Save(dir.File("565.bmp")));
    const std::vector<uint8_t> file = FileBytes(dir.File("565.bmp"));
    ASSERT_EQ(file.size(), 14u + 52u + rgb565.PixelBytes());
    EXPECT_EQ(LoadLE32(file.data() + 30), BI_BITFIELDS);
    EXPECT_EQ(LoadLE32(file.data() + 58), 0x07E0u);
}

TEST(BmpRead, ThirtyTwoBitsWithoutAlphaAreOpaqueAndWithAlphaKeepIt) {
    ImageList unused;
    ASSERT_TRUE(Load(BmpFile(2, 1, 32, {}, {1, 2, 3, 0, 4, 5, 6, 0}), unused));
    EXPECT_EQ(unused.First()->ReadPixel(1, 0), 0xFF060504u);
    ImageList alpha;
    ASSERT_TRUE(Load(BmpFile(2, 1, 32, {}, {1, 2, 3, 0, 4, 5, 6, 128}), alpha));
    EXPECT_EQ(alpha.First()->ReadPixel(0, 0), 0x00030201u);
    EXPECT_EQ(alpha.First()->ReadPixel(1, 0), 0x80060504u);
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

TEST(BmpRead, RunLengthEscapesRunsAndPadding) {
    // Bottom line: a run of 3 sevens, an absolute run of 3 (padded to a
    // word) whose last pixel falls past the line's end, end of line. Then a
    // delta of 1 right and 1 up, a run of 6 nines cut at the line's end, end
    // of bitmap.
    const std::vector<uint8_t> rle8 = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 1, 6, 9, 0, 1};
    ImageList images;
    Status status;
    ASSERT_TRUE(Load(RunLengthFile(5, 3, 1, rle8), images, &status));
    EXPECT_EQ(PixelValues(*images.First()),
              (std::vector<uint32_t>{0, 9, 9, 9, 9, 0, 0, 0, 0, 0, 7, 7, 7, 1, 2}));
    EXPECT_EQ(status.damage, "");
}

TEST(BmpRead, RunLengthFourBitsAndCutData) {
    // Two 4-bit lines: a run of 5 alternating 1 and 2, an absolute run of 3
    // nibbles 3, 4, 5 (two bytes, already a word), end of line; the second
    // line is cut off after one run.
    const std::vector<uint8_t> rle4 = {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 2, 0x66};
    ImageList images;
    Status status;
    ASSERT_TRUE(Load(RunLengthFile(8, 3, 2, rle4), images, &status));
    EXPECT_EQ(PixelValues(*images.First()), (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 0, 0, 6, 6, 0, 0,
                                                                   0, 0, 0, 0, 1, 2, 1, 2, 1, 3, 4, 5}));
    EXPECT_EQ(status.damage, "only 1 of 3 lines");
}
