// Animations written back as GIF show the same pictures, with the same
// timing, in any viewer; hostile animations are cut short with a reason.
#include "codecs/gif/GifAnimation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"
#include "codecs/gif/GifCodec.h"

using namespace stampora;

namespace {

// The largest difference of a colour channel between two frames, or 256 when
// a pixel is transparent in one and not in the other.
int LargestDifference(const CRasterImage& a, const CRasterImage& b) {
    int largest = 0;
    EachPixel(a, [&](int32_t x, int32_t y, const uint8_t*) {
        const Bgra p = PixelOf(a, x, y), q = PixelOf(b, x, y);
        if ((p.a == 0) != (q.a == 0)) largest = 256;
        if (p.a != 0)
            largest = std::max({largest, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
    });
    return largest;
}

// ImageMagick's optimised animation (frames covering what changed, a
// transparent corner, delays 10 to 50, shown 3 times) and a hand-made one whose
// second frame is cleared to transparency before the third.
class GifAnimationRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(GifAnimationRoundTrip, ComposesToTheSamePicturesWithTheSameTiming) {
    ImageList source;
    CImageProperties properties;
    Status status;
    ASSERT_TRUE(CPictureFiles::LoadFrames(source, FixturePath(std::string("gif/") + GetParam()), &properties,
                                          &status))
        << status.Error();
    ASSERT_GT(source.Size(), 1u);

    ScratchDir dir;
    const std::string path = dir.File("copy.gif");
    ASSERT_TRUE(CPictureFiles::Save(source, path, properties, &status)) << status.Error();
    ImageList copy;
    CImageProperties copied;
    ASSERT_TRUE(CPictureFiles::LoadFrames(copy, path, &copied, &status)) << status.Error();
    ASSERT_EQ(copy.Size(), source.Size());
    EXPECT_EQ(copied.frameDelays, properties.frameDelays);
    EXPECT_EQ(copied.loopCount, properties.loopCount);
    for (size_t i = 0; i < source.Size(); ++i) {
        // Each frame is reduced to 256 colours again: near, and exactly as
        // transparent.
        EXPECT_LE(LargestDifference(*source.At(i), *copy.At(i)), 24) << "frame " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GifAnimationRoundTrip,
                         ::testing::Values("animated-5.gif", "animation.gif", "disposals.gif", "sprites.gif",
                                           "holes.gif"));

TEST(GifAnimation, SmallFramesStaySmallWhateverWayTheyLeave) {
    // Squares of 16 x 16 far apart on a white screen, each put back to the
    // screen before it or cleared: a copy covers each square alone again.
    for (const char* name : {"sprites.gif", "holes.gif"}) {
        ImageList frames;
        CImageProperties properties;
        ASSERT_TRUE(
            CPictureFiles::LoadFrames(frames, FixturePath(std::string("gif/") + name), &properties, nullptr));
        ScratchDir dir;
        ASSERT_TRUE(CPictureFiles::Save(frames, dir.File("copy.gif"), properties, nullptr));
        GifAnimationPlayer copy;
        Status status;
        ASSERT_TRUE(copy.OpenFile(dir.File("copy.gif"), status)) << status.Error();
        ASSERT_EQ(copy.FrameCount(), 6u);
        for (size_t i = 1; i < copy.FrameCount(); ++i) {
            const GifStoredFrame& f = copy.Stored().frames[i];
            EXPECT_LE(f.width * f.height, 16 * 16) << name << " frame " << i + 1;
        }
    }
}

TEST(GifAnimation, LoopCountIsReadAndOnlyKeptForAnimations) {
    CImageProperties animated;
    CImageProperties still;
    ImageList frames;
    ASSERT_TRUE(CPictureFiles::LoadFrames(frames, FixturePath("gif/animated-5.gif"), &animated, nullptr));
    // ImageMagick's -loop 3 (three showings in all) is stored as 2 more.
    EXPECT_EQ(animated.loopCount, 2u);
    frames.Clear();
    ASSERT_TRUE(CPictureFiles::LoadFrames(frames, FixturePath("gif/still.gif"), &still, nullptr));
    EXPECT_EQ(frames.Size(), 1u);
    EXPECT_EQ(still.frameDelays, std::vector<int64_t>{0});
    EXPECT_FALSE(still.loopCount);
}

TEST(GifAnimation, FramesOfDifferentSizesAreRefused) {
    CRasterImage a = BlankImage(8, 8, 32), b = BlankImage(8, 9, 32);
    ImageList frames(false);
    frames.Append(&a);
    frames.Append(&b);
    ScratchDir dir;
    Status status;
    EXPECT_FALSE(CPictureFiles::Save(frames, dir.File("x.gif"), CImageProperties(), &status));
    EXPECT_EQ(status.Error(), "the frames of an animation differ in size");
}

TEST(GifAnimation, ManySmallFramesOnABigScreenCostWhatTheFileHolds) {
    // A 3 KB file of 300 one-pixel frames on a 2048 x 2048 screen is read
    // whole: the frames as stored are small, and a player composes them on
    // one screen. (A list of every frame as a screen of its own is cut at
    // the memory limit, with the reason as damage.)
    const std::vector<uint8_t> bytes = ManyFrameGif(2048, 2048, 300);
    GifAnimationPlayer player;
    Status status;
    ASSERT_TRUE(player.Open(bytes.data(), bytes.size(), status)) << status.Error();
    EXPECT_EQ(player.FrameCount(), 300u);
    EXPECT_TRUE(status.damage.empty()) << status.damage;
}

// Played one frame at a time with only what changed, an animation is written
// byte for byte as from the list of its frames whole.
TEST_P(GifAnimationRoundTrip, PlayedFrameByFrameItIsWrittenAsFromTheWholeFrames) {
    const std::string source = FixturePath(std::string("gif/") + GetParam());
    ImageList frames;
    CImageProperties properties;
    ASSERT_TRUE(CPictureFiles::LoadFrames(frames, source, &properties, nullptr));
    ScratchDir dir;
    ASSERT_TRUE(CPictureFiles::Save(frames, dir.File("whole.gif"), properties, nullptr));

    GifAnimationPlayer player;
    Status status;
    ASSERT_TRUE(player.OpenFile(source, status)) << status.Error();
    CGifCodec writer;
    ASSERT_TRUE(writer.BeginAnimation(dir.File("played.gif"), player.Width(), player.Height(), &properties));
    FrameArea changed;
    for (size_t i = 0; player.Next(changed); ++i) {
        ExpectSamePixels(player.Screen(), *frames.At(i));
        ASSERT_TRUE(writer.AddFrame(player.Screen(), changed)) << writer.Status().Error();
    }
    ASSERT_TRUE(writer.FinishAnimation()) << writer.Status().Error();
    EXPECT_EQ(FileBytes(dir.File("played.gif")), FileBytes(dir.File("whole.gif")));
}

TEST(GifAnimation, APlainLoadDecodesOnlyTheFirstFrame) {
    // Two frames and a third whose data is cut off: reading every frame finds
    // the break, a plain load never gets that far.
    std::vector<uint8_t> bytes = ManyFrameGif(16, 16, 3);
    bytes.resize(bytes.size() - 4);
    ScratchDir dir;
    const std::string path = dir.File("cut.gif");
    WriteBytes(path, bytes);
    ImageList frames;
    Status status;
    ASSERT_TRUE(CPictureFiles::LoadFrames(frames, path, nullptr, &status));
    EXPECT_FALSE(status.damage.empty());

    CRasterImage first;
    ASSERT_TRUE(first.Load(path, nullptr, &status)) << status.Error();
    EXPECT_TRUE(status.damage.empty()) << status.damage;
    // The first frame of an animation still comes as the screen it shows.
    EXPECT_EQ(first.Bpp(), 32);
    ExpectSamePixels(first, *frames.First());
}

}  // namespace
