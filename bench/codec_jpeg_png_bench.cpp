// JPEG (quality 80) and PNG load and save of a 6000 x 4000 photograph-like
// picture, and the JPEG's 1/8 first view. bench/jpeg_vs_djpeg.sh runs the JPEG cases against djpeg and cjpeg
// on the same file; STAMPORA_BENCH_JPEG names that file (otherwise a picture
// is made here).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchPictures.h"
#include "bench/BenchFolder.h"
#include "codecs/PictureFiles.h"
#include "codecs/jpeg/JpegCodec.h"
#include "codecs/png/PngCodec.h"
#include "platform/FileIo.h"

using namespace stampora;

namespace fs = std::filesystem;

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

struct BenchFiles : BenchFolder {
    BenchFiles() : BenchFolder("jpeg-png-bench") {
        const char* given = std::getenv("STAMPORA_BENCH_JPEG");
        if (given != nullptr && *given != '\0') {
            picture.Load(given);
            ReadWholeFile(given, jpeg, int64_t{1} << 30);
        } else {
            picture = BenchPhotograph(kWidth, kHeight);
            picture.Save(Path("source.jpg"), 80);
            ReadWholeFile(Path("source.jpg"), jpeg, int64_t{1} << 30);
        }
        picture.Save(Path("source.png"));
        ReadWholeFile(Path("source.png"), png, int64_t{1} << 30);
    }
    CRasterImage picture;
    std::vector<uint8_t> jpeg;
    std::vector<uint8_t> png;
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

void Load(benchmark::State& state, CImageCodec& codec, const std::vector<uint8_t>& bytes) {
    for (auto _ : state) {
        ImageList images;
        PropertiesSlot properties;
        if (!codec.LoadMemory(bytes.data(), bytes.size(), images, properties))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(images.First());
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 3);
}

void Save(benchmark::State& state, CImageCodec& codec, const std::string& path) {
    CImageProperties properties;
    properties.saveQuality = 80;
    ImageList list(false);
    list.Append(&Files().picture);
    for (auto _ : state) {
        if (!codec.SaveFile(path, list, &properties)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 3);
}

void BM_JpegLoad(benchmark::State& state) {
    CJpegCodec codec;
    Load(state, codec, Files().jpeg);
}

// The editor's first view of the picture: an 1/8 view fitting 640 x 480.
void BM_JpegFirstView(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = Files().jpeg;
    for (auto _ : state) {
        ScaledJpeg scaled;
        Status status;
        if (!ReadScaledJpeg(bytes.data(), bytes.size(), {640, 480}, scaled, status))
            state.SkipWithError(status.Error().c_str());
    }
}

void BM_JpegSaveQuality80(benchmark::State& state) {
    CJpegCodec codec;
    Save(state, codec, Files().Path("saved.jpg"));
}

void BM_PngLoad(benchmark::State& state) {
    CPngCodec codec;
    Load(state, codec, Files().png);
}

void BM_PngSave(benchmark::State& state) {
    CPngCodec codec;
    Save(state, codec, Files().Path("saved.png"));
}

}  // namespace

BENCHMARK(BM_JpegLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegFirstView)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegSaveQuality80)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngSave)->Unit(benchmark::kMillisecond)->UseRealTime();
