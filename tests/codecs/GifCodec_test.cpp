#include "codecs/gif/GifCodec.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "codecs/FormatTestSupport.h"

using namespace stampora;

namespace {

CRasterImage RoundTrip(CRasterImage& image) {
    CGifCodec codec;
    return RoundTripThrough(codec, "x.gif", image);
}

TEST(GifCodec, AnimationFramesAreComposedWithTheirDelays) {
    const Decoded read(CGifCodec(), FixtureBytes("gif/animation.gif"));
    ASSERT_TRUE(read.ok && read.properties);
    ASSERT_EQ(read.images.Size(), 3u);
    EXPECT_EQ(read.properties->frameDelays, (std::vector<int64_t>{100, 200, 300}));

    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read.images.At(i)->Width(), 16);
        EXPECT_EQ(read.images.At(i)->Bpp(), 32);
    }
    const CRasterImage &first = *read.images.At(0), &second = *read.images.At(1), &third = *read.images.At(2);
    EXPECT_TRUE(ColourNear(first, 12, 12, 255, 0, 0));
    // The green square is drawn over the red frame...
    EXPECT_TRUE(ColourNear(second, 12, 12, 0, 255, 0));
    EXPECT_TRUE(ColourNear(second, 2, 2, 255, 0, 0));
    // ...and cleared to transparency before the blue square is drawn.
    EXPECT_EQ(PixelOf(third, 12, 12).a, 0);
    EXPECT_TRUE(ColourNear(third, 2, 2, 0, 0, 255));
    EXPECT_TRUE(ColourNear(third, 6, 6, 255, 0, 0));
    EXPECT_EQ(PixelOf(third, 6, 6).a, 255);
}

TEST(GifCodec, DeepPicturesAreQuantizedCloselyAndKeepTransparency) {
    // Thousands of colours: palette and dithering keep the colour of every
    // 4 x 4 area (what the eye sees) close to the original.
    CRasterImage photo = PhotoLikePicture(120, 80, 24);
    const CRasterImage back = RoundTrip(photo);
    ASSERT_EQ(back.Width(), 120);
    long worst = 0, total = 0;
    for (int32_t block = 0; block < 30 * 20; ++block) {
        long diff[3] = {};
        for (int32_t i = 0; i < 16; ++i) {
            const int32_t x = block % 30 * 4 + i % 4, y = block / 30 * 4 + i / 4;
            const Bgra p = PixelOf(photo, x, y), q = PixelOf(back, x, y);
            diff[0] += p.r - q.r, diff[1] += p.g - q.g, diff[2] += p.b - q.b;
        }
        for (long d : diff) worst = std::max(worst, std::abs(d) / 16), total += std::abs(d) / 16;
    }
    EXPECT_LT(total / (30 * 20 * 3), 3);
    EXPECT_LT(worst, 24);

    // Few colours come through exactly; alpha 0 becomes transparency.
    CRasterImage logo = PaintedImage(10, 10, 32, [](int32_t x, int32_t y, uint8_t* p) {
        p[0] = static_cast<uint8_t>(x * 20);
        p[1] = static_cast<uint8_t>(y * 20);
        p[2] = 200;
        p[3] = x < 5 ? 255 : 0;
    });
    const CRasterImage logoBack = RoundTrip(logo);
    ASSERT_EQ(logoBack.Bpp(), 32);
    EXPECT_TRUE(ColourNear(logoBack, 3, 7, 200, 140, 60));
    EXPECT_EQ(PixelOf(logoBack, 3, 7).a, 255);
    EXPECT_EQ(PixelOf(logoBack, 7, 7).a, 0);
}

}  // namespace

TEST(GifCodec, ScreensAndFramesLargerThanTheFileCanFillAreRefused) {
    // "GIF89a", a 4000 x 4000 screen without colour table, then a frame.
    std::vector<uint8_t> screen = {'G', 'I', 'F', '8', '9', 'a', 0xA0, 0x0F, 0xA0, 0x0F, 0, 0, 0};
    const std::vector<uint8_t> frame = {0x2C, 0, 0, 0, 0,    0xA0, 0x0F, 0xA0,
                                        0x0F, 0, 2, 2, 0x4C, 0x01, 0,    0x3B};
    screen.insert(screen.end(), frame.begin(), frame.end());
    const Decoded read(CGifCodec(), screen);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.status.Error(), "the screen of 4000 x 4000 pixels is more than the file can fill");
}

TEST(GifCodec, FramesThatCannotBeShownAreNamedAndTheOthersKept) {
    // Four one-pixel frames; each record is 15 bytes from byte 19, its width
    // at 5, its height at 7 and its LZW code size at 10.
    const auto frameAt = [](int i) { return 19 + 15 * static_cast<size_t>(i); };
    std::vector<uint8_t> bytes = ManyFrameGif(16, 16, 4);
    bytes[frameAt(1) + 5] = 0;
    bytes[frameAt(1) + 7] = 0;
    const Decoded empty(CGifCodec(), bytes);
    ASSERT_TRUE(empty.ok) << empty.status.Error();
    EXPECT_EQ(empty.images.Size(), 3u);
    EXPECT_EQ(empty.status.damage, "frame 2 is empty and is left out");

    // A code size giflib refuses: in the first frame the file is refused
    // for it, in a later one the frames before it are kept.
    bytes = ManyFrameGif(16, 16, 4);
    bytes[frameAt(2) + 10] = 12;
    const Decoded later(CGifCodec(), bytes);
    ASSERT_TRUE(later.ok);
    EXPECT_EQ(later.images.Size(), 2u);
    EXPECT_EQ(later.status.damage,
              "frame 3 cannot be decoded: its LZW code size 12 is out of range (giflib: Failed to read from "
              "given file); it and the frames after it are left out");
    bytes[frameAt(0) + 10] = 12;
    const Decoded first(CGifCodec(), bytes);
    EXPECT_FALSE(first.ok);
    EXPECT_EQ(first.status.Error().substr(0, 47), "frame 1 cannot be decoded: its LZW code size 12");
}
