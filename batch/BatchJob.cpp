#include "batch/BatchJob.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <mutex>
#include <new>
#include <numeric>
#include <system_error>
#include <vector>

#include "batch/BatchProgress.h"
#include "batch/LosslessJpeg.h"
#include "batch/ParallelFiles.h"
#include "batch/SameDirectory.h"
#include "batch/SourceScan.h"
#include "platform/PathJoin.h"

namespace {

// The size of a file in bytes, 0 when it cannot be read.
uintmax_t FileSizeOrZero(const std::string& utf8Path) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(
        std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end())), error);
    return error ? 0 : size;
}

// Turns PROCESS off for the run and back on however the run ends.
class ProcessDisabled {
public:
    explicit ProcessDisabled(CBatchUi& ui) : ui(ui) { ui.EnableProcess(false); }
    ~ProcessDisabled() { ui.EnableProcess(true); }
    ProcessDisabled(const ProcessDisabled&) = delete;
    ProcessDisabled& operator=(const ProcessDisabled&) = delete;

private:
    CBatchUi& ui;
};

}  // namespace

BatchSummary CBatchJob::RunBatch(CBatchUi& ui) {
    BatchSummary summary;
    BatchFields fields{sourceDirectory, outputDirectory, typeFlags};
    if (!ui.ReadFields(fields)) return summary;
    sourceDirectory = fields.sourceDirectory;
    outputDirectory = fields.outputDirectory;
    typeFlags = fields.types;

    if (sourceDirectory.empty() || outputDirectory.empty()) {
        ui.ShowMessage(sourceDirectory.empty() ? kEmptySourceText : kEmptyOutputText, kBatchErrorCaption,
                       MessageIcon::Error);
        return summary;
    }
    if (IsSameDirectory(sourceDirectory, outputDirectory) && !ui.ConfirmReplaceOriginals(outputDirectory)) {
        summary.state = BatchRunState::Declined;
        return summary;
    }

    ProcessDisabled processOff(ui);
    filterText = BuildTypeFilter(typeFlags);
    fileCount = 0;
    if (!ScanSourceDirectory(sourceDirectory, filterText, fileList)) {
        summary.state = BatchRunState::SourceNotListed;
        return summary;
    }
    fileCount = static_cast<int32_t>(fileList.size());
    summary.fileCount = fileCount;
    if (fileCount <= 0) {
        ui.ShowMessage(kNoFileText, kBatchErrorCaption, MessageIcon::None);
        summary.state = BatchRunState::NoFile;
        return summary;
    }

    // Both layers are rendered once for the whole run, whether or not the
    // mark is active; the image layer starts again from its source every
    // run, so rotations never add up.
    // An active mark whose layer could not be made (memory) fails every
    // file: a picture without the mark asked for is never written.
    const bool textReady = textMark.RebuildLayer() || !textMark.base.enabled;
    const bool imageReady = imageMark.RebuildLayer() || !imageMark.base.enabled;
    const std::string markProblem = !imageReady  ? "the image mark could not be prepared at its size"
                                    : !textReady ? "the text mark could not be drawn"
                                                 : "";

    // Several workers take the largest files first, so that no worker is
    // left with a big picture at the end while the others wait; one job keeps
    // the list order. Results are kept by list position either way.
    std::vector<int32_t> order(fileList.size());
    std::iota(order.begin(), order.end(), 0);
    if (jobs > 1) {
        std::vector<uintmax_t> sizes(fileList.size());
        for (size_t i = 0; i < fileList.size(); ++i)
            sizes[i] = FileSizeOrZero(JoinPath(sourceDirectory, fileList[i]));
        std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
            return sizes[static_cast<size_t>(a)] > sizes[static_cast<size_t>(b)];
        });
    }

    std::mutex reporting;
    std::vector<BatchFileResult> results(fileList.size());
    int32_t done = 0;
    ForEachFileInParallel(fileCount, jobs, [&](int32_t position, CRasterImage& work) {
        const int32_t index = order[static_cast<size_t>(position)];
        const std::string& name = fileList[static_cast<size_t>(index)];
        BatchFileResult result;
        if (!markProblem.empty()) {
            result.outcome = BatchFileOutcome::StampFailed;
            result.reason = markProblem;
        } else {
            try {
                const std::string source = JoinPath(sourceDirectory, name);
                const std::string output = JoinPath(outputDirectory, name);
                result = losslessJpeg ? WatermarkJpegBlocks(work, source, output, imageMark, textMark, quality)
                                      : WatermarkFile(work, source, output, imageMark, textMark, quality);
            } catch (const std::exception& error) {
                // Out of memory on a huge picture: that picture is not
                // written, the run goes on with the next.
                work.Destroy();
                result = BatchFileResult{};
                result.outcome = BatchFileOutcome::StampFailed;
                result.reason =
                    dynamic_cast<const std::bad_alloc*>(&error) ? "not enough memory" : error.what();
            }
        }
        const std::lock_guard<std::mutex> lock(reporting);
        results[static_cast<size_t>(index)] = result;
        ++done;
        ui.FileFinished(name, result);
        ui.SetProgress(ProgressPosition(done, fileCount));
    });

    for (const BatchFileResult& result : results) {
        switch (result.outcome) {
            case BatchFileOutcome::Written:
                ++summary.written;
                break;
            case BatchFileOutcome::Unreadable:
                ++summary.unreadable;
                break;
            case BatchFileOutcome::SaveFailed:
                ++summary.saveFailed;
                break;
            case BatchFileOutcome::StampFailed:
                ++summary.stampFailed;
                break;
        }
        if (result.outcome != BatchFileOutcome::Written) continue;
        if (result.imageMarkLeftOff || result.textMarkLeftOff) ++summary.markLeftOff;
        if (!result.damage.empty()) ++summary.damaged;
    }
    // The marks remember the last picture of the list that loaded, and their
    // place on it, as a run file by file leaves them.
    for (auto it = results.rbegin(); it != results.rend(); ++it) {
        if (it->width > 0) {
            textMark.base.PlaceByAlignment(it->width, it->height);
            imageMark.base.PlaceByAlignment(it->width, it->height);
            break;
        }
    }

    ui.SetProgress(100);
    summary.state = BatchRunState::Finished;
    ui.ShowMessage(BatchFinishMessage(summary), kBatchFinishCaption, MessageIcon::None);
    return summary;
}
