// stampora-batch: the batch job from the command line.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "batch/BatchJob.h"
#include "batch/tool/MarkSetup.h"
#include "batch/tool/MarkSizeOptions.h"
#include "batch/tool/NameList.h"
#include "batch/tool/PresetFile.h"
#include "batch/tool/TerminalUi.h"
#include "batch/tool/ToolOptions.h"
#include "batch/tool/ToolUsage.h"
#include "platform/OutputDirectorySetting.h"
#include "platform/Utf8Path.h"

using namespace stampora;

namespace {

constexpr int kExitAllWritten = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;

int UsageError(const std::string& message) {
    std::fprintf(stderr, "stampora-batch: %s\nTry 'stampora-batch --help' for more information.\n",
                 message.c_str());
    return kExitUsage;
}

int Refuse(const std::string& message) {
    std::fprintf(stderr, "stampora-batch: %s\n", message.c_str());
    return kExitUsage;
}

// The source directory is checked before anything is made, so a mistyped
// source never leaves an empty output folder behind.
bool IsListableDirectory(const std::string& directory, std::string& reason) {
    const std::filesystem::path path = PathFromUtf8(directory);
    std::error_code error;
    const bool isDirectory = std::filesystem::is_directory(path, error);
    if (error) {
        reason = error.message();
    } else if (!isDirectory) {
        reason = std::filesystem::exists(path, error) ? "not a folder" : "No such file or directory";
    }
    return !error && isDirectory;
}

// The output directory exists before the run, as a user of a command-line
// tool expects; a path that cannot be made a directory is refused.
bool EnsureDirectory(const std::string& directory) {
    const std::filesystem::path path = PathFromUtf8(directory);
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return true;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

int32_t DefaultJobs() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int32_t>(std::min(cores, 256u));
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = ParseToolOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) return UsageError(error);
    if (options->help) {
        std::fputs(kToolUsage, stdout);
        return kExitAllWritten;
    }
    if (options->version) {
        std::printf("stampora-batch %s\n", STAMPORA_VERSION);
        return kExitAllWritten;
    }
    if (options->savePreset) {
        if (!SavePreset(*options->savePreset, options->presetEntries, error)) return Refuse(error);
        if (options->sourceDirectory.empty()) return kExitAllWritten;
    }

    if (!options->textMark && !options->imageMark) {
        return UsageError("nothing to stamp: give --text TEXT and/or --image FILE");
    }
    if (!options->sourceDirectory.empty() && !IsListableDirectory(options->sourceDirectory, error)) {
        return Refuse("cannot list the source directory " + options->sourceDirectory + "\n" + error);
    }

    CBatchJob job;
    job.jobs = options->jobs > 0 ? options->jobs : DefaultJobs();
    job.quality = options->quality;
    job.textFit = TextMarkFit(*options);
    job.imageFit = ImageMarkFit(*options);
    job.qualityFromSource = options->qualityFromSource;
    job.metadata = options->stripMetadata ? MetadataKept::Essential
                   : options->stripGps    ? MetadataKept::NoGps
                                          : MetadataKept::All;
    job.selection.recursive = options->recursive;
    job.selection.shardIndex = options->shardIndex;
    job.selection.shardCount = options->shardCount;
    job.skipExisting = options->skipExisting;
    if (options->filesFrom) {
        std::vector<std::string> names;
        if (!ReadNameList(*options->filesFrom, options->nullSeparated, names, error)) return Refuse(error);
        job.selection.givenNames = std::move(names);
    }
    job.losslessJpeg = options->losslessJpeg;
    if (options->textMark && !SetUpTextMark(*options->textMark, job.textMark, error)) return Refuse(error);
    if (options->imageMark && !SetUpImageMark(*options->imageMark, job.imageMark, error))
        return Refuse(error);

    const std::string outputDirectory =
        options->outputDirectory ? *options->outputDirectory : ReadOutputDirectory();
    if (!options->sourceDirectory.empty() && !outputDirectory.empty() && !EnsureDirectory(outputDirectory)) {
        return Refuse("cannot create the output directory " + outputDirectory);
    }

    CTerminalUi ui(*options, outputDirectory);
    const BatchSummary summary = job.RunBatch(ui);
    switch (summary.state) {
        case BatchRunState::NotStarted:
        case BatchRunState::Declined:
            return kExitUsage;
        case BatchRunState::SourceNotListed:
            return Refuse("cannot list the source directory " + options->sourceDirectory);
        case BatchRunState::NoFile:
            std::fprintf(stderr, "no file of the chosen types in %s\n", options->sourceDirectory.c_str());
            return kExitRunFailed;
        case BatchRunState::Finished:
            break;
    }
    std::printf("%d written, %d skipped (not readable pictures), %d failed to save",
                static_cast<int>(summary.written), static_cast<int>(summary.unreadable),
                static_cast<int>(summary.saveFailed));
    if (summary.upToDate > 0) std::printf(", %d up to date", static_cast<int>(summary.upToDate));
    if (summary.stampFailed > 0) std::printf(", %d not watermarked", static_cast<int>(summary.stampFailed));
    std::printf("; results in %s\n", outputDirectory.c_str());
    if (summary.damaged > 0) {
        std::printf("%d picture(s) damaged: written with only the part that could be read\n",
                    static_cast<int>(summary.damaged));
    }
    if (summary.metadataDamaged > 0) {
        std::printf("%d picture(s) with damaged metadata: written with only the items that could be read\n",
                    static_cast<int>(summary.metadataDamaged));
    }
    if (summary.reEncodedWhole > 0) {
        std::printf("%d JPEG(s) re-encoded whole: their blocks could not be kept\n",
                    static_cast<int>(summary.reEncodedWhole));
    }
    if (summary.markLeftOff > 0) {
        std::printf("%d picture(s) too small for a mark and its margin: the mark was left off them\n",
                    static_cast<int>(summary.markLeftOff));
    }
    return summary.Complete() ? kExitAllWritten : kExitRunFailed;
}
