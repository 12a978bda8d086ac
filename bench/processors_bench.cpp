#include <benchmark/benchmark.h>

#include "BenchPictures.h"
#include "image/transform/BoxBlurProcessor.h"
#include "image/transform/RotateProcessor.h"
#include "image/transform/ShadowProcessor.h"

using namespace stampora;

namespace {

// Layer contents: 0 an opaque picture (an image watermark), 1 a text-like
// layer (mostly transparent), 2 varied colour and alpha everywhere (the worst
// case: every sample blends by alpha).
CRasterImage RotateSource(int64_t content) {
    if (content == 1) return BenchTextLayer(2000, 1000);
    CRasterImage image = BenchNoise(2000, 1000, 32);
    if (content == 0) image.FillAlpha(255);
    return image;
}

void RotateBench(benchmark::State& state) {
    const CRasterImage source = RotateSource(state.range(1));
    CRasterImage work;
    for (auto _ : state) {
        state.PauseTiming();
        work = source;
        state.ResumeTiming();
        CRotateProcessor rotate(static_cast<int32_t>(state.range(0)));
        work.RunProcessor(rotate, nullptr);
        benchmark::DoNotOptimize(work.Pixels());
    }
}

void BoxBlurBench(benchmark::State& state) {
    const CRasterImage source = BenchNoise(2000, 2000, 32);
    CRasterImage work;
    for (auto _ : state) {
        state.PauseTiming();
        work = source;
        state.ResumeTiming();
        CBoxBlurProcessor blur(static_cast<int32_t>(state.range(0)), true);
        work.RunProcessor(blur, nullptr);
        benchmark::DoNotOptimize(work.Pixels());
    }
}

void ShadowBench(benchmark::State& state) {
    const CRasterImage source = BenchTextLayer(1000, 300);
    CRasterImage work;
    for (auto _ : state) {
        state.PauseTiming();
        work = source;
        state.ResumeTiming();
        ShadowParams params;
        params.blur = static_cast<int32_t>(state.range(0));
        CShadowProcessor shadow(params);
        work.RunProcessor(shadow, nullptr);
        benchmark::DoNotOptimize(work.Pixels());
    }
}

}  // namespace

// A 2000 x 1000 layer turned by 30 degrees (2233 x 1867 pixels written) and
// by 90; the second argument is the content (see RotateSource).
BENCHMARK(RotateBench)
    ->ArgsProduct({{30, 90}, {0, 1, 2}})
    ->ArgNames({"degrees", "content"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// The time should not grow with the window.
BENCHMARK(BoxBlurBench)->Arg(3)->Arg(25)->Arg(101)->Unit(benchmark::kMillisecond)->UseRealTime();
// The default shadow (window 5) and a soft one.
BENCHMARK(ShadowBench)->Arg(5)->Arg(25)->Unit(benchmark::kMillisecond)->UseRealTime();
