// stampora-batch: the batch job from the command line.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "batch/BatchJob.h"
#include "batch/options/PresetFile.h"
#include "batch/options/RunSettings.h"
#include "batch/options/ShownName.h"
#include "batch/options/ToolOptions.h"
#include "batch/tool/NameList.h"
#include "batch/tool/TerminalUi.h"
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
bool IsListableDirectory(const std::string& directory, Status& status) {
    const std::filesystem::path path = PathFromUtf8(directory);
    std::error_code error;
    const bool isDirectory = std::filesystem::is_directory(path, error);
    if (error) return status.Fail(Domain::Read, error.message());
    return isDirectory ||
           status.Fail(Domain::Read,
                       std::filesystem::exists(path, error) ? "not a folder" : "No such file or directory");
}

// The output directory exists before the run, as a user of a command-line
// tool expects; a path that cannot be made a directory is refused with the
// system's reason.
bool EnsureDirectory(const std::string& directory, Status& status) {
    const std::filesystem::path path = PathFromUtf8(directory);
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return true;
    std::filesystem::create_directories(path, error);
    if (error) return status.Fail(Domain::Output, error.message());
    return std::filesystem::is_directory(path, error) || status.Fail(Domain::Output, "not a folder");
}

int32_t DefaultJobs() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int32_t>(std::min(cores, 256u));
}

// Half the memory the process may have: the machine's, or less when its
// control group (a container, a Slurm job) is limited; no limit when the
// system does not say.
int64_t DefaultMemoryBudget() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    int64_t memory = pages > 0 && pageSize > 0 ? int64_t{pages} * pageSize : 0;
    if (std::FILE* limit = std::fopen("/sys/fs/cgroup/memory.max", "r")) {
        long long bytes = 0;
        if (std::fscanf(limit, "%lld", &bytes) == 1 && bytes > 0 && (memory == 0 || bytes < memory))
            memory = bytes;
        std::fclose(limit);
    }
    return memory / 2;
}

}  // namespace

int main(int argc, char** argv) {
    Status status;
    const auto options = ParseToolOptions(std::vector<std::string>(argv + 1, argv + argc), status);
    if (!options) return UsageError(status.Error());
    if (options->help) {
        std::fputs(kToolUsage, stdout);
        return kExitAllWritten;
    }
    if (options->version) {
        std::printf("stampora-batch %s\n", STAMPORA_VERSION);
        return kExitAllWritten;
    }
    if (options->savePreset) {
        if (!SavePreset(*options->savePreset, options->presetEntries, status)) return Refuse(status.Error());
        if (options->sourceDirectory.empty()) return kExitAllWritten;
    }

    if (!options->textMark && !options->imageMark) {
        return UsageError("nothing to stamp: give --text TEXT and/or --image FILE");
    }
    if (!options->sourceDirectory.empty() && !IsListableDirectory(options->sourceDirectory, status)) {
        return Refuse("cannot list the source directory " + ShownName(options->sourceDirectory) + "\n" +
                      status.Error());
    }

    RunSettings settings;
    if (!SettingsFromOptions(*options, settings, status)) return Refuse(status.Error());
    CBatchJob job;
    TakeRunSettings(settings, job);
    job.jobs = options->jobs > 0 ? options->jobs : DefaultJobs();
    job.memoryBudget = options->memoryBudget > 0 ? options->memoryBudget : DefaultMemoryBudget();
    job.selection.shardIndex = options->shardIndex;
    job.selection.shardCount = options->shardCount;
    job.replaceOriginals = options->inPlace;
    if (options->filesFrom) {
        std::vector<std::string> names;
        if (!ReadNameList(*options->filesFrom, options->nullSeparated, names, status))
            return Refuse(status.Error());
        job.selection.givenNames = std::move(names);
    }
    if (options->placementsFile && !ReadPlacements(*options->placementsFile, job.placements, status))
        return Refuse(status.Error());

    const std::string outputDirectory =
        options->outputDirectory ? *options->outputDirectory : ReadOutputDirectory();
    if (!options->sourceDirectory.empty() && !outputDirectory.empty() &&
        !EnsureDirectory(outputDirectory, status)) {
        return Refuse("cannot create the output directory " + ShownName(outputDirectory) + "\n" +
                      status.Error());
    }

    CTerminalUi ui(*options, outputDirectory);
    const BatchSummary summary = job.RunBatch(ui);
    switch (summary.state) {
        case BatchRunState::NotStarted:
        case BatchRunState::Declined:
        case BatchRunState::OutputNotWritable:
            return kExitUsage;
        case BatchRunState::SourceNotListed:
            return Refuse("cannot list the source directory " + ShownName(options->sourceDirectory));
        case BatchRunState::NoFile:
            std::fprintf(stderr, "no file of the chosen types in %s\n",
                         ShownName(options->sourceDirectory).c_str());
            return kExitRunFailed;
        case BatchRunState::Finished:
            break;
    }
    std::printf("%d written", static_cast<int>(summary.written));
    if (summary.upToDate > 0) std::printf(", %d up to date", static_cast<int>(summary.upToDate));
    std::printf("; results in %s%s\n", ShownName(outputDirectory).c_str(),
                BatchSummaryLines(summary).c_str());
    return summary.Complete() ? kExitAllWritten : kExitRunFailed;
}
