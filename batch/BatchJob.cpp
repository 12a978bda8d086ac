#include "batch/BatchJob.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <mutex>
#include <new>
#include <numeric>
#include <optional>
#include <system_error>
#include <vector>

#include "batch/BatchProgress.h"
#include "batch/LosslessJpeg.h"
#include "batch/ParallelFiles.h"
#include "batch/SameDirectory.h"
#include "codecs/SourceQuality.h"
#include "platform/PathJoin.h"
#include "platform/Utf8Path.h"

namespace stampora {

namespace {

// The size of a file in bytes, 0 when it cannot be read.
uintmax_t FileSizeOrZero(const std::string& utf8Path) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(PathFromUtf8(utf8Path), error);
    return error ? 0 : size;
}

// The output exists and was written after the source last changed.
bool OutputIsNewer(const std::string& sourcePath, const std::string& outputPath) {
    std::error_code error;
    const auto output = std::filesystem::last_write_time(PathFromUtf8(outputPath), error);
    if (error) return false;
    const auto source = std::filesystem::last_write_time(PathFromUtf8(sourcePath), error);
    return !error && output > source;
}

// Makes the subfolder of the output directory that the output of a picture
// named with its subfolder ("2024/a.jpg") goes into; the reason when it
// cannot be made. The output directory itself is never made here.
std::string MakeOutputSubfolder(const std::string& outputDirectory, const std::string& name) {
    const std::filesystem::path below = PathFromUtf8(name).parent_path();
    const std::filesystem::path output = PathFromUtf8(outputDirectory);
    std::error_code error;
    if (below.empty() || !std::filesystem::is_directory(output, error)) return std::string();
    std::filesystem::create_directories(output / below, error);
    return error ? error.message() : std::string();
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
    std::vector<std::string> refused;
    if (!SelectSourceFiles(sourceDirectory, outputDirectory, filterText, selection, fileList, refused)) {
        summary.state = BatchRunState::SourceNotListed;
        return summary;
    }
    for (const std::string& name : refused) {
        BatchFileResult result;
        result.reason = "not inside the source directory";
        ui.FileFinished(name, result);
    }
    summary.unreadable = static_cast<int32_t>(refused.size());
    // A share of a list that has pictures may be empty (more shares than
    // pictures): that share is done, not a run without files.
    const bool listHadFiles = !fileList.empty();
    fileList = TakeShard(fileList, selection.shardIndex, selection.shardCount);
    fileCount = static_cast<int32_t>(fileList.size());
    summary.fileCount = fileCount + summary.unreadable;
    if (fileCount <= 0 && listHadFiles) {
        summary.state = BatchRunState::Finished;
        ui.ShowMessage(BatchFinishMessage(summary), kBatchFinishCaption, MessageIcon::None);
        return summary;
    }
    if (fileCount <= 0) {
        ui.ShowMessage(kNoFileText, kBatchErrorCaption, MessageIcon::None);
        summary.state = BatchRunState::NoFile;
        return summary;
    }

    // Layers made to each picture's size or text are kept for the pictures
    // that follow, by every worker.
    CFittedTextMark fittedText(textMark, textFit);
    CFittedImageMark fittedImage(imageMark, imageFit);

    // Both layers are rendered once for the whole run, whether or not the
    // mark is active; the image layer starts again from its source every
    // run, so rotations never add up. A mark whose size follows each picture
    // or whose text names it makes its own layer for each picture and never
    // uses this one, so it is not drawn for nothing.
    // An active mark whose layer could not be made (memory) fails every
    // file: a picture without the mark asked for is never written.
    const bool textOwnLayers = textFit.SizeFollowsPicture() || fittedText.FillsIn();
    const bool imageOwnLayers = imageFit.SizeFollowsPicture();
    const bool textReady = textOwnLayers || textMark.RebuildLayer() || !textMark.base.enabled;
    const bool imageReady = imageOwnLayers || imageMark.RebuildLayer() || !imageMark.base.enabled;
    const std::string markProblem = !imageReady  ? "the image mark could not be prepared at its size"
                                    : !textReady ? "the text mark could not be drawn"
                                                 : "";

    // Several workers take the largest files first, so that no worker is
    // left with a big picture at the end while the others wait; one job keeps
    // the list order. Results are kept by list position either way.
    std::vector<int32_t> order(fileList.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<uintmax_t> sizes(fileList.size());
    for (size_t i = 0; i < fileList.size(); ++i)
        sizes[i] = FileSizeOrZero(JoinPath(sourceDirectory, fileList[i]));
    if (jobs > 1) {
        std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
            return sizes[static_cast<size_t>(a)] > sizes[static_cast<size_t>(b)];
        });
    }

    // The block rewrite stamps the marks as given: sizes that follow the
    // picture, other margins, tiles and self-filling text take the normal path.
    const auto asGiven = [](const MarkFit& fit) {
        return !fit.SizeFollowsPicture() && !fit.layout.tile && !fit.layout.margin.percent &&
               fit.layout.margin.value == kPlacementMargin;
    };
    const bool marksAsGiven = asGiven(textFit) && asGiven(imageFit) && !fittedText.FillsIn();

    std::mutex reporting;
    std::vector<BatchFileResult> results(fileList.size());
    int32_t done = 0;
    ForEachFileInParallel(fileCount, jobs, [&](int32_t position, CRasterImage& work) {
        const int32_t index = order[static_cast<size_t>(position)];
        const std::string& name = fileList[static_cast<size_t>(index)];
        const std::string sourcePath = JoinPath(sourceDirectory, name);
        const std::string outputPath = JoinPath(outputDirectory, name);
        const auto start = std::chrono::steady_clock::now();
        BatchFileResult result;
        std::string folderProblem;
        if (!markProblem.empty()) {
            result.outcome = BatchFileOutcome::StampFailed;
            result.reason = markProblem;
        } else if (skipExisting && OutputIsNewer(sourcePath, outputPath)) {
            result.outcome = BatchFileOutcome::UpToDate;
        } else if (!(folderProblem = MakeOutputSubfolder(outputDirectory, name)).empty()) {
            result.outcome = BatchFileOutcome::SaveFailed;
            result.reason = folderProblem;
        } else {
            try {
                // The source's own quality is estimated where the source is read.
                const int32_t fileQuality = qualityFromSource ? kQualityOfSource : quality;
                const bool keepBlocks = losslessJpeg && marksAsGiven;
                if (keepBlocks) {
                    result = WatermarkJpegBlocks(work, sourcePath, outputPath, imageMark, textMark,
                                                 fileQuality, metadata);
                } else {
                    // The running number follows the list, whatever order the
                    // workers take the files in.
                    result = WatermarkFile(work, sourcePath, outputPath, fittedImage, fittedText,
                                           int64_t{index} + 1, fileQuality, {}, metadata);
                    if (losslessJpeg) result.keptBlocksRefusal = "the marks are fitted to each picture";
                }
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
        result.sourceBytes = sizes[static_cast<size_t>(index)];
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
            case BatchFileOutcome::UpToDate:
                ++summary.upToDate;
                break;
        }
        if (result.outcome != BatchFileOutcome::Written) continue;
        if (result.imageMarkLeftOff || result.textMarkLeftOff) ++summary.markLeftOff;
        if (!result.damage.empty()) ++summary.damaged;
        if (!result.metadataNote.empty()) ++summary.metadataDamaged;
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

}  // namespace stampora
