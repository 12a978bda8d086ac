// The editor's canvas with a 6000 x 4000 photograph: one paint of the whole
// client at the fitted zoom and at 100 %, one drag step of a mark, opening a
// JPEG up to its first paint (shown from a DCT-reduced decode) against the
// JPEG decode alone and the reduced decode alone (same file, same run), and
// the memory the open picture holds against its 32-bit size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../BenchPictures.h"
#include "app/CanvasView.h"
#include "app/SurfacePainting.h"
#include "bench/BenchFolder.h"
#include "codecs/PictureFiles.h"
#include "codecs/jpeg/JpegCodec.h"
#include "platform/MessageSink.h"

using namespace stampora;

namespace fs = std::filesystem;

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;
constexpr int kClientWidth = 1600;
constexpr int kClientHeight = 1000;

struct Editor : BenchFolder {
    Editor() : BenchFolder("editor-bench") {
        jpeg = (folder / "photo.jpg").string();
        BenchPhotograph(kWidth, kHeight).Save(jpeg, 80);
        canvas.resize(kClientWidth + 2 * canvas.frameWidth(), kClientHeight + 2 * canvas.frameWidth());
        canvas.show();
        QApplication::processEvents();
        Status status;
        canvas.OpenPicture(jpeg, &status);
        canvas.FinishReducing();
        ImageWatermark mark;
        mark.source.Create(600, 300, 24);
        mark.base.width = 600;
        mark.base.height = 300;
        mark.base.opacity = 60;
        mark.base.enabled = true;
        canvas.TakeImageMark(mark);
        QApplication::processEvents();
    }

    // Paints the whole client as a paint event does: the surface, then the
    // hand-off to Qt.
    void PaintClient() {
        const QPoint offset = canvas.ScrollOffset();
        surface.Begin({offset.x(), offset.y(), offset.x() + kClientWidth, offset.y() + kClientHeight});
        canvas.Render(surface);
        QPainter painter(&target);
        PaintSurface(painter, surface, QPoint(0, 0));
    }

    std::string jpeg;
    CanvasView canvas;
    CDrawingSurface surface;
    QImage target{kClientWidth, kClientHeight, QImage::Format_RGB32};
};

// The process's resident memory in bytes, from /proc/self/statm.
double ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

// Made on first use and removed (with its files) before the QApplication.
std::unique_ptr<Editor> theEditor;

Editor& TheEditor() {
    if (!theEditor) theEditor = std::make_unique<Editor>();
    return *theEditor;
}

void BM_PaintFitted(benchmark::State& state) {
    Editor& editor = TheEditor();
    if (editor.canvas.Document().zoomFixed) {
        Status status;
        editor.canvas.OpenPicture(editor.jpeg, &status);
    }
    editor.canvas.FinishReducing();
    for (auto _ : state) editor.PaintClient();
    state.counters["zoom"] = editor.canvas.Document().zoom;
}
BENCHMARK(BM_PaintFitted)->Unit(benchmark::kMillisecond);

void BM_PaintFullSize(benchmark::State& state) {
    Editor& editor = TheEditor();
    editor.canvas.FullSize();
    for (auto _ : state) editor.PaintClient();
}
BENCHMARK(BM_PaintFullSize)->Unit(benchmark::kMillisecond);

void BM_DragStep(benchmark::State& state) {
    Editor& editor = TheEditor();
    Status status;
    editor.canvas.OpenPicture(editor.jpeg, &status);
    editor.canvas.TakeImageMark(editor.canvas.ImageMark());
    QApplication::processEvents();
    QWidget* viewport = editor.canvas.viewport();
    const PixelRect& rect = editor.canvas.ImageMark().base.screenRect;
    QPoint at((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, at);
    int direction = 1;
    for (auto _ : state) {
        at += QPoint(direction, direction);
        direction = -direction;
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QApplication::processEvents();  // the repaint of the outline
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at);
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

void BM_JpegDecodeAlone(benchmark::State& state) {
    Editor& editor = TheEditor();
    for (auto _ : state) {
        CRasterImage picture;
        benchmark::DoNotOptimize(picture.Load(editor.jpeg));
    }
}
BENCHMARK(BM_JpegDecodeAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// The decode of the opening view alone, at the DCT scale that fills it.
void BM_FirstViewDecodeAlone(benchmark::State& state) {
    Editor& editor = TheEditor();
    std::ifstream file(editor.jpeg, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    std::vector<double> ratios;
    for (auto _ : state) {
        ScaledJpeg scaled;
        Status status;
        benchmark::DoNotOptimize(
            ReadScaledJpeg(bytes.data(), bytes.size(),
                           {PictureDocument::kFitBoxWidth, PictureDocument::kFitBoxHeight}, scaled, status));
    }
}
BENCHMARK(BM_FirstViewDecodeAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of opening that the editor adds to the decode: the smoothly
// reduced levels of the picture.
void BM_ReducedLevels(benchmark::State& state) {
    Editor& editor = TheEditor();
    for (auto _ : state) {
        CReducedLevels levels;
        benchmark::DoNotOptimize(levels.Build(editor.canvas.Document().Shown()));
    }
}
BENCHMARK(BM_ReducedLevels)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenToFirstPaint(benchmark::State& state) {
    Editor& editor = TheEditor();
    for (auto _ : state) {
        Status status;
        editor.canvas.OpenPicture(editor.jpeg, &status);
        editor.PaintClient();
        // The smooth levels that follow the first paint are not part of it.
        state.PauseTiming();
        editor.canvas.FinishReducing();
        state.ResumeTiming();
    }
    const PictureDocument& document = editor.canvas.Document();
    const double pixelBytes = 4.0 * kWidth * kHeight;
    const double held = static_cast<double>(document.source.PixelBytes() + document.display.PixelBytes() +
                                            document.reduced.MemoryBytes());
    state.counters["held_MB"] = held / 1e6;
    state.counters["held_per_32bit_size"] = held / pixelBytes;
    // What the process grows by with the picture open, Qt and all, against
    // the same process with a tiny picture open.
    const double withPicture = ResidentBytes();
    CRasterImage tiny;
    tiny.Create(16, 16, 24);
    const std::string tinyPath = (editor.folder / "tiny.bmp").string();
    tiny.Save(tinyPath);
    Status status;
    editor.canvas.OpenPicture(tinyPath, &status);
    editor.canvas.FinishReducing();
    state.counters["resident_growth_per_32bit_size"] = (withPicture - ResidentBytes()) / pixelBytes;
    editor.canvas.OpenPicture(editor.jpeg, &status);
    editor.canvas.FinishReducing();
}
BENCHMARK(BM_OpenToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// Decode alone, open-to-first-paint and the first view's decode alone
// alternated in one loop, so all meet the same load on the machine; the
// ratios are the figures to read.
void BM_OpenAgainstDecode(benchmark::State& state) {
    Editor& editor = TheEditor();
    using Clock = std::chrono::steady_clock;
    double decodeSeconds = 0;
    double openSeconds = 0;
    double firstViewSeconds = 0;
    std::ifstream file(editor.jpeg, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    std::vector<double> ratios;
    for (auto _ : state) {
        const auto start = Clock::now();
        {
            CRasterImage picture;
            benchmark::DoNotOptimize(picture.Load(editor.jpeg));
        }
        const auto decoded = Clock::now();
        Status status;
        editor.canvas.OpenPicture(editor.jpeg, &status);
        editor.PaintClient();
        const auto painted = Clock::now();
        editor.canvas.FinishReducing();
        const auto whole = Clock::now();
        {
            ScaledJpeg scaled;
            benchmark::DoNotOptimize(ReadScaledJpeg(
                bytes.data(), bytes.size(), {PictureDocument::kFitBoxWidth, PictureDocument::kFitBoxHeight},
                scaled, status));
        }
        firstViewSeconds += std::chrono::duration<double>(Clock::now() - whole).count();
        decodeSeconds += std::chrono::duration<double>(decoded - start).count();
        openSeconds += std::chrono::duration<double>(painted - decoded).count();
        ratios.push_back(std::chrono::duration<double>(painted - decoded).count() /
                         std::chrono::duration<double>(decoded - start).count());
    }
    // The middle round's ratio, which a round slowed by other work on the
    // machine does not move.
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<ptrdiff_t>(ratios.size() / 2),
                     ratios.end());
    const double n = static_cast<double>(state.iterations());
    state.counters["decode_ms"] = 1e3 * decodeSeconds / n;
    state.counters["open_to_paint_ms"] = 1e3 * openSeconds / n;
    state.counters["first_view_decode_ms"] = 1e3 * firstViewSeconds / n;
    state.counters["ratio"] = openSeconds / decodeSeconds;
    state.counters["ratio_median"] = ratios[ratios.size() / 2];
    state.counters["first_view_ratio"] = firstViewSeconds / decodeSeconds;
}
BENCHMARK(BM_OpenAgainstDecode)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

// Messages (a mark refused by the tiny picture) are answered silently.
class SilentMessages : public CMessageSink {
public:
    MessageAnswer ShowMessage(const std::string&, const std::string&, MessageIcon, MessageButtons) override {
        return MessageAnswer::Ok;
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    SilentMessages silent;
    ScopedMessageSink sink(silent);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theEditor.reset();
    return 0;
}
