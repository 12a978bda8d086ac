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
#include "batch/ParallelFiles.h"
#include "batch/PictureCost.h"
#include "batch/SameDirectory.h"
#include "batch/copy/LosslessJpeg.h"
#include "batch/copy/SourceForCopy.h"
#include "codecs/PictureHeader.h"
#include "codecs/metadata/SourceQuality.h"
#include "platform/FileIo.h"
#include "platform/PathJoin.h"
#include "platform/Utf8Path.h"
#include "watermark/WatermarkMessages.h"

namespace stampora {

namespace {

bool FileExists(const std::string& utf8Path) {
    std::error_code error;
    return std::filesystem::exists(PathFromUtf8(utf8Path), error);
}

// The output was written after the source last changed and is a whole
// picture of the format its name asks for: an empty, cut-short or foreign
// file under the name is made again.
bool OutputIsUpToDate(const std::string& sourcePath, const std::string& outputPath) {
    std::error_code error;
    const auto output = std::filesystem::last_write_time(PathFromUtf8(outputPath), error);
    if (error) return false;
    const auto source = std::filesystem::last_write_time(PathFromUtf8(sourcePath), error);
    return !error && output > source && IsWholePicture(outputPath, FormatFromPath(outputPath));
}

// Makes the subfolder of the output directory that the output of a picture
// named with its subfolder ("2024/a.jpg") goes into, never through a link out
// of the output directory; false with the reason when it cannot be made. The
// output directory itself is never made here.
bool MakeOutputSubfolder(const std::string& outputDirectory, const std::string& name, Status& status) {
    const std::filesystem::path below = PathFromUtf8(name).parent_path();
    return below.empty() || MakeFoldersWithin(outputDirectory, Utf8FromPath(below), status);
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
    const bool inPlace = IsSameDirectory(sourceDirectory, outputDirectory);
    if (inPlace && !ui.ConfirmReplaceOriginals(outputDirectory)) {
        summary.state = BatchRunState::Declined;
        return summary;
    }
    // A link in the output folder that leads to a picture's own source
    // replaces that original only where originals may be replaced.
    const bool originalsMayBeReplaced = inPlace || replaceOriginals;
    Status unwritable;
    if (!CanCreateFilesIn(outputDirectory, unwritable)) {
        ui.ShowMessage(
            "Cannot write into the output directory " + outputDirectory + ": " + unwritable.Error(),
            kBatchErrorCaption, MessageIcon::Error);
        summary.state = BatchRunState::OutputNotWritable;
        return summary;
    }

    ProcessDisabled processOff(ui);
    filterText = BuildTypeFilter(typeFlags);
    fileCount = 0;
    std::vector<std::string> refused;
    std::string leftOut;
    if (!SelectSourceFiles(sourceDirectory, outputDirectory, filterText, selection, fileList, refused,
                           leftOut)) {
        summary.state = BatchRunState::SourceNotListed;
        return summary;
    }
    if (!leftOut.empty()) {
        ui.ShowMessage("left out " + leftOut +
                           ": it is the output directory, and what it holds are results, not sources",
                       kLeftOutCaption, MessageIcon::Information);
    }
    for (const std::string& name : refused) {
        BatchFileResult result;
        result.outcome = BatchFileOutcome::OutsideSource;
        result.status.failure = {Domain::Options, "not inside the source directory"};
        ui.FileFinished(name, result);
    }
    summary.outsideSource = static_cast<int32_t>(refused.size());
    // Every share of the run reports the placements that name no picture
    // of the whole list.
    summary.unmatchedPlacements = UnmatchedPlacements(placements, fileList);
    // A share of a list that has pictures may be empty (more shares than
    // pictures): that share is done, not a run without files.
    const bool listHadFiles = !fileList.empty();
    fileList = TakeShard(fileList, selection.shardIndex, selection.shardCount);
    fileCount = static_cast<int32_t>(fileList.size());
    summary.fileCount = fileCount + summary.outsideSource;
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

    // A mark whose size follows each picture or whose text names it makes its
    // own layer for each picture. The other active marks are made once for
    // the whole run, when the first picture that can hold them comes, so a
    // mark larger than every picture is never drawn; the image layer starts
    // again from its source every run, so rotations never add up. A picture
    // that could hold an active mark whose layer could not be made (memory)
    // fails: a picture without the mark asked for is never written.
    if (textMark.base.enabled && !textFit.SizeFollowsPicture() && !fittedText.FillsIn())
        fittedText.BuildLayerOnDemand(textMark.SmallestBase(), [this] { return textMark.RebuildLayer(); });
    if (imageMark.base.enabled && !imageFit.SizeFollowsPicture())
        fittedImage.BuildLayerOnDemand(imageMark.BaseToBe(), [this] { return imageMark.RebuildLayer(); });

    // Several workers take the largest files first, so that no worker is
    // left with a big picture at the end while the others wait; one job keeps
    // the list order. The sizes come from the directory, so no file is opened
    // before its turn. Results are kept and reported by list position either
    // way.
    std::vector<uintmax_t> fileBytes(fileList.size());
    for (size_t i = 0; i < fileList.size(); ++i) {
        std::error_code error;
        const uintmax_t size =
            std::filesystem::file_size(PathFromUtf8(JoinPath(sourceDirectory, fileList[i])), error);
        fileBytes[i] = error ? 0 : size;
    }
    std::vector<int32_t> order(fileList.size());
    std::iota(order.begin(), order.end(), 0);
    if (jobs > 1) {
        std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
            return fileBytes[static_cast<size_t>(a)] > fileBytes[static_cast<size_t>(b)];
        });
    }
    ParallelPlan plan;
    plan.jobs = jobs;
    plan.memoryBudget = memoryBudget;

    std::mutex reporting;
    std::vector<BatchFileResult> results(fileList.size());
    std::vector<bool> finished(fileList.size());
    size_t reported = 0;
    int32_t done = 0;
    ForEachFileInParallel(fileCount, plan, [&](int32_t position, CRasterImage& work, StepMemory& memory) {
        const int32_t index = order[static_cast<size_t>(position)];
        const std::string& name = fileList[static_cast<size_t>(index)];
        const std::string sourcePath = JoinPath(sourceDirectory, name);
        const std::string outputPath = JoinPath(outputDirectory, name);
        const auto start = std::chrono::steady_clock::now();
        // Whatever writes this picture's output writes it inside the output
        // directory, links included.
        const ScopedWriteConfinement confined({outputDirectory, sourcePath, originalsMayBeReplaced});
        BatchFileResult result;
        int32_t bitsPerChannel = 0;
        if (skipExisting && OutputIsUpToDate(sourcePath, outputPath)) {
            result.outcome = BatchFileOutcome::UpToDate;
        } else if (!MakeOutputSubfolder(outputDirectory, name, result.status)) {
            result.outcome = BatchFileOutcome::SaveFailed;
        } else {
            // The source is opened once: its header tells what making it
            // will cost, which waits for room in the memory budget before
            // the file is read from the same opening.
            SourceForCopy source;
            std::optional<PictureHeader> header;
            if (source.file.OpenFile(sourcePath, source.status)) header = source.file.ReadHeader();
            memory.Reserve(PictureCost(header, fileBytes[static_cast<size_t>(index)]));
            bitsPerChannel = header ? header->bitsPerChannel : 0;
            try {
                // The source's own quality is estimated where the source is read.
                const int32_t fileQuality = qualityFromSource ? kQualityOfSource : quality;
                // The running number follows the list, whatever order the
                // workers take the files in.
                const int64_t number = int64_t{index} + 1;
                const PicturePlacement& placed = placements.For(name);
                result = losslessJpeg ? WatermarkJpegBlocks(work, source, sourcePath, outputPath, fittedImage,
                                                            fittedText, number, fileQuality, metadata, placed)
                                      : WatermarkFile(work, source, sourcePath, outputPath, fittedImage,
                                                      fittedText, number, fileQuality, {}, metadata, placed);
            } catch (const std::exception& error) {
                // Out of memory on a huge picture: that picture is not
                // written, the run goes on with the next.
                work.Destroy();
                result = BatchFileResult{};
                result.outcome = BatchFileOutcome::StampFailed;
                result.status.failure = {Domain::Mark, dynamic_cast<const std::bad_alloc*>(&error)
                                                           ? "not enough memory"
                                                           : error.what()};
            }
        }
        if (result.outcome == BatchFileOutcome::Unreadable && !FileExists(sourcePath))
            result.outcome = BatchFileOutcome::Missing;
        result.narrowedTo8Bits = result.outcome == BatchFileOutcome::Written && bitsPerChannel > 8;
        result.sourceBytes = fileBytes[static_cast<size_t>(index)];
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::lock_guard<std::mutex> lock(reporting);
        results[static_cast<size_t>(index)] = result;
        finished[static_cast<size_t>(index)] = true;
        ++done;
        // Lines come in list order: a file is told once every file before it was.
        for (; reported < results.size() && finished[reported]; ++reported) {
            ui.FileFinished(fileList[reported], results[reported]);
            // A mark stamped short of something, e.g. a character no font has.
            const std::string warning = results[reported].status.Warning(Domain::Mark);
            if (!warning.empty()) ui.ShowMessage(warning, kWarningCaption, MessageIcon::Warning);
        }
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
            case BatchFileOutcome::Missing:
                ++summary.missing;
                break;
            case BatchFileOutcome::OutsideSource:
                ++summary.outsideSource;
                break;
        }
        if (result.outcome != BatchFileOutcome::Written) continue;
        if (result.narrowedTo8Bits) ++summary.narrowedTo8Bits;
        if (result.imageMarkLeftOff || result.textMarkLeftOff) ++summary.markLeftOff;
        if (result.status.Damaged()) ++summary.damaged;
        if (!result.status.Warning(Domain::Metadata).empty()) ++summary.metadataDamaged;
        if (!result.status.Warning(Domain::Write).empty()) ++summary.reEncodedWhole;
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
