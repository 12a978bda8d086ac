// WebP, HEIF/AVIF and JPEG XL: files the reference encoders wrote read as
// the reference decoders show them, animations keep their frames and
// timing, and damaged or lying files are refused safely.
#include <gtest/gtest.h>

#include <string>

#include "codecs/CodecFactory.h"
#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"
#include "codecs/webp/WebpCodec.h"

using namespace stampora;

namespace {

std::string Fixture(const std::string& name) {
    return FixturePath("newformats/" + name);
}

class ReferenceDecode : public ::testing::TestWithParam<const char*> {};

// The reference decoder's picture sits beside each file as FILE.png; a
// picture turned by irot/imir or by the file's orientation comes upright.
TEST_P(ReferenceDecode, MatchesTheReferenceDecoder) {
    CRasterImage ours, reference;
    Status status;
    ASSERT_TRUE(ours.Load(Fixture(GetParam()), nullptr, &status)) << status.Error();
    EXPECT_EQ(status.damage, "");
    ASSERT_TRUE(reference.Load(Fixture(std::string(GetParam()) + ".png"), nullptr, &status))
        << status.Error();
    ASSERT_EQ(ours.Width(), reference.Width());
    ASSERT_EQ(ours.Height(), reference.Height());
    EXPECT_LE(DifferenceOf(ours, reference, true).mean, 1.0);
}

INSTANTIATE_TEST_SUITE_P(EveryNewFormat, ReferenceDecode,
                         ::testing::Values("photo-q80.webp", "alpha-lossless.webp", "photo-q80.heic",
                                           "camera.heic", "grid-odd.heic", "turned.heic", "alpha-q80.avif",
                                           "deep-10bit.avif", "turned.avif", "photo-q80.jxl",
                                           "alpha-lossless.jxl", "camera.jxl"));

TEST(NewFormats, AnimatedWebpKeepsEveryFrameWithItsTiming) {
    Frames read(Fixture("animated-5.webp"));
    ASSERT_TRUE(read.ok) << read.status.Error();
    ASSERT_EQ(read.images.Size(), 5u);
    EXPECT_EQ(read.properties.frameDelays, (std::vector<int64_t>{100, 200, 300, 400, 500}));
    EXPECT_EQ(read.properties.loopCount, 2u);

    ScratchDir dir;
    read.properties.saveQuality = 100;
    Status status;
    ASSERT_TRUE(CPictureFiles::Save(read.images, dir.File("copy.webp"), read.properties, &status))
        << status.Error();
    const Frames back(dir.File("copy.webp"));
    ASSERT_EQ(back.images.Size(), 5u);
    EXPECT_EQ(back.properties.frameDelays, read.properties.frameDelays);
    EXPECT_EQ(back.properties.loopCount, 2u);
    for (size_t i = 0; i < 5; ++i) ExpectSamePixels(*back.images.At(i), *read.images.At(i));
}

// A header claiming a picture far larger than the file could describe is
// refused before any pixel memory is taken.
TEST(NewFormats, HeadersClaimingMoreThanTheFileHoldsAreRefused) {
    std::vector<uint8_t> webp = FixtureBytes("newformats/alpha-lossless.webp");
    // The lossless header: 14 bits of width - 1, then 14 of height - 1.
    const uint32_t sizes = 0x3FFFu | 0x3FFFu << 14;
    for (int i = 0; i < 4; ++i)
        webp[21 + i] = static_cast<uint8_t>(sizes >> (8 * i) | (i == 3 ? webp[24] & 0xF0 : 0));
    std::vector<uint8_t> heic = FixtureBytes("newformats/photo-q80.heic");
    const std::string box(reinterpret_cast<const char*>(heic.data()), heic.size());
    // Every item's spatial extent (tiles and grid alike): 16384 x 16384.
    for (size_t ispe = box.find("ispe"); ispe != std::string::npos; ispe = box.find("ispe", ispe + 1)) {
        for (size_t i = 0; i < 8; ++i) heic[ispe + 8 + i] = i % 4 == 2 ? 0x40 : 0;
    }
    for (auto& [name, bytes] : {std::pair{"x.webp", webp}, std::pair{"x.heic", heic}}) {
        const Decoded read(*GetCodecFactory().CreateCodec(FormatFromPath(name)), bytes);
        EXPECT_FALSE(read.ok) << name;
        // Ours, or libheif's own limit set from the file's size, which also
        // holds for tiles the grid never shows whole.
        const std::string error = read.status.Error();
        EXPECT_TRUE(error.find("claims 16384 x 16384") != std::string::npos ||
                    error.find("Image size 16384x16384 exceeds") != std::string::npos)
            << error;
    }
}

}  // namespace
