// BMP and TGA load and save of a 6000 x 4000 24-bit picture, against plain
// fread and fwrite of the same bytes in the same run as the reference.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/BenchFolder.h"
#include "codecs/PictureFiles.h"
#include "image/RasterImage.h"

using namespace stampora;

namespace fs = std::filesystem;

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

// The temporary folder, the picture and one saved file of each format.
struct BenchFiles : BenchFolder {
    BenchFiles() : BenchFolder("bench") {
        picture.Create(kWidth, kHeight, 24);
        for (size_t i = 0; i < picture.PixelBytes(); ++i)
            picture.Pixels()[i] = static_cast<uint8_t>(i * 13 + (i >> 12));
        picture.Save(Path("source.bmp"));
        picture.Save(Path("source.tga"));
    }
    CRasterImage picture;
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

void Load(benchmark::State& state, const char* name) {
    const std::string path = Files().Path(name);
    for (auto _ : state) {
        CRasterImage image;
        if (!image.Load(path)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image.Pixels());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
}

void Save(benchmark::State& state, const char* source, const char* target) {
    const std::string path = Files().Path(target);
    for (auto _ : state) {
        if (!Files().picture.Save(path)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(Files().Path(source))));
}

// The reference: the file's bytes read into a fresh buffer with one fread.
void ReadReference(benchmark::State& state, const char* name) {
    const std::string path = Files().Path(name);
    const size_t size = fs::file_size(path);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
        if (f == nullptr || std::fread(bytes.get(), 1, size, f) != size) state.SkipWithError("read failed");
        if (f != nullptr) std::fclose(f);
        benchmark::DoNotOptimize(bytes.get());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

// The reference: the same bytes written with one fwrite.
void WriteReference(benchmark::State& state, const char* source, const char* target) {
    std::FILE* in = std::fopen(Files().Path(source).c_str(), "rb");
    const size_t size = fs::file_size(Files().Path(source));
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
    const bool read = in != nullptr && std::fread(bytes.get(), 1, size, in) == size;
    if (in != nullptr) std::fclose(in);
    if (!read) state.SkipWithError("read failed");
    const std::string path = Files().Path(target);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr || std::fwrite(bytes.get(), 1, size, f) != size) state.SkipWithError("write failed");
        if (f != nullptr) std::fclose(f);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

void BM_BmpLoad(benchmark::State& state) {
    Load(state, "source.bmp");
}
void BM_BmpFreadReference(benchmark::State& state) {
    ReadReference(state, "source.bmp");
}
void BM_BmpSave(benchmark::State& state) {
    Save(state, "source.bmp", "saved.bmp");
}
void BM_BmpFwriteReference(benchmark::State& state) {
    WriteReference(state, "source.bmp", "written.bmp");
}
void BM_TgaLoad(benchmark::State& state) {
    Load(state, "source.tga");
}
void BM_TgaFreadReference(benchmark::State& state) {
    ReadReference(state, "source.tga");
}
void BM_TgaSave(benchmark::State& state) {
    Save(state, "source.tga", "saved.tga");
}
void BM_TgaFwriteReference(benchmark::State& state) {
    WriteReference(state, "source.tga", "written.tga");
}

}  // namespace

BENCHMARK(BM_BmpLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BmpFreadReference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BmpSave)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BmpFwriteReference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TgaLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TgaFreadReference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TgaSave)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TgaFwriteReference)->Unit(benchmark::kMillisecond)->UseRealTime();
