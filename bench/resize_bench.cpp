#include <benchmark/benchmark.h>

#include "BenchPictures.h"
#include "image/transform/ResizeImage.h"

using namespace stampora;

namespace {

void ResizeBench(benchmark::State& state, int32_t width, int32_t height, int32_t bpp, int32_t newWidth,
                 int32_t newHeight) {
    const CRasterImage source = BenchNoise(width, height, bpp);
    CRasterImage work;
    for (auto _ : state) {
        state.PauseTiming();
        work = source;
        state.ResumeTiming();
        ResizeImage(work, newWidth, newHeight);
        benchmark::DoNotOptimize(work.Pixels());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{width} * height);
}

}  // namespace

BENCHMARK_CAPTURE(ResizeBench, shrink_6000x4000_to_600x400_24bit, 6000, 4000, 24, 600, 400)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ResizeBench, enlarge_1200x800_to_3600x2400_24bit, 1200, 800, 24, 3600, 2400)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ResizeBench, shrink_6000x4000_to_2000x1333_24bit, 6000, 4000, 24, 2000, 1333)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ResizeBench, shrink_3000x2000_to_300x200_32bit, 3000, 2000, 32, 300, 200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
