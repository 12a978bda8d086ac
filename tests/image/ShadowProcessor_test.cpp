#include "image/transform/ShadowProcessor.h"

#include <gtest/gtest.h>

#include "support/TestPictures.h"

using namespace stampora;

TEST(ShadowProcessor, GrowsToHoldTheShadowAndKeepsThePictureInPlace) {
    CRasterImage image = UniformImage(10, 10, 32, 0xFF0000FF);
    image.offsetX = 100, image.offsetY = 50;
    CShadowProcessor down(ShadowParams{.blur = 4, .offsetX = 5, .offsetY = 5});
    ASSERT_TRUE(image.RunProcessor(down, nullptr));
    EXPECT_TRUE(image.Width() == 19 && image.Height() == 19);
    EXPECT_TRUE(image.offsetX == 100 && image.offsetY == 50);
    EXPECT_EQ(image.ReadPixel(0, 0), 0xFF0000FFu);    // the picture on top
    EXPECT_EQ(image.ReadPixel(12, 12), 0xBF4B4B4Bu);  // full shadow: 255 x 75 / 100
    EXPECT_EQ(image.ReadPixel(18, 18) >> 24, 0u);     // beyond the blur

    CRasterImage left = UniformImage(10, 10, 32, 0xFF0000FF);
    CShadowProcessor up(ShadowParams{.blur = 4, .offsetX = -5, .offsetY = 0});
    ASSERT_TRUE(left.RunProcessor(up, nullptr));
    EXPECT_TRUE(left.Width() == 19 && left.Height() == 18);
    EXPECT_TRUE(left.offsetX == -9 && left.offsetY == -4);
    EXPECT_EQ(left.ReadPixel(9, 4), 0xFF0000FFu);
}

TEST(ShadowProcessor, ClampsOpacityAndBlur) {
    CShadowProcessor faint(ShadowParams{.blur = 0, .opacity = 0, .offsetX = 20, .offsetY = 0});
    EXPECT_EQ(faint.Params().blur, 2);
    CShadowProcessor strong(ShadowParams{.blur = 2, .opacity = 150, .offsetX = 20, .offsetY = 0});

    // A shadow clear of its picture: inside it, opacity 1 leaves alpha 2 of 255.
    CRasterImage image = UniformImage(4, 4, 32, 0xFF000000);
    ASSERT_TRUE(image.RunProcessor(faint, nullptr));
    EXPECT_EQ(image.ReadPixel(22, 4), 0x024B4B4Bu);
    image = UniformImage(4, 4, 32, 0xFF000000);
    ASSERT_TRUE(image.RunProcessor(strong, nullptr));
    EXPECT_EQ(image.ReadPixel(22, 4), 0xFF4B4B4Bu);
}

TEST(ShadowProcessor, RefusesOrFailsWithoutTouchingThePicture) {
    CShadowProcessor shadow(ShadowParams{.blur = 4, .offsetX = 5, .offsetY = 5});
    CRasterImage flat = UniformImage(4, 4, 24, 0x123456);
    EXPECT_FALSE(flat.RunProcessor(shadow, nullptr));

    // A shadow so far away that the grown picture cannot be made.
    const CRasterImage source = NoiseImage(5, 5, 32, 1);
    CRasterImage image = source;
    image.offsetX = 3;
    CShadowProcessor far(ShadowParams{.blur = 4, .offsetX = 2000000000, .offsetY = 2000000000});
    EXPECT_FALSE(image.RunProcessor(far, nullptr));
    EXPECT_TRUE(SamePixels(image, source));
    EXPECT_EQ(image.offsetX, 3);
}
