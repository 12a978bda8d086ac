// Copies in WebP, HEIF/HEIC, AVIF and JPEG XL keep what their sources
// carried: an animated WebP every frame with its timing, the metadata, and
// their own format; deep sources are written as 8-bit AVIF.
#include <gtest/gtest.h>

#include <exiv2/exiv2.hpp>
#include <string>

#include "batch/BatchTestSupport.h"
#include "batch/copy/WatermarkFile.h"
#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"
#include "codecs/metadata/EmbeddedMetadata.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

std::string Fixture(const std::string& name) {
    return FixturePath("newformats/" + name);
}

// A red 10 x 10 logo at the right bottom: on a 64 x 48 picture it covers
// x 44..53, y 28..37.
using batchtest::StampRedLogo;

TEST(NewFormatsKept, AnAnimatedWebpKeepsEveryFrameStampedWithItsTiming) {
    ScratchDir dir;
    const BatchFileResult result =
        StampRedLogo(Fixture("animated-5.webp"), dir.File("a.webp"), MetadataKept::None);
    ASSERT_TRUE(result.Complete()) << result.status.Error() << result.status.damage;
    ImageList before, after;
    CImageProperties sourceTiming, copyTiming;
    ASSERT_TRUE(CPictureFiles::LoadFrames(before, Fixture("animated-5.webp"), &sourceTiming, nullptr));
    ASSERT_TRUE(CPictureFiles::LoadFrames(after, dir.File("a.webp"), &copyTiming, nullptr));
    ASSERT_EQ(after.Size(), 5u);
    EXPECT_EQ(copyTiming.frameDelays, sourceTiming.frameDelays);
    EXPECT_EQ(copyTiming.loopCount, 2u);
    for (size_t i = 0; i < after.Size(); ++i) {
        EXPECT_TRUE(ColourNear(*after.At(i), 48, 32, 255, 0, 0, 24)) << "frame " << i + 1;
        EXPECT_TRUE(ColourNear(*after.At(i), 5, 5, PixelOf(*before.At(i), 5, 5).r,
                               PixelOf(*before.At(i), 5, 5).g, PixelOf(*before.At(i), 5, 5).b, 24));
    }
}

// A frame that cannot be decoded ends the copy there, and it is reported
// as damaged rather than written whole.
TEST(NewFormatsKept, ABrokenFrameOfAWebpAnimationIsReported) {
    ScratchDir dir;
    std::vector<uint8_t> bytes = FixtureBytes("newformats/animated-5.webp");
    const std::string file(bytes.begin(), bytes.end());
    const size_t last = file.rfind("VP8 ");
    ASSERT_NE(last, std::string::npos);
    // The frame's header stays; its first partition, which says how the
    // rest is coded, becomes noise that libwebp rejects.
    for (size_t i = last + 18; i < last + 40; ++i) bytes[i] = 0xFF;
    WriteBytes(dir.File("broken.webp"), bytes);
    const BatchFileResult result =
        StampRedLogo(dir.File("broken.webp"), dir.File("copy.webp"), MetadataKept::None);
    EXPECT_EQ(result.outcome, BatchFileOutcome::Written) << result.status.Error();
    EXPECT_EQ(result.status.damage, "only 4 of 5 frames (the next one is broken)");
}

// The copy's own library finds the blocks and exiv2 reads them, so the
// camera items and the XMP title are checked apart from the writer.
TEST(NewFormatsKept, EachFormatKeepsTheSourcesMetadataAndItsFormat) {
    for (const char* name : {"camera.webp", "camera.heic", "camera.avif", "camera.jxl"}) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        const BatchFileResult result = StampRedLogo(Fixture(name), dir.File(name), MetadataKept::All);
        ASSERT_TRUE(result.Complete()) << result.status.Error() << result.status.Warning(Domain::Metadata);
        const std::vector<uint8_t> copy = FileBytes(dir.File(name));
        EXPECT_EQ(FormatFromSignature(copy.data(), copy.size()), FormatFromPath(name));
        const EmbeddedMetadata blocks = EmbeddedMetadataOf(copy.data(), copy.size());
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(blocks.exif.data()),
                                  static_cast<uint32_t>(blocks.exif.size()));
        EXPECT_EQ(exif["Exif.Image.Make"].toString(), "Stampora");
        Exiv2::XmpData xmp;
        Exiv2::XmpParser::decode(xmp, blocks.xmp);
        EXPECT_NE(xmp["Xmp.dc.title"].toString().find("Fixture"), std::string::npos);
    }
}

// Deep samples reach the AVIF encoder as 8 bits: some builds of libaom stop
// the whole process when handed more.
TEST(NewFormatsKept, DeepSourcesAreWrittenAsAvif) {
    for (const char* name : {"deep-16bit.png", "deep-10bit.avif"}) {
        ScratchDir dir;
        const BatchFileResult result = StampRedLogo(Fixture(name), dir.File("deep.avif"), MetadataKept::None);
        ASSERT_TRUE(result.Complete()) << name << ": " << result.status.Error();
        CRasterImage source, back;
        ASSERT_TRUE(source.Load(Fixture(name)));
        ASSERT_TRUE(back.Load(dir.File("deep.avif")));
        for (const int32_t y : {2, 27}) {
            const Bgra was = PixelOf(source, 5, y);
            EXPECT_TRUE(ColourNear(back, 5, y, was.r, was.g, was.b, 12)) << name;
        }
    }
}

}  // namespace
