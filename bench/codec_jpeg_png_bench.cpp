// JPEG (quality 80) and PNG load and save of a 6000 x 4000 photograph-like
// picture. bench/jpeg_vs_djpeg.sh runs the JPEG cases against djpeg and cjpeg
// on the same file; STAMPORA_BENCH_JPEG names that file (otherwise a picture
// is made here).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "codecs/JpegCodec.h"
#include "codecs/PictureFiles.h"
#include "codecs/PngCodec.h"
#include "platform/FileIo.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

// Smooth shading, edges and sensor-like noise, so the coders meet the
// detail of a real photograph rather than flat colour.
void PaintPhotograph(CRasterImage& picture) {
    picture.Create(kWidth, kHeight, 24);
    uint32_t seed = 2024;
    for (int32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = picture.Row(y);
        for (int32_t x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>(seed >> 28) - 8;
            const double shade = 0.5 + 0.5 * std::sin(x * 0.004) * std::cos(y * 0.003);
            const bool edge = ((x / 300) + (y / 200)) % 2 == 0;
            const int base = static_cast<int>(shade * 200) + (edge ? 30 : 0);
            row[3 * x + 0] = static_cast<uint8_t>(std::clamp(base / 2 + noise, 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(base - 20 + noise, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(base + 10 + noise, 0, 255));
        }
    }
}

struct BenchFiles {
    BenchFiles() {
        folder = fs::temp_directory_path() / ("stampora-jpeg-png-bench-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        const char* given = std::getenv("STAMPORA_BENCH_JPEG");
        if (given != nullptr && *given != '\0') {
            picture.Load(given);
            ReadWholeFile(given, jpeg, int64_t{1} << 30);
        } else {
            PaintPhotograph(picture);
            picture.Save(Path("source.jpg"), 80);
            ReadWholeFile(Path("source.jpg"), jpeg, int64_t{1} << 30);
        }
        picture.Save(Path("source.png"));
        ReadWholeFile(Path("source.png"), png, int64_t{1} << 30);
    }
    ~BenchFiles() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string Path(const char* name) const { return (folder / name).string(); }

    fs::path folder;
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
        if (!codec.LoadMemory(bytes.data(), bytes.size(), images, properties)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(images.First());
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 3);
}

void Save(benchmark::State& state, CImageCodec& codec, const std::string& path) {
    CImageProperties properties;
    properties.SetValue(kPropertySaveQuality, "80");
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
BENCHMARK(BM_JpegSaveQuality80)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngSave)->Unit(benchmark::kMillisecond)->UseRealTime();
