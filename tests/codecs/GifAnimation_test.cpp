// Animations written back as GIF show the same pictures, with the same
// timing, in any viewer; hostile animations are cut short with a reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/FormatTestSupport.h"
#include "codecs/Gif_pvt.h"
#include "codecs/PictureFiles.h"

namespace {

// The largest difference of a colour channel between two frames, or 256 when
// a pixel is transparent in one and not in the other.
int LargestDifference(const CRasterImage& a, const CRasterImage& b) {
    int largest = 0;
    for (int32_t y = 0; y < a.Height(); ++y) {
        for (int32_t x = 0; x < a.Width(); ++x) {
            const Bgra p = PixelOf(a, x, y);
            const Bgra q = PixelOf(b, x, y);
            if ((p.a == 0) != (q.a == 0)) return 256;
            if (p.a == 0) continue;
            largest = std::max({largest, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
        }
    }
    return largest;
}

// ImageMagick's optimised animation (frames covering what changed, a
// transparent corner, delays 10 to 50, shown 3 times) and a hand-made one whose
// second frame is cleared to transparency before the third.
class GifAnimationRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(GifAnimationRoundTrip, ComposesToTheSamePicturesWithTheSameTiming) {
    ImageList source;
    CImageProperties properties;
    FileStatus status;
    ASSERT_TRUE(CPictureFiles::LoadFrames(source, FixturePath(std::string("gif/") + GetParam()), &properties,
                                          &status))
        << status.error;
    ASSERT_GT(source.Size(), 1u);

    ScratchDir dir;
    const std::string path = dir.File("copy.gif");
    ASSERT_TRUE(CPictureFiles::Save(source, path, properties, &status)) << status.error;
    ImageList copy;
    CImageProperties copied;
    ASSERT_TRUE(CPictureFiles::LoadFrames(copy, path, &copied, &status)) << status.error;
    ASSERT_EQ(copy.Size(), source.Size());
    EXPECT_EQ(copied.GetValue(kPropertyFrameDelays), properties.GetValue(kPropertyFrameDelays));
    EXPECT_EQ(copied.GetValue(kPropertyLoopCount), properties.GetValue(kPropertyLoopCount));
    for (size_t i = 0; i < source.Size(); ++i) {
        // Each frame is reduced to 256 colours again: near, and exactly as
        // transparent.
        EXPECT_LE(LargestDifference(*source.At(i), *copy.At(i)), 24) << "frame " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GifAnimationRoundTrip,
                         ::testing::Values("animated-5.gif", "animation.gif"));

TEST(GifAnimation, LoopCountIsReadAndOnlyKeptForAnimations) {
    CImageProperties animated;
    CImageProperties still;
    ImageList frames;
    ASSERT_TRUE(CPictureFiles::LoadFrames(frames, FixturePath("gif/animated-5.gif"), &animated, nullptr));
    // ImageMagick's -loop 3 (three showings in all) is stored as 2 more.
    EXPECT_EQ(animated.GetValue(kPropertyLoopCount), "2");
    frames.Clear();
    ASSERT_TRUE(CPictureFiles::LoadFrames(frames, FixturePath("gif/still.gif"), &still, nullptr));
    EXPECT_EQ(frames.Size(), 1u);
    EXPECT_FALSE(still.HasKey(kPropertyLoopCount));
}

TEST(GifAnimation, FramesOfDifferentSizesAreRefused) {
    CRasterImage a, b;
    ASSERT_TRUE(a.Create(8, 8, 32));
    ASSERT_TRUE(b.Create(8, 9, 32));
    ImageList frames(false);
    frames.Append(&a);
    frames.Append(&b);
    ScratchDir dir;
    FileStatus status;
    EXPECT_FALSE(CPictureFiles::Save(frames, dir.File("x.gif"), CImageProperties(), &status));
    EXPECT_EQ(status.error, "the frames of an animation differ in size");
}

// A GIF of `frames` one-pixel frames on a screen of `width` x `height`.
std::vector<uint8_t> ManyFrameGif(int width, int height, int frames) {
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    const auto word = [&gif](int value) {
        gif.push_back(static_cast<uint8_t>(value));
        gif.push_back(static_cast<uint8_t>(value >> 8));
    };
    word(width);
    word(height);
    gif.insert(gif.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});  // two colours
    for (int i = 0; i < frames; ++i) {
        gif.push_back(0x2C);
        word(i % width);
        word(0);
        word(1);
        word(1);
        // No local table; LZW of one pixel of index 0 (clear, 0, end).
        gif.insert(gif.end(), {0, 2, 2, 0x44, 0x01, 0});
    }
    gif.push_back(0x3B);
    return gif;
}

TEST(GifAnimation, FramesPastTheMemoryLimitAreLeftOutWithAReason) {
    // A 3 KB file cannot make a thousand screens of 2048 x 2048: the frames
    // that fit are kept and the rest named as damage.
    const std::vector<uint8_t> bytes = ManyFrameGif(2048, 2048, 300);
    GifStoredFrames stored;
    FileStatus status;
    ASSERT_TRUE(ReadGifFrames(bytes.data(), bytes.size(), stored, status)) << status.error;
    EXPECT_LT(stored.frames.size(), 300u);
    EXPECT_GT(stored.frames.size(), 1u);
    EXPECT_NE(status.damage.find("past the memory limit"), std::string::npos) << status.damage;

    // Within the limit every frame is read and nothing is damaged.
    const std::vector<uint8_t> small = ManyFrameGif(16, 16, 300);
    stored = GifStoredFrames();
    status = FileStatus();
    ASSERT_TRUE(ReadGifFrames(small.data(), small.size(), stored, status));
    EXPECT_EQ(stored.frames.size(), 300u);
    EXPECT_TRUE(status.damage.empty()) << status.damage;
}

}  // namespace
