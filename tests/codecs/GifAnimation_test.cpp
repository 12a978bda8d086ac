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

TEST_P(GifAnimationRoundTrip, ComposesToTheSamePicturesWithTheSameTimingWholeOrPlayed) {
    const std::string source = FixturePath(std::string("gif/") + GetParam());
    const Frames read(source);
    ASSERT_TRUE(read.ok) << read.status.Error();
    ASSERT_GT(read.images.Size(), 1u);
    ScratchDir dir;
    const std::string path = dir.File("copy.gif");
    Status status;
    ASSERT_TRUE(CPictureFiles::Save(read.images, path, read.properties, &status)) << status.Error();
    const Frames copy(path);
    ASSERT_TRUE(copy.ok) << copy.status.Error();
    ASSERT_EQ(copy.images.Size(), read.images.Size());
    EXPECT_EQ(copy.properties.frameDelays, read.properties.frameDelays);
    EXPECT_EQ(copy.properties.loopCount, read.properties.loopCount);
    // Each frame is reduced to 256 colours again: near, and exactly as
    // transparent.
    for (size_t i = 0; i < read.images.Size(); ++i)
        EXPECT_LE(LargestDifference(*read.images.At(i), *copy.images.At(i)), 24) << "frame " << i + 1;

    // Played one frame at a time with only what changed, the animation is
    // written byte for byte as from the list of its frames whole.
    GifAnimationPlayer player;
    ASSERT_TRUE(player.OpenFile(source, status)) << status.Error();
    CGifCodec writer;
    ASSERT_TRUE(
        writer.BeginAnimation(dir.File("played.gif"), player.Width(), player.Height(), &read.properties));
    FrameArea changed;
    for (size_t i = 0; player.Next(changed); ++i) {
        ExpectSamePixels(player.Screen(), *read.images.At(i));
        ASSERT_TRUE(writer.AddFrame(player.Screen(), changed)) << writer.Status().Error();
    }
    ASSERT_TRUE(writer.FinishAnimation()) << writer.Status().Error();
    EXPECT_EQ(FileBytes(dir.File("played.gif")), FileBytes(path));

    // Squares of 16 x 16 far apart on a white screen, each put back to the
    // screen before it or cleared: a copy covers each square alone again.
    if (std::string(GetParam()) != "sprites.gif" && std::string(GetParam()) != "holes.gif") return;
    GifAnimationPlayer copied;
    ASSERT_TRUE(copied.OpenFile(path, status)) << status.Error();
    ASSERT_EQ(copied.FrameCount(), copy.images.Size());
    for (size_t i = 1; i < copied.FrameCount(); ++i) {
        const GifStoredFrame& f = copied.Stored().frames[i];
        EXPECT_LE(f.width * f.height, 16 * 16) << "frame " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GifAnimationRoundTrip,
                         ::testing::Values("animated-5.gif", "animation.gif", "disposals.gif", "sprites.gif",
                                           "holes.gif"));

TEST(GifAnimation, LoopCountIsReadAndOnlyKeptForAnimations) {
    // ImageMagick's -loop 3 (three showings in all) is stored as 2 more.
    EXPECT_EQ(Frames(FixturePath("gif/animated-5.gif")).properties.loopCount, 2u);
    const Frames still(FixturePath("gif/still.gif"));
    EXPECT_EQ(still.images.Size(), 1u);
    EXPECT_EQ(still.properties.frameDelays, std::vector<int64_t>{0});
    EXPECT_FALSE(still.properties.loopCount);
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

TEST(GifAnimation, APlainLoadDecodesOnlyTheFirstFrame) {
    // Two frames and a third whose data is cut off: reading every frame finds
    // the break, a plain load never gets that far.
    std::vector<uint8_t> bytes = ManyFrameGif(16, 16, 3);
    bytes.resize(bytes.size() - 4);
    ScratchDir dir;
    const std::string path = dir.File("cut.gif");
    WriteBytes(path, bytes);
    const Frames frames(path);
    ASSERT_TRUE(frames.ok);
    EXPECT_FALSE(frames.status.damage.empty());

    CRasterImage first;
    Status status;
    ASSERT_TRUE(first.Load(path, nullptr, &status)) << status.Error();
    EXPECT_TRUE(status.damage.empty()) << status.damage;
    // The first frame of an animation still comes as the screen it shows.
    EXPECT_EQ(first.Bpp(), 32);
    ExpectSamePixels(first, *frames.images.First());
}

}  // namespace
