// What the automatic choices cost on one 12-megapixel picture: the survey
// (one pass over a grid of the pixels) and the choice of places and tone.
// bench/auto_choices_cost.sh puts the same cost beside a whole batch run.
#include <benchmark/benchmark.h>

#include "image/RasterImage.h"
#include "watermark/auto/PictureSurvey.h"
#include "watermark/auto/QuietPlace.h"
#include "watermark/auto/ReadableTone.h"

using namespace stampora;

namespace {

void BM_SurveyAndChoose12Megapixels(benchmark::State& state) {
    CRasterImage picture;
    if (!picture.Create(4000, 3000, 32)) {
        state.SkipWithError("no memory for the picture");
        return;
    }
    uint32_t seed = 1;
    for (int32_t y = 0; y < picture.Height(); ++y) {
        uint8_t* pixel = picture.Row(y);
        for (int32_t x = 0; x < picture.Width(); ++x, pixel += 4) {
            seed = seed * 1664525u + 1013904223u;
            pixel[0] = pixel[1] = pixel[2] = static_cast<uint8_t>((x + y) / 32 + (seed >> 28));
            pixel[3] = 255;
        }
    }
    WatermarkBase image, text;
    image.enabled = text.enabled = true;
    image.markWidth = 600;
    image.markHeight = 200;
    text.markWidth = 900;
    text.markHeight = 120;
    image.alignment = text.alignment = AutoPlace;
    for (auto _ : state) {
        const CPictureSurvey survey(picture);
        const std::vector<int32_t> anchors = ChooseQuietAnchors(survey, 4000, 3000, {image, text});
        WatermarkBase placed = text;
        placed.alignment = anchors[1];
        placed.PlaceByAlignment(4000, 3000);
        benchmark::DoNotOptimize(ReadableTone(survey, placed));
    }
}
BENCHMARK(BM_SurveyAndChoose12Megapixels)->Unit(benchmark::kMillisecond);

}  // namespace
