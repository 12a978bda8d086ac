#include "image/PixelProcessor.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/TestPictures.h"

using namespace stampora;

namespace {

class RecordingSink : public CProgressSink {
public:
    void Reset() override { ++resets; }
    void SetPercent(int32_t percent) override { percents.push_back(percent); }
    int resets = 0;
    std::vector<int32_t> percents;
};

// Re-creates the image at 3 x 2 in Begin and numbers the pixels it visits.
class NumberingProcessor : public CPixelProcessor {
public:
    explicit NumberingProcessor(int32_t mode, bool beginSucceeds = true)
        : mode(mode), beginSucceeds(beginSucceeds) {}
    bool Accepts(const CRasterImage& image) const override { return !image.IsEmpty(); }
    int32_t Mode() const override { return mode; }
    bool Begin(CRasterImage& image) override { return beginSucceeds && image.Create(3, 2, 8); }
    void ApplyToPixel(CRasterImage&, int32_t, int32_t, uint8_t* pixel) override { *pixel = ++visited; }
    bool ApplyToImage(CRasterImage&, CProgressSink*) override {
        ++wholeCalls;
        return true;
    }
    void End(CRasterImage&) override { ++ends; }

    int32_t mode;
    bool beginSucceeds;
    uint8_t visited = 0;
    int wholeCalls = 0;
    int ends = 0;
};

}  // namespace

TEST(RunProcessor, VisitsEveryPixelOfTheImageBeginMadeOrTheWholeImageOnce) {
    CRasterImage image = UniformImage(10, 10, 8, 0);
    NumberingProcessor processor(kProcessPixelByPixel);
    RecordingSink sink;
    EXPECT_TRUE(image.RunProcessor(processor, &sink));
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.ReadPixel(0, 0), 1u);
    EXPECT_EQ(image.ReadPixel(2, 1), 6u);
    EXPECT_EQ(sink.resets, 1);
    EXPECT_EQ(sink.percents, (std::vector<int32_t>{50, 100}));
    EXPECT_EQ(processor.ends, 1);
    EXPECT_EQ(processor.wholeCalls, 0);

    // The whole-image mode is called once; other modes visit nothing.
    NumberingProcessor whole(kProcessWholeImage);
    EXPECT_TRUE(image.RunProcessor(whole, nullptr));
    EXPECT_EQ(whole.wholeCalls, 1);
    EXPECT_EQ(whole.visited, 0);

    NumberingProcessor other(7);
    EXPECT_TRUE(image.RunProcessor(other, nullptr));
    EXPECT_EQ(other.visited, 0);
    EXPECT_EQ(other.ends, 1);
}

TEST(RunProcessor, RefusalOrFailedBeginAnswersFalseAndStops) {
    CRasterImage empty;
    NumberingProcessor refused(kProcessPixelByPixel);
    EXPECT_FALSE(empty.RunProcessor(refused, nullptr));
    EXPECT_EQ(refused.ends, 0);

    CRasterImage image = UniformImage(4, 4, 8, 9);
    NumberingProcessor failing(kProcessPixelByPixel, false);
    RecordingSink sink;
    EXPECT_FALSE(image.RunProcessor(failing, &sink));
    EXPECT_EQ(failing.ends, 0);
    EXPECT_EQ(sink.resets, 0);
    EXPECT_EQ(image.Width(), 4);
}
