// Damaged and hostile files, kept by name, each with what it must give: a
// refusal with its reason, or a picture with the lines it holds and a note
// of the damage.
#include <gtest/gtest.h>

#include "codecs/CodecFactory.h"
#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"

using namespace stampora;

namespace {

struct CorruptFile {
    const char* name;
    bool loads;
    const char* reason;  // the start of the error, or of the damage note
};

void PrintTo(const CorruptFile& file, std::ostream* out) {
    *out << file.name;
}

class CorruptFiles : public ::testing::TestWithParam<CorruptFile> {};

TEST_P(CorruptFiles, GiveTheirReason) {
    const CorruptFile& file = GetParam();
    CRasterImage image;
    Status status;
    EXPECT_EQ(image.Load(FixturePath(std::string("corrupt/") + file.name), nullptr, &status), file.loads);
    const std::string& said = file.loads ? status.damage : status.Error();
    // No reason: the file loads whole and clean, whatever its reader warned of.
    EXPECT_EQ(*file.reason == '\0' ? said : said.substr(0, std::string(file.reason).size()), file.reason);
    EXPECT_EQ(image.IsEmpty(), !file.loads);
}

INSTANTIATE_TEST_SUITE_P(
    ByName, CorruptFiles,
    ::testing::Values(CorruptFile{"bmp-cut-after-30-lines.bmp", true, "only 30 of 70 lines"},
                      CorruptFile{"tga-cut-after-20-lines.tga", true, "only 20 of 70 lines"},
                      CorruptFile{"png-cut-short.png", true, "only 19 of 70 lines"},
                      CorruptFile{"jpeg-cut-short.jpg", true, "only 40 of 70 lines"},
                      CorruptFile{"tiff-cut-after-25-lines.tif", true, "only 25 of 70 lines"},
                      CorruptFile{"gif-cut-short.gif", true, "only 22 of 70 lines"},
                      CorruptFile{"png-128-bytes-claims-16384x16384.png", false,
                                  "the header claims 16384 x 16384 pixels, more than"},
                      CorruptFile{"png-73-bytes-claims-1x150994960.png", false,
                                  "the header claims 1 x 150994960 pixels, more than"},
                      CorruptFile{"tiff-438-bytes-claims-65535x3585.tif", false,
                                  "the page claims 65535 x 3585 pixels, more than"},
                      CorruptFile{"tiff-tiles-65520x65520-on-32x16.tif", false,
                                  "the page's tiles of 65520 x 65520 pixels do not fit its 32 x 16"},
                      // Whole files with 200 bytes of their data altered.
                      CorruptFile{"jpeg-altered-mid-stream.jpg", true, "Corrupt JPEG data: "},
                      CorruptFile{"png-altered-mid-stream.png", true, "only 34 of 70 lines (IDAT: "},
                      CorruptFile{"tiff-jpeg-altered-mid-stream.tif", true, "Corrupt JPEG data: "},
                      // Warnings that leave the pixels as stored.
                      CorruptFile{"jpeg-padding-between-segments.jpg", true, ""},
                      CorruptFile{"png-text-chunk-bad-checksum.png", true, ""},
                      CorruptFile{"tiff-unknown-private-tag.tif", true, ""}));

// Every reader, given cut and altered copies of files in the layouts it
// takes, refuses them or reads pictures of sane size.
class DamagedCopies : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedCopies, AreReadSafely) {
    const auto codec = GetCodecFactory().CreateCodec(FormatFromPath(GetParam()));
    ASSERT_NE(codec, nullptr);
    ExpectDamagedCopiesAreSafe(*codec, FixtureBytes(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(EveryReader, DamagedCopies,
                         ::testing::Values("tiff/two-pages.tif", "tiff/rgba16.tif", "tiff/tiled.tif",
                                           "gif/animation.gif", "gif/transparent.gif", "ico/mask-and-png.ico",
                                           "ico/alpha-and-png.ico", "png/interlaced.png",
                                           "png/palette-trns.png", "jpeg/orientation-6.jpg",
                                           "jpeg/progressive.jpg", "newformats/photo-q80.webp",
                                           "newformats/animated-5.webp", "newformats/photo-q80.heic",
                                           "newformats/deep-10bit.avif", "newformats/camera.jxl"),
                         [](const auto& info) { return TestNameOf(info.param); });

}  // namespace
