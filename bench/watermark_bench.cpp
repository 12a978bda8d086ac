// Rebuilding a text watermark and stamping a mark onto a large picture.
#include <benchmark/benchmark.h>

#include <string>

#include "text/TextEngine.h"
#include "watermark/StampOnto.h"
#include "watermark/text/RenderText.h"
#include "watermark/text/TextWatermark.h"

using namespace stampora;

namespace {

constexpr const char16_t* kTwentyCharacters = u"Stampora (c) 2026 ok";

TextWatermark BenchTextMark(bool shadow, int32_t rotation) {
    TextWatermark mark;
    mark.text = kTwentyCharacters;
    mark.font = {72, kFontWeightNormal, false, kDefaultCharSet, u"DejaVu Sans"};
    mark.colour = {200, 30, 30};
    mark.shadowEnabled = shadow;
    mark.shadowDistance = 5;
    mark.smooth = 5;
    mark.shadowOpacity = 75;
    mark.base.enabled = true;
    mark.base.rotation = rotation;
    mark.UpdateParams();
    return mark;
}

// The whole rebuild: render with the rasterizer's shadow, turn by 30 degrees,
// add the mark's own shadow.
void BM_TextRebuildLayer72ptRotatedShadowed(benchmark::State& state) {
    TextWatermark mark = BenchTextMark(true, 30);
    for (auto _ : state) {
        mark.RebuildLayer();
        benchmark::DoNotOptimize(mark.layer.Pixels());
    }
    state.counters["layerPixels"] = static_cast<double>(mark.layer.Width()) * mark.layer.Height();
}
BENCHMARK(BM_TextRebuildLayer72ptRotatedShadowed)->Unit(benchmark::kMillisecond);

// The parts of it, to see where the time goes.
void BM_TextLayout72pt(benchmark::State& state) {
    const TextStyle style{"DejaVu Sans", 72, false, false, true};
    for (auto _ : state) benchmark::DoNotOptimize(LayOutText(style, "Stampora (c) 2026 ok"));
}
BENCHMARK(BM_TextLayout72pt)->Unit(benchmark::kMillisecond);

// A text far too large for any mark (a 3,000,000-character preset) is
// refused from its advances: the budget is 0.1 s and 100 MB for the run.
void BM_TextTooLargeRefused(benchmark::State& state) {
    const TextStyle style{"DejaVu Sans", 24, false, false, true};
    const std::string text(3000000, 'A');
    for (auto _ : state) {
        const CTextLayout layout = LayOutText(style, text);
        if (!layout.TooLarge()) state.SkipWithError("the text was not refused");
    }
}
BENCHMARK(BM_TextTooLargeRefused)->Unit(benchmark::kMillisecond);

// A mark with colour emoji and right-to-left text beside Latin.
void BM_TextLayoutMixedScriptsAndEmoji72pt(benchmark::State& state) {
    const TextStyle style{"DejaVu Sans", 72, false, false, true};
    for (auto _ : state)
        benchmark::DoNotOptimize(LayOutText(style, "Studio \U0001F4F7 2026 \u05e9\u05dc\u05d5\u05dd"));
}
BENCHMARK(BM_TextLayoutMixedScriptsAndEmoji72pt)->Unit(benchmark::kMillisecond);

void BM_RenderText72ptNoShadow(benchmark::State& state) {
    TextWatermark mark = BenchTextMark(false, 0);
    for (auto _ : state) {
        RenderText(mark.layer, mark.params);
        benchmark::DoNotOptimize(mark.layer.Pixels());
    }
}
BENCHMARK(BM_RenderText72ptNoShadow)->Unit(benchmark::kMillisecond);

void BM_TextRebuildLayer72ptRotatedOnly(benchmark::State& state) {
    TextWatermark mark = BenchTextMark(false, 30);
    for (auto _ : state) {
        mark.RebuildLayer();
        benchmark::DoNotOptimize(mark.layer.Pixels());
    }
}
BENCHMARK(BM_TextRebuildLayer72ptRotatedOnly)->Unit(benchmark::kMillisecond);

void BM_TextRebuildLayer72ptShadowedOnly(benchmark::State& state) {
    TextWatermark mark = BenchTextMark(true, 0);
    for (auto _ : state) {
        mark.RebuildLayer();
        benchmark::DoNotOptimize(mark.layer.Pixels());
    }
}
BENCHMARK(BM_TextRebuildLayer72ptShadowedOnly)->Unit(benchmark::kMillisecond);

// A 1000 x 300 layer with soft alpha stamped onto a 6000 x 4000 picture.
void BM_StampOnto1000x300On6000x4000(benchmark::State& state) {
    CRasterImage picture;
    picture.Create(6000, 4000, 32);
    picture.FillAlpha(255);
    TextWatermark text;
    text.layer.Create(1000, 300, 32);
    for (int32_t y = 0; y < 300; ++y) {
        for (int32_t x = 0; x < 1000; ++x) {
            uint8_t* pixel = text.layer.PixelAt(x, y);
            pixel[0] = 40;
            pixel[1] = 80;
            pixel[2] = 160;
            pixel[3] = static_cast<uint8_t>((x * 7 + y * 3) & 0xFF);
        }
    }
    text.base.enabled = true;
    text.base.markWidth = 1000;
    text.base.markHeight = 300;
    text.base.x = 2500;
    text.base.y = 1800;
    text.base.opacity = static_cast<int32_t>(state.range(0));
    const ImageWatermark noImage;
    for (auto _ : state) {
        StampOnto(picture, noImage, text, true);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StampOnto1000x300On6000x4000)->Arg(100)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace
