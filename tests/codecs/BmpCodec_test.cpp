#include "codecs/BmpCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codecs/PictureFiles.h"
#include "image/LittleEndian.h"
#include "platform/FileIo.h"
#include "support/TestPaths.h"

namespace {

// A BMP file with a 40-byte info header; `palette` and `pixels` follow it.
std::vector<uint8_t> BmpFile(int32_t width, int32_t height, uint16_t bpp, const std::vector<uint8_t>& palette,
                             const std::vector<uint8_t>& pixels, uint32_t pixelOffset = 0) {
    std::vector<uint8_t> out(54, 0);
    out[0] = 'B';
    out[1] = 'M';
    const uint32_t offset = pixelOffset != 0 ? pixelOffset : static_cast<uint32_t>(54 + palette.size());
    StoreLE32(out.data() + 2, static_cast<uint32_t>(54 + palette.size() + pixels.size()));
    StoreLE32(out.data() + 10, offset);
    StoreLE32(out.data() + 14, 40);
    StoreLE32(out.data() + 18, static_cast<uint32_t>(width));
    StoreLE32(out.data() + 22, static_cast<uint32_t>(height));
    StoreLE16(out.data() + 26, 1);
    StoreLE16(out.data() + 28, bpp);
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

bool Load(const std::vector<uint8_t>& bytes, ImageList& images) {
    CBmpCodec codec;
    PropertiesSlot slot;
    return codec.LoadMemory(bytes.data(), bytes.size(), images, slot);
}

}  // namespace

TEST(BmpRead, RefusesBrokenHeaders) {
    const std::vector<uint8_t> good = BmpFile(1, 1, 24, {}, {1, 2, 3, 0});
    ImageList accepted;
    ASSERT_TRUE(Load(good, accepted));

    std::vector<uint8_t> fourteen(good.begin(), good.begin() + 14);
    ImageList a;
    EXPECT_FALSE(Load(fourteen, a));

    std::vector<uint8_t> offsetAtEnd = good;
    StoreLE32(offsetAtEnd.data() + 10, static_cast<uint32_t>(offsetAtEnd.size()));
    ImageList b;
    EXPECT_FALSE(Load(offsetAtEnd, b));

    ImageList c;
    EXPECT_FALSE(Load(BmpFile(1, -1, 24, {}, {1, 2, 3, 0}), c));

    std::vector<uint8_t> notBm = good;
    notBm[1] = 'A';
    ImageList d;
    EXPECT_FALSE(Load(notBm, d));

    std::vector<uint8_t> jpegInside = BmpFile(1, 1, 24, {}, {1, 2, 3, 0});
    StoreLE32(jpegInside.data() + 30, 4);
    ImageList e;
    EXPECT_FALSE(Load(jpegInside, e));

    ImageList f;
    EXPECT_FALSE(Load(BmpFile(100000, 100000, 32, {}, {1, 2, 3, 4}), f));
    // 16384 x 16384 at 32 bits claimed by a file holding 4 pixel bytes.
    ImageList g;
    EXPECT_FALSE(Load(BmpFile(16384, 16384, 32, {}, {1, 2, 3, 4}), g));
    EXPECT_TRUE(a.Empty() && b.Empty() && c.Empty() && d.Empty() && e.Empty() && f.Empty() && g.Empty());
}

TEST(BmpRead, ShortPixelDataLeavesTheRestZero) {
    // 2 x 2 at 24 bits: stride 8, bottom line first; only 10 bytes present.
    ImageList images;
    ASSERT_TRUE(Load(BmpFile(2, 2, 24, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8}), images));
    const CRasterImage& image = *images.First();
    EXPECT_EQ(image.ReadPixel(0, 1), 0x030201u);
    EXPECT_EQ(image.ReadPixel(1, 1), 0x060504u);
    EXPECT_EQ(image.ReadPixel(0, 0), 0x000807u);
    EXPECT_EQ(image.ReadPixel(1, 0), 0u);
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

    std::vector<uint8_t> masksMissing = BmpFile(1, 1, 16, {}, {});
    StoreLE32(masksMissing.data() + 30, BI_BITFIELDS);
    masksMissing.resize(56);
    StoreLE32(masksMissing.data() + 10, 54);
    ImageList cut;
    EXPECT_FALSE(Load(masksMissing, cut));
}

TEST(BmpWrite, PaletteAndBitFieldsRoundTrip) {
    ScratchDir dir;
    CRasterImage grey;
    ASSERT_TRUE(grey.Create(3, 2, 8));
    PaletteColour entries[256];
    for (int i = 0; i < 256; ++i) entries[i] = PaletteColour{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    ASSERT_TRUE(grey.SetPalette(0, 256, entries));
    grey.PixelAt(2, 1)[0] = 99;
    ASSERT_TRUE(grey.Save(dir.File("pal.bmp")));
    CRasterImage back;
    ASSERT_TRUE(back.Load(dir.File("pal.bmp")));
    ASSERT_EQ(back.Bpp(), 8);
    EXPECT_EQ(std::memcmp(back.Palette(), entries, sizeof entries), 0);
    EXPECT_EQ(back.ReadPixel(2, 1), 99u);

    alignas(4) uint8_t block[52] = {};
    DibInfoHeader info{};
    info.biWidth = 3;
    info.biHeight = 2;
    info.biBitCount = 16;
    info.biCompression = BI_BITFIELDS;
    std::memcpy(block, &info, 40);
    StoreLE32(block + 40, 0xF800);
    StoreLE32(block + 44, 0x07E0);
    StoreLE32(block + 48, 0x001F);
    CRasterImage rgb565;
    ASSERT_TRUE(rgb565.Create(reinterpret_cast<const DibInfoHeader*>(block)));
    StoreLE16(rgb565.PixelAt(1, 0), 0xF81F);
    ASSERT_TRUE(rgb565.Save(dir.File("565.bmp")));
    std::vector<uint8_t> file;
    ASSERT_TRUE(ReadWholeFile(dir.File("565.bmp"), file, 1 << 20));
    ASSERT_EQ(file.size(), 14u + 52u + rgb565.PixelBytes());
    EXPECT_EQ(LoadLE32(file.data() + 30), BI_BITFIELDS);
    EXPECT_EQ(LoadLE32(file.data() + 58), 0x07E0u);
    CRasterImage back565;
    ASSERT_TRUE(back565.Load(dir.File("565.bmp")));
    EXPECT_EQ(back565.GreenMask(), 0x07E0u);
    EXPECT_EQ(back565.ReadPixel(1, 0), 0xF81Fu);
}
