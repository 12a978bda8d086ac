// The BMP and TGA readers take large pixel data straight from the file; what
// they make must be exactly what the in-memory reader makes from the same
// bytes, whole or cut short.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"
#include "codecs/bmp/BmpCodec.h"
#include "codecs/tga/TgaCodec.h"

using namespace stampora;

namespace fs = std::filesystem;

namespace {

void CompareReaders(CImageCodec& codec, const std::vector<uint8_t>& bytes, const std::string& path,
                    const std::string& what) {
    WriteBytes(path, bytes);
    const Decoded file(codec, path);
    const Decoded memory(codec, bytes);
    ASSERT_EQ(file.ok, memory.ok) << what;
    if (file.ok) {
        const CRasterImage& a = file.Image();
        const CRasterImage& b = memory.Image();
        ASSERT_TRUE(SamePixels(a, b)) << what;
        if (a.Bpp() <= 8) {
            EXPECT_EQ(std::memcmp(a.Palette(), b.Palette(), 4 * a.PaletteSize()), 0) << what;
        }
        EXPECT_EQ(a.RedMask(), b.RedMask()) << what;
        ASSERT_EQ(bool(file.properties), bool(memory.properties)) << what;
        if (file.properties) {
            EXPECT_EQ(file.properties->tgaRunLength, memory.properties->tgaRunLength);
        }
    }
    // Both say the same of what they refused or could not read whole.
    EXPECT_EQ(file.status.Error(), memory.status.Error()) << what;
    EXPECT_EQ(file.status.damage, memory.status.damage) << what;
}

void CompareOverFolder(CImageCodec& codec, const char* folder, const char* extension) {
    ScratchDir dir;
    const std::string path = dir.File(std::string("copy.") + extension);
    for (const auto& entry : fs::directory_iterator(FixturePath(folder))) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile(entry.path().string(), bytes, 1 << 20));
        // Whole, and cut inside the headers, the colour map and the pixels.
        for (size_t length :
             {bytes.size(), bytes.size() - 1, bytes.size() * 2 / 3, size_t{60}, size_t{19}, size_t{10}}) {
            if (length > bytes.size()) continue;
            const std::vector<uint8_t> cut(bytes.begin(),
                                           bytes.begin() + static_cast<std::ptrdiff_t>(length));
            CompareReaders(codec, cut, path,
                           entry.path().filename().string() + " cut to " + std::to_string(length));
        }
    }
}

}  // namespace

TEST(FileAndMemoryReaders, BmpAndTgaFilesWholeAndCut) {
    CBmpCodec bmp;
    CompareOverFolder(bmp, "bmp", "bmp");
    CTgaCodec tga;
    CompareOverFolder(tga, "tga", "tga");
}

TEST(FileAndMemoryReaders, BmpPixelsFarIntoTheFile) {
    // A 1 x 1 picture whose pixels start 2 MB into the file, past the part of
    // the file the streamed reader takes as headers.
    std::vector<uint8_t> pixels((size_t{2} << 20) + 4, 0);
    pixels[pixels.size() - 4] = 0x11;
    pixels[pixels.size() - 2] = 0x33;
    const std::vector<uint8_t> bytes =
        BmpFile(1, 1, 24, {}, pixels, static_cast<uint32_t>(54 + pixels.size() - 4));
    ScratchDir dir;
    CBmpCodec codec;
    CompareReaders(codec, bytes, dir.File("far.bmp"), "far pixels");
    CRasterImage image;
    ASSERT_TRUE(image.Load(dir.File("far.bmp")));
    EXPECT_EQ(image.ReadPixel(0, 0), 0x330011u);
}
