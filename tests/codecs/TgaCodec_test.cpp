#include "codecs/tga/TgaCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <tuple>
#include <vector>

#include "codecs/FormatTestSupport.h"

using namespace stampora;

namespace {

// A TGA file assembled field by field.
struct TgaBytes {
    uint8_t imageType = 2;
    uint8_t colourMapType = 0;
    uint16_t mapFirst = 0;
    uint16_t mapLength = 0;
    uint8_t mapEntryBits = 24;
    uint16_t width = 1;
    uint16_t height = 1;
    uint8_t depth = 24;
    uint8_t descriptor = 0;
    std::vector<uint8_t> id;
    std::vector<uint8_t> colourMap;
    std::vector<uint8_t> pixels;

    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> out(18, 0);
        out[0] = static_cast<uint8_t>(id.size());
        out[1] = colourMapType;
        out[2] = imageType;
        StoreLE16(&out[3], mapFirst);
        StoreLE16(&out[5], mapLength);
        out[7] = mapEntryBits;
        StoreLE16(&out[12], width);
        StoreLE16(&out[14], height);
        out[16] = depth;
        out[17] = descriptor;
        for (const auto* part : {&id, &colourMap, &pixels}) out.insert(out.end(), part->begin(), part->end());
        return out;
    }
};

// What the reader makes of the file.
Decoded Read(const TgaBytes& file) {
    return Decoded(CTgaCodec(), file.Build());
}

bool SaveImage(CRasterImage image, const std::string& path) {
    CTgaCodec codec;
    return SaveThrough(codec, path, image);
}

// One grey pixel: 19 bytes, the smallest picture.
TgaBytes GreyPixel() {
    TgaBytes grey;
    grey.depth = 8, grey.imageType = 3, grey.pixels = {9};
    return grey;
}

// An 8-bit picture whose colour map sets entries 250 to 255, entry k to
// blue k, green k + 10, red k + 20; its one pixel is 252.
TgaBytes MappedPixel() {
    TgaBytes mapped;
    mapped.imageType = mapped.colourMapType = 1;
    mapped.depth = 8, mapped.mapFirst = 250, mapped.mapLength = 6;
    for (uint8_t k = 0; k < 6; ++k)
        mapped.colourMap.insert(mapped.colourMap.end(), {k, uint8_t(k + 10), uint8_t(k + 20)});
    mapped.pixels = {252};
    return mapped;
}

}  // namespace

// Each file is refused with nothing loaded and the caller's properties kept.
TEST(TgaRead, RefusesWhatCannotBeAPicture) {
    const TgaBytes grey = GreyPixel();
    const TgaBytes mapped = MappedPixel();
    std::vector<std::pair<std::string, std::vector<uint8_t>>> refused;
    const auto add = [&refused](const char* what, TgaBytes file, auto change) {
        change(file);
        refused.emplace_back(what, file.Build());
    };
    add("header only", grey, [](TgaBytes& f) { f.pixels.clear(); });
    add("map past 256", mapped, [](TgaBytes& f) { f.mapLength = 7, f.colourMap.resize(21); });
    add("map cut short", mapped, [](TgaBytes& f) { f.colourMap.resize(10), f.pixels.clear(); });
    add("zero wide", grey, [](TgaBytes& f) { f.width = 0; });
    add("12 bits", grey, [](TgaBytes& f) { f.depth = 12, f.pixels.resize(3); });
    add("4-bit runs", grey, [](TgaBytes& f) { f.imageType = 11, f.depth = 4; });
    add("65535 square", grey, [](TgaBytes& f) { f.width = f.height = 65535, f.depth = 32; });
    add("runs too few", grey,
        [](TgaBytes& f) { f.width = f.height = 16384, f.imageType = 10, f.pixels.assign(1000, 0xFF); });
    add("id past the end", grey, [](TgaBytes& f) { f.id.assign(200, 'x'); });
    refused.back().second.resize(40);
    for (uint8_t type : {0, 4, 8, 12, 32, 33}) {
        add("type", grey, [type](TgaBytes& f) { f.imageType = type, f.pixels.resize(3); });
        refused.back().first = "TGA image type " + std::to_string(type) + " is not supported";
    }
    for (const auto& [what, bytes] : refused) {
        ImageList images;
        PropertiesSlot slot = std::make_unique<CImageProperties>();
        slot->tgaRunLength = true;
        CTgaCodec codec;
        EXPECT_FALSE(codec.LoadMemory(bytes.data(), bytes.size(), images, slot)) << what;
        EXPECT_TRUE(images.Empty()) << what;
        ASSERT_TRUE(slot) << what;
        EXPECT_EQ(slot->tgaRunLength, true) << what;
        if (what.starts_with("TGA")) {
            EXPECT_EQ(codec.Status().Error(), what);
        }
    }
}

TEST(TgaRead, ColourMapsFillThePaletteOrAreSkipped) {
    const TgaBytes mapped = MappedPixel();
    const Decoded accepted = Read(mapped);
    ASSERT_TRUE(accepted.ok);
    const PaletteColour* palette = accepted.Image().Palette();
    EXPECT_EQ(palette[252].rgbBlue, 2);
    EXPECT_EQ(palette[252].rgbGreen, 12);
    EXPECT_EQ(palette[255].rgbRed, 25);
    EXPECT_EQ(palette[100].rgbRed, 0);  // entries the file does not set are black

    TgaBytes empty = mapped;
    empty.mapFirst = empty.mapLength = 0;
    empty.colourMap.clear();
    const Decoded black = Read(empty);
    ASSERT_TRUE(black.ok);
    EXPECT_EQ(black.Image().Palette()[200].rgbGreen, 0);

    // A true-colour file that carries a 32-bit colour map: the map is skipped.
    TgaBytes skipped;
    skipped.colourMapType = 1, skipped.mapLength = 2, skipped.mapEntryBits = 32;
    skipped.colourMap = std::vector<uint8_t>(8, 0xEE);
    skipped.id = {'i', 'd'};
    skipped.pixels = {1, 2, 3};
    const Decoded truecolour = Read(skipped);
    ASSERT_TRUE(truecolour.ok);
    EXPECT_EQ(truecolour.Image().ReadPixel(0, 0), 0x030201u);
}

// The line orders, true colour, grey with alpha and the run flag are read
// from other tools' files in BmpTgaFixtures.
TEST(TgaRead, FifteenBitsAndMirroredNibbles) {
    TgaBytes fifteen;
    fifteen.depth = 15, fifteen.width = 2;
    fifteen.pixels = {0x1F, 0x7C, 0xE0, 0x03};
    const Decoded words = Read(fifteen);
    ASSERT_TRUE(words.ok);
    EXPECT_EQ(words.Image().Bpp(), 16);
    EXPECT_EQ(words.Image().GreenMask(), 0x03E0u);
    EXPECT_EQ(PixelValues(words.Image()), (std::vector<uint32_t>{0x7C1F, 0x03E0}));

    // Right to left at 4 bits: indices 1, 2, 3 stored from the right.
    TgaBytes nibbles = GreyPixel();
    nibbles.depth = 4, nibbles.width = 3, nibbles.descriptor = 0x10;
    nibbles.pixels = {0x12, 0x30};
    const Decoded mirrored = Read(nibbles);
    ASSERT_TRUE(mirrored.ok);
    EXPECT_EQ(PixelValues(mirrored.Image()), (std::vector<uint32_t>{3, 2, 1}));

    // Grey beside a byte the descriptor leaves undeclared: opaque.
    TgaBytes greyPair = GreyPixel();
    greyPair.depth = 16, greyPair.pixels = {90, 40};
    const Decoded pair = Read(greyPair);
    ASSERT_TRUE(pair.ok);
    EXPECT_EQ(pair.Image().ReadPixel(0, 0), 0xFF5A5A5Au);
}

TEST(TgaRead, RunLengthPacketsCrossLinesAndCutDataKeepsWhatIsThere) {
    // A run of 5 on 3-pixel lines carries 2 pixels into the next line; a
    // literal packet crosses the same way; the last run stops at the image end.
    TgaBytes crossing;
    crossing.imageType = 11, crossing.depth = 8, crossing.descriptor = 0x20;
    crossing.width = crossing.height = 3;
    crossing.pixels = {0x84, 7, 0x02, 1, 2, 3, 0xFF, 9};
    const Decoded carried = Read(crossing);
    ASSERT_TRUE(carried.ok);
    EXPECT_EQ(PixelValues(carried.Image()), (std::vector<uint32_t>{7, 7, 7, 7, 7, 1, 2, 3, 9}));

    // Packets cut off by the end of the data keep what was decoded.
    TgaBytes truncated = crossing;
    truncated.pixels = {0x81, 5, 0x05, 6, 6};
    const Decoded partial = Read(truncated);
    ASSERT_TRUE(partial.ok);
    EXPECT_EQ(PixelValues(partial.Image()), (std::vector<uint32_t>{5, 5, 6, 6, 0, 0, 0, 0, 0}));

    // Raw data cut short keeps the lines present.
    TgaBytes raw;  // 24 bits, bottom line first
    raw.width = 2, raw.height = 4;
    raw.pixels = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4};
    const Decoded lines = Read(raw);
    ASSERT_TRUE(lines.ok);
    EXPECT_EQ(PixelValues(lines.Image()),
              (std::vector<uint32_t>{0, 0, 0, 0, 0x030303, 0x000404, 0x010101, 0x020202}));
}

TEST(TgaWrite, HeaderIdAndTopLineFirst) {
    ScratchDir dir;
    CRasterImage image = BlankImage(2, 2, 32);
    const uint8_t top[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const uint8_t bottom[8] = {9, 10, 11, 0, 13, 14, 15, 255};
    std::memcpy(image.Row(0), top, 8);
    std::memcpy(image.Row(1), bottom, 8);
    const std::string path = dir.File("rgba.tga");
    ASSERT_TRUE(SaveImage(image, path));

    const std::vector<uint8_t> file = FileBytes(path);
    ASSERT_EQ(file.size(), 18u + 12u + 16u);
    const uint8_t header[18] = {12, 0, 2, 0, 0, 0x00, 0x01, 24, 0, 0, 0, 0, 2, 0, 2, 0, 32, 0x20};
    EXPECT_EQ(std::memcmp(file.data(), header, 18), 0);
    EXPECT_EQ(std::string(file.begin() + 18, file.begin() + 30), "Qirvo -- TGA");
    EXPECT_EQ(std::memcmp(file.data() + 30, top, 8), 0);
}

TEST(TgaWrite, RefusalsCreateNoFile) {
    ScratchDir dir;
    const std::string path = dir.File("refused.tga");
    // Depths the format has no type for, and sizes past its 16-bit fields.
    for (const auto& [width, height, bpp] : {std::tuple{4, 4, 1}, {4, 4, 4}, {65536, 1, 8}, {1, 65536, 8}})
        EXPECT_FALSE(SaveImage(BlankImage(width, height, bpp), path)) << width << "x" << height << "x" << bpp;
    ImageList empty;
    CTgaCodec codec;
    EXPECT_FALSE(codec.SaveFile(path, empty, nullptr));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}
