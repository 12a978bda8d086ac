// The batch dialog's review over a folder of 200 photographs of 3000 x 2000:
// from listing the folder to the first row of thumbnails (eight) and to the
// last, against reading one photograph whole in the same run; and one
// thumbnail's reduced read against the whole decode of the same file.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "../BenchPictures.h"
#include "app/review/ReducedPicture.h"
#include "app/review/ThumbnailStrip.h"
#include "bench/BenchFolder.h"
#include "codecs/PictureFiles.h"

using namespace stampora;

namespace {

constexpr int kPictures = 200;
constexpr int kFirstRow = 8;

struct Folder : BenchFolder {
    Folder() : BenchFolder("review-bench") {
        first = (folder / "photo000.jpg").string();
        BenchPhotograph(3000, 2000).Save(first, 85);
        for (int i = 1; i < kPictures; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "photo%03d.jpg", i);
            std::filesystem::copy_file(first, folder / name);
        }
        job.sourceDirectory = folder.string();
        job.outputDirectory = (folder / "out").string();
        job.typeFlags.allImages = 1;
        job.imageMark.source.Create(300, 100, 24);
        job.imageMark.base.enabled = true;
        job.imageMark.base.alignment = RightBottom;
    }
    std::string first;
    CBatchJob job;
};

std::unique_ptr<Folder> theFolder;

Folder& TheFolder() {
    if (!theFolder) theFolder = std::make_unique<Folder>();
    return *theFolder;
}

void BM_FirstThumbnails(benchmark::State& state) {
    Folder& folder = TheFolder();
    double firstRow = 0;
    double all = 0;
    for (auto _ : state) {
        ThumbnailStrip strip;
        const auto start = std::chrono::steady_clock::now();
        strip.ShowPictures(folder.job);
        while (strip.MadeCount() < kFirstRow) QTest::qWait(1);
        firstRow += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        while (strip.MadeCount() < kPictures) QTest::qWait(5);
        all += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["first_row_ms"] = 1e3 * firstRow / n;
    state.counters["all_200_ms"] = 1e3 * all / n;
}
BENCHMARK(BM_FirstThumbnails)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ReducedRead(benchmark::State& state) {
    Folder& folder = TheFolder();
    for (auto _ : state) benchmark::DoNotOptimize(ReadReduced(folder.first, 160, false));
}
BENCHMARK(BM_ReducedRead)->Unit(benchmark::kMillisecond);

void BM_WholeDecode(benchmark::State& state) {
    Folder& folder = TheFolder();
    for (auto _ : state) {
        CRasterImage picture;
        benchmark::DoNotOptimize(picture.Load(folder.first));
    }
}
BENCHMARK(BM_WholeDecode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theFolder.reset();
    return 0;
}
