// A tiled mark against one stamped mark: about 100 tiles of a 600 x 150 text
// mark on a 24-megapixel picture, and, for reference, one such mark plus one
// blend of a layer as large as the picture. Tiling should cost well under 3
// times the reference, since each tile is blended over its own area only.
#include <benchmark/benchmark.h>

#include <string>

#include "watermark/StampOnto.h"
#include "watermark/TilePattern.h"

using namespace stampora;

namespace {

constexpr int32_t kPictureWidth = 6000;
constexpr int32_t kPictureHeight = 4000;

// A 32-bit layer whose alpha runs through every coverage value, as
// antialiased text does, so no blend can take a short cut.
CRasterImage CoverageLayer(int32_t width, int32_t height) {
    CRasterImage layer;
    layer.Create(width, height, 32);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* pixel = layer.Row(y);
        for (int32_t x = 0; x < width; ++x, pixel += 4) {
            pixel[0] = 30;
            pixel[1] = 30;
            pixel[2] = 200;
            pixel[3] = static_cast<uint8_t>(x * 7 + y * 13);
        }
    }
    return layer;
}

CRasterImage Photo() {
    CRasterImage picture;
    picture.Create(kPictureWidth, kPictureHeight, 32);
    for (int32_t y = 0; y < kPictureHeight; ++y) {
        uint8_t* pixel = picture.Row(y);
        for (int32_t x = 0; x < kPictureWidth * 4; ++x) pixel[x] = static_cast<uint8_t>(x + y);
    }
    return picture;
}

WatermarkBase PlacedMark(int32_t width, int32_t height) {
    WatermarkBase mark;
    mark.enabled = true;
    mark.opacity = 70;
    mark.alignment = Center;
    mark.markWidth = width;
    mark.markHeight = height;
    mark.PlaceByAlignment(kPictureWidth, kPictureHeight);
    return mark;
}

void BM_OneMarkPlusFullPictureBlend(benchmark::State& state) {
    CRasterImage picture = Photo();
    const CRasterImage mark = CoverageLayer(600, 150);
    const CRasterImage whole = CoverageLayer(kPictureWidth, kPictureHeight);
    const WatermarkBase placed = PlacedMark(600, 150);
    for (auto _ : state) {
        StampMark(picture, placed, mark, true);
        picture.BlendLayer(whole, 0, 0, 70);
        benchmark::DoNotOptimize(picture.Pixels());
    }
}
BENCHMARK(BM_OneMarkPlusFullPictureBlend)->Unit(benchmark::kMillisecond);

void BM_TiledMarkAbout100Tiles(benchmark::State& state) {
    CRasterImage picture = Photo();
    const CRasterImage mark = CoverageLayer(600, 150);
    const WatermarkBase placed = PlacedMark(600, 150);
    MarkLayout layout;
    layout.tile = true;
    layout.gapX = RelativeLength{60, false};
    layout.gapY = RelativeLength{250, false};
    Status reason;
    for (auto _ : state) {
        if (StampLaidOut(picture, placed, mark, layout, reason) != MarkStamp::Stamped) {
            state.SkipWithError(reason.Error().c_str());
            break;
        }
        benchmark::DoNotOptimize(picture.Pixels());
    }
    const TilePattern pattern{600, 150, 60, 250, placed.x, placed.y};
    state.counters["tiles"] = static_cast<double>(pattern.CountFor(kPictureWidth, kPictureHeight));
}
BENCHMARK(BM_TiledMarkAbout100Tiles)->Unit(benchmark::kMillisecond);

}  // namespace
