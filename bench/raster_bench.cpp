// Depth promotion of a 6000 x 4000 picture; bytes/s counts the bytes written.
#include <benchmark/benchmark.h>

#include "image/RasterImage.h"

using namespace stampora;

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

CRasterImage Filled(int32_t bpp) {
    CRasterImage image;
    image.Create(kWidth, kHeight, bpp);
    for (size_t i = 0; i < image.PixelBytes(); ++i)
        image.Pixels()[i] = static_cast<uint8_t>(i * 31 + (i >> 11));
    return image;
}

void PromoteTo32(benchmark::State& state, int32_t fromBpp) {
    const CRasterImage source = Filled(fromBpp);
    for (auto _ : state) {
        state.PauseTiming();
        CRasterImage image(source);
        state.ResumeTiming();
        image.PromoteDepth(32);
        benchmark::DoNotOptimize(image.Pixels());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
}

void BM_PromoteDepth24To32(benchmark::State& state) {
    PromoteTo32(state, 24);
}
void BM_PromoteDepth8To32(benchmark::State& state) {
    PromoteTo32(state, 8);
}
void BM_PromoteDepth16To32(benchmark::State& state) {
    PromoteTo32(state, 16);
}

}  // namespace

BENCHMARK(BM_PromoteDepth24To32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PromoteDepth8To32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PromoteDepth16To32)->Unit(benchmark::kMillisecond)->UseRealTime();
