// Animated GIFs through the batch step: a 20-frame 640 x 480 animation (time
// a frame) and an animation bomb (3,000 one-pixel frames on a 2048 x 2048
// screen, 45 KB), each stamped with a text mark and written as GIF; and a
// plain load of the animation (and of every frame of it, what a plain load
// cost before it stopped at the first) against a load of its first frame
// saved as a still GIF, the reference in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "batch/copy/WatermarkFile.h"
#include "bench/BenchFolder.h"
#include "codecs/PictureFiles.h"
#include "codecs/metadata/ImageProperties.h"
#include "watermark/text/TextWatermark.h"

using namespace stampora;

namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 20;

// A smooth background with a square that moves across it, frame by frame.
CRasterImage MovingSquare(int frame) {
    CRasterImage image;
    image.Create(640, 480, 32);
    for (int32_t y = 0; y < 480; ++y) {
        for (int32_t x = 0; x < 640; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            const bool square = x >= 20 + 25 * frame && x < 100 + 25 * frame && y >= 100 && y < 260;
            p[0] = square ? 200 : static_cast<uint8_t>(x * 255 / 640);
            p[1] = square ? 90 : static_cast<uint8_t>(y * 255 / 480);
            p[2] = square ? static_cast<uint8_t>(12 * frame) : static_cast<uint8_t>((x + y) / 5);
            p[3] = 255;
        }
    }
    return image;
}

// One-pixel frames along the top of the screen: each an image descriptor,
// no colour table, and the LZW codes clear, 0, end.
std::vector<uint8_t> AnimationBomb(int side, int frames) {
    std::vector<uint8_t> gif = {'G',
                                'I',
                                'F',
                                '8',
                                '9',
                                'a',
                                static_cast<uint8_t>(side),
                                static_cast<uint8_t>(side >> 8),
                                static_cast<uint8_t>(side),
                                static_cast<uint8_t>(side >> 8),
                                0x80,
                                0,
                                0,
                                0,
                                0,
                                0,
                                255,
                                255,
                                255};
    for (int i = 0; i < frames; ++i) {
        const int x = i % side;
        const uint8_t frame[] = {0x2C,
                                 static_cast<uint8_t>(x),
                                 static_cast<uint8_t>(x >> 8),
                                 0,
                                 0,
                                 1,
                                 0,
                                 1,
                                 0,
                                 0,
                                 2,
                                 2,
                                 0x44,
                                 0x01,
                                 0};
        gif.insert(gif.end(), std::begin(frame), std::end(frame));
    }
    gif.push_back(0x3B);
    return gif;
}

struct BenchFiles : BenchFolder {
    BenchFiles() : BenchFolder("gif-bench") {
        std::vector<CRasterImage> pictures;
        for (int i = 0; i < kFrames; ++i) pictures.push_back(MovingSquare(i));
        ImageList frames(false);
        for (CRasterImage& picture : pictures) frames.Append(&picture);
        CImageProperties timing;
        timing.frameDelays.assign(kFrames, 80);
        CPictureFiles::Save(frames, Path("animation.gif"), timing, nullptr);
        CRasterImage first;
        first.Load(Path("animation.gif"));
        first.Save(Path("still.gif"));
        const std::vector<uint8_t> bomb = AnimationBomb(2048, 3000);
        std::ofstream(Path("bomb.gif"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bomb.data()), static_cast<std::streamsize>(bomb.size()));
        text.text = u"Stampora";
        text.font = {24, kFontWeightNormal, false, kDefaultCharSet, u"DejaVu Sans"};
        text.base.enabled = true;
        text.UpdateParams();
        text.RebuildLayer();
    }
    TextWatermark text;
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

void Watermark(benchmark::State& state, const char* name, int frames) {
    const std::string source = Files().Path(name);
    const std::string output = Files().Path("out.gif");
    CRasterImage work;
    for (auto _ : state) {
        const BatchFileResult result =
            WatermarkFile(work, source, output, ImageWatermark(), Files().text, -1);
        if (!result.Complete()) state.SkipWithError(result.status.Error().c_str());
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * frames, benchmark::Counter::kIsRate);
}

void BM_WatermarkAnimation20Frames640x480(benchmark::State& state) {
    Watermark(state, "animation.gif", kFrames);
}
BENCHMARK(BM_WatermarkAnimation20Frames640x480)->Unit(benchmark::kMillisecond);

void BM_WatermarkBomb3000FramesOn2048Square(benchmark::State& state) {
    Watermark(state, "bomb.gif", 3000);
}
BENCHMARK(BM_WatermarkBomb3000FramesOn2048Square)->Unit(benchmark::kMillisecond);

void Load(benchmark::State& state, const char* name) {
    const std::string path = Files().Path(name);
    for (auto _ : state) {
        CRasterImage image;
        if (!image.Load(path)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image.Pixels());
    }
}

void BM_LoadAnimation(benchmark::State& state) {
    Load(state, "animation.gif");
}
BENCHMARK(BM_LoadAnimation)->Unit(benchmark::kMicrosecond);

// What a plain load cost when it composed every frame.
void BM_LoadEveryFrameOfTheAnimation(benchmark::State& state) {
    const std::string path = Files().Path("animation.gif");
    for (auto _ : state) {
        ImageList frames;
        if (!CPictureFiles::LoadFrames(frames, path, nullptr, nullptr)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(frames.First());
    }
}
BENCHMARK(BM_LoadEveryFrameOfTheAnimation)->Unit(benchmark::kMicrosecond);

// The reference: the same first frame as a still GIF.
void BM_LoadItsFirstFrameAsAStill(benchmark::State& state) {
    Load(state, "still.gif");
}
BENCHMARK(BM_LoadItsFirstFrameAsAStill)->Unit(benchmark::kMicrosecond);

}  // namespace
