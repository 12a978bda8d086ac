// Marks made to fit each picture: relative sizes, margins, filled-in
// text and the layers kept between pictures.
#include "watermark/FittedMark.h"

#include <gtest/gtest.h>

#include "batch/BatchTestSupport.h"
#include "batch/copy/WatermarkFile.h"
#include "codecs/PictureFiles.h"
#include "codecs/metadata/ImageProperties.h"
#include "support/MarkMeasure.h"
#include "support/TestPaths.h"
#include "text/FontCatalog.h"
#include "watermark/StampOnto.h"

using namespace stampora;

namespace {

// A red logo at the right bottom.
using batchtest::RedLogo;

TextWatermark Text(const std::u16string& text) {
    TextWatermark mark;
    mark.text = text;
    mark.font = {24, kFontWeightNormal, false, kDefaultCharSet, u"DejaVu Sans"};
    mark.base.enabled = true;
    mark.base.alignment = LeftTop;
    mark.UpdateParams();
    EXPECT_TRUE(mark.RebuildLayer());
    return mark;
}

MarkFit Percent(double share, FitSide side) {
    MarkFit fit;
    fit.sizePercent = share;
    fit.side = side;
    return fit;
}

}  // namespace

TEST(FittedImageMark, FollowsThePicturesWidthOrHeightAndKeepsLayersBySize) {
    const ImageWatermark logo = RedLogo(200, 100);
    CFittedImageMark byWidth(logo, Percent(25, FitSide::Width));
    PreparedMark small;
    PreparedMark large;
    PreparedMark again;
    Status reason;
    ASSERT_TRUE(byWidth.ForPicture(400, 300, small, reason)) << reason.Error();
    ASSERT_TRUE(byWidth.ForPicture(1600, 1200, large, reason)) << reason.Error();
    ASSERT_TRUE(byWidth.ForPicture(400, 900, again, reason)) << reason.Error();
    EXPECT_EQ(small.layer->Width(), 100);
    EXPECT_EQ(small.layer->Height(), 50);
    EXPECT_EQ(large.base.markWidth, 400);
    EXPECT_EQ(large.base.markHeight, 200);
    EXPECT_EQ(again.layer.get(), small.layer.get());  // same width: the same layer, not a rebuild

    CFittedImageMark byHeight(logo, Percent(20, FitSide::Height));
    ASSERT_TRUE(byHeight.ForPicture(400, 300, small, reason));
    EXPECT_EQ(small.base.markWidth, 120);
    EXPECT_EQ(small.base.markHeight, 60);

    // Under one pixel, or more pixels than a picture may hold: refused with
    // the sizes in the reason.
    EXPECT_FALSE(byWidth.ForPicture(3, 300, small, reason));
    EXPECT_NE(reason.Error().find("under 1 pixel"), std::string::npos) << reason.Error();
    const ImageWatermark tall = RedLogo(1, 40000);
    CFittedImageMark huge(tall, Percent(100, FitSide::Width));
    EXPECT_FALSE(huge.ForPicture(20000, 100, small, reason));
    EXPECT_NE(reason.Error().find("268435456-pixel limit"), std::string::npos) << reason.Error();
}

TEST(FittedTextMark, SizeFollowsTheShorterSideAndTextFillsIn) {
    if (!IsInstalledFamily("DejaVu Sans")) GTEST_SKIP() << "DejaVu Sans is not installed";
    const TextWatermark named = Text(u"{name}");
    CFittedTextMark fitted(named, Percent(5, FitSide::Shorter));
    MarkTextFacts facts;
    facts.name = "H";
    facts.width = 400;
    facts.height = 300;
    PreparedMark small;
    PreparedMark large;
    Status reason;
    ASSERT_TRUE(fitted.ForPicture(facts, small, reason)) << reason.Error();
    facts.width = 1600;
    facts.height = 1200;
    ASSERT_TRUE(fitted.ForPicture(facts, large, reason)) << reason.Error();
    // The ink of "H" is a quarter as tall on a picture a quarter the size.
    auto inkRows = [](const CRasterImage& layer) {
        double rows = 0.0;
        for (int32_t y = 0; y < layer.Height(); ++y) {
            uint8_t most = 0;
            for (int32_t x = 0; x < layer.Width(); ++x) most = std::max(most, layer.PixelAt(x, y)[3]);
            rows += most / 255.0;
        }
        return rows;
    };
    EXPECT_NEAR(inkRows(*large.layer) / inkRows(*small.layer), 4.0, 0.04);

    // {name} draws exactly what the plain text draws.
    const TextWatermark plain = Text(u"a");
    CFittedTextMark literal(plain, MarkFit{});
    const TextWatermark named24 = Text(u"{name}");
    CFittedTextMark filled(named24, MarkFit{});
    facts.name = "a";
    PreparedMark fromName;
    PreparedMark fromText;
    ASSERT_TRUE(filled.ForPicture(facts, fromName, reason));
    ASSERT_TRUE(literal.ForPicture(facts, fromText, reason));
    EXPECT_TRUE(SamePixels(*fromName.layer, *fromText.layer));
    EXPECT_EQ(fromText.layer.get(), &plain.layer);  // a fixed mark is used as rendered

    facts.width = 10;
    facts.height = 10;
    EXPECT_FALSE(fitted.ForPicture(facts, small, reason));
    EXPECT_NE(reason.Error().find("0.50 pixels"), std::string::npos) << reason.Error();
}

TEST(FittedMark, AFixedLayerIsMadeOnceForTheFirstPictureThatCanHoldIt) {
    ImageWatermark logo = RedLogo(200, 100);
    logo.layer.Destroy();
    int32_t builds = 0;
    CFittedImageMark fixed(logo, MarkFit{});
    fixed.BuildLayerOnDemand(logo.BaseToBe(), [&] { return ++builds, logo.RebuildLayer(); });
    PreparedMark prepared;
    Status reason;
    ASSERT_TRUE(fixed.ForPicture(210, 300, prepared, reason));  // no room for the margin
    EXPECT_EQ(builds, 0);
    EXPECT_EQ(prepared.base.markWidth, 200);
    CRasterImage picture = batchtest::SolidPicture(210, 300, 0, 0, 0);
    ASSERT_TRUE(picture.PromoteDepth(32));
    EXPECT_EQ(StampLaidOut(picture, prepared.base, *prepared.layer, MarkLayout{}, reason),
              MarkStamp::LeftOff);
    for (int32_t i = 0; i < 2; ++i) {
        ASSERT_TRUE(fixed.ForPicture(211, 300, prepared, reason));
        EXPECT_EQ(prepared.layer.get(), &logo.layer);
    }
    EXPECT_EQ(builds, 1);

    // A layer that cannot be made fails the pictures that could hold it,
    // and is tried once.
    CFittedImageMark failing(logo, MarkFit{});
    failing.BuildLayerOnDemand(logo.BaseToBe(), [&] { return ++builds, false; });
    EXPECT_FALSE(failing.ForPicture(400, 300, prepared, reason));
    EXPECT_EQ(reason.Error(), "the image mark could not be prepared at its size");
    EXPECT_FALSE(failing.ForPicture(400, 300, prepared, reason));
    EXPECT_TRUE(failing.ForPicture(100, 100, prepared, reason));
    EXPECT_EQ(builds, 2);
}

TEST(FittedMark, MarginFollowsTheShorterSide) {
    const ImageWatermark logo = RedLogo(20, 10);
    MarkFit fit;
    fit.layout.margin = RelativeLength{3, true};
    CFittedImageMark fitted(logo, fit);
    PreparedMark prepared;
    Status reason;
    ASSERT_TRUE(fitted.ForPicture(1000, 500, prepared, reason));
    EXPECT_EQ(prepared.base.margin, 15);
    prepared.base.PlaceByAlignment(1000, 500);
    EXPECT_EQ(prepared.base.x, 1000 - 20 - 15);
    EXPECT_EQ(prepared.base.y, 500 - 10 - 15);
}

TEST(WatermarkFile, DateComesFromTheCameraJpegsMetadata) {
    if (!IsInstalledFamily("DejaVu Sans")) GTEST_SKIP() << "DejaVu Sans is not installed";
    ScratchDir dir;
    // The camera JPEG's own metadata, on a picture large enough for the text.
    auto cameraPicture = [](CRasterImage& picture, const std::string&, CImageProperties* metadata,
                            Status& status) {
        CRasterImage thumbnail;
        if (!thumbnail.Load(FixturePath("jpeg/orientation-6.jpg"), metadata, &status)) return false;
        picture = batchtest::SolidPicture(400, 300, 255, 255, 255);
        return true;
    };
    const TextWatermark dated = Text(u"{date} {camera}");
    const TextWatermark written = Text(u"2024-05-06 Model 7");
    CFittedTextMark fromMetadata(dated, MarkFit{});
    CFittedTextMark fromText(written, MarkFit{});
    const ImageWatermark none;
    CFittedImageMark noImage(none, MarkFit{});
    CRasterImage work;
    ASSERT_EQ(
        WatermarkFile(work, "photo.jpg", dir.File("dated.bmp"), noImage, fromMetadata, 1, -1, cameraPicture)
            .outcome,
        BatchFileOutcome::Written);
    ASSERT_EQ(WatermarkFile(work, "photo.jpg", dir.File("typed.bmp"), noImage, fromText, 1, -1, cameraPicture)
                  .outcome,
              BatchFileOutcome::Written);
    CRasterImage a;
    CRasterImage b;
    ASSERT_TRUE(a.Load(dir.File("dated.bmp")));
    ASSERT_TRUE(b.Load(dir.File("typed.bmp")));
    EXPECT_GT(markmeasure::InkHeightOnWhite(a), 5.0);
    EXPECT_TRUE(SamePixels(a, b));
}
