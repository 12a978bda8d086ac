#include "codecs/WholePicture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "codecs/PictureFiles.h"
#include "image/ImageTestPixels.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

namespace fs = std::filesystem;

// A picture each writer made is whole; the same file cut short, emptied,
// replaced by another format's bytes or by text is not.
TEST(WholePicture, TellsAFinishedPictureFromABrokenOne) {
    ScratchDir dir;
    const CRasterImage picture = NoiseImage(90, 70, 24, 3);
    for (const char* name : {"a.jpg", "a.png", "a.gif", "a.bmp", "a.tga", "a.tif"}) {
        const std::string path = dir.File(name);
        ASSERT_TRUE(picture.Save(path)) << name;
        const ImageFormat format = FormatFromPath(path);
        EXPECT_TRUE(IsWholePicture(path, format)) << name;
        const uintmax_t size = fs::file_size(path);
        fs::resize_file(path, size * 3 / 4);
        EXPECT_FALSE(IsWholePicture(path, format)) << name << " cut short";
        fs::resize_file(path, 0);
        EXPECT_FALSE(IsWholePicture(path, format)) << name << " empty";
        WriteTextFile(path, std::string(4096, 'x'));
        EXPECT_FALSE(IsWholePicture(path, format)) << name << " text";
    }
    ASSERT_TRUE(picture.Save(dir.File("png.jpg")) && picture.Save(dir.File("real.png")));
    fs::rename(dir.Path() / "real.png", dir.Path() / "png.jpg");
    EXPECT_FALSE(IsWholePicture(dir.File("png.jpg"), FormatJpeg));
}

}  // namespace
