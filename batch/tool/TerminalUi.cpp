#include "batch/tool/TerminalUi.h"

#include <unistd.h>

#include "batch/BatchSummary.h"
#include "batch/FileResultLine.h"
#include "batch/options/ShownName.h"

namespace stampora {

namespace {
constexpr int32_t kBarWidth = 30;
constexpr size_t kShownNameLength = 40;

// "2.4 MB, image mark 200x67, text mark 310x40, source quality 92, 0.412 s".
std::string VerboseLine(const BatchFileResult& result) {
    char size[32];
    const double bytes = static_cast<double>(result.sourceBytes);
    if (bytes >= 1e6) {
        std::snprintf(size, sizeof size, "%.1f MB", bytes / 1e6);
    } else {
        std::snprintf(size, sizeof size, "%.1f KB", bytes / 1e3);
    }
    std::string line = size;
    auto mark = [&line](const char* kind, const StampedSize& stamped) {
        if (stamped.width > 0)
            line += std::string(", ") + kind + " mark " + std::to_string(stamped.width) + "x" +
                    std::to_string(stamped.height);
    };
    mark("image", result.imageMarkSize);
    mark("text", result.textMarkSize);
    if (result.sourceQuality > 0) line += ", source quality " + std::to_string(result.sourceQuality);
    if (!result.automatic.empty()) line += ", " + result.automatic;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, ", %.3f s", result.seconds);
    return line + seconds;
}

}  // namespace

CTerminalUi::CTerminalUi(const ToolOptions& options, std::string outputDirectory)
    : options(options), outputDirectory(std::move(outputDirectory)), drawBar(::isatty(STDERR_FILENO) == 1) {}

bool CTerminalUi::ReadFields(BatchFields& fields) {
    fields.sourceDirectory = options.sourceDirectory;
    fields.outputDirectory = outputDirectory;
    fields.types = options.types;
    return true;
}

void CTerminalUi::EnableProcess(bool enabled) {
    // The end of a run: the bar's line is finished before anything else prints.
    if (enabled && barShown) {
        std::fputc('\n', stderr);
        barShown = false;
    }
}

void CTerminalUi::FileFinished(const std::string& name, const BatchFileResult& result) {
    ++finished;
    lastName = ShownName(name);
    // A reason may quote a name too (a library's message).
    BatchFileResult shown = result;
    shown.status.failure.text = ShownName(result.status.Error());
    shown.status.damage = ShownName(result.status.damage);
    for (Reason& warning : shown.status.warnings) warning.text = ShownName(warning.text);
    const std::string line = FileResultLine(lastName, shown);
    if (drawBar) {
        // Over the bar only what the user must know about, or asked for.
        if (!result.Complete() || result.narrowedTo8Bits || options.verbose) {
            std::fprintf(stderr, "%s%s\n", barShown ? "\r\033[K" : "", line.c_str());
            if (options.verbose) std::fprintf(stderr, "  %s\n", VerboseLine(result).c_str());
            barShown = false;
        }
        return;
    }
    std::printf("%s\n", line.c_str());
    if (options.verbose) std::printf("  %s\n", VerboseLine(result).c_str());
    std::fflush(stdout);
}

void CTerminalUi::SetProgress(int32_t position) {
    if (drawBar && finished > 0) DrawBar(position);
}

void CTerminalUi::DrawBar(int32_t position) {
    const int32_t filled = position * kBarWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarWidth - filled), '.');
    std::string name = lastName;
    if (name.size() > kShownNameLength) name = "..." + name.substr(name.size() - (kShownNameLength - 3));
    std::fprintf(stderr, "\r\033[K[%s] %3d%%  %s", bar.c_str(), static_cast<int>(position), name.c_str());
    std::fflush(stderr);
    barShown = true;
}

void CTerminalUi::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
    // The tool closes a run with its own summary, of the same lines.
    if (caption == kBatchFinishCaption) return;
    if (barShown) {
        std::fputc('\n', stderr);
        barShown = false;
    }
    if (icon == MessageIcon::Error || caption == kBatchErrorCaption) {
        std::fprintf(stderr, "stampora-batch: %s\n", text.c_str());
    } else if (icon == MessageIcon::Warning) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    } else {
        std::printf("%s\n", text.c_str());
    }
}

bool CTerminalUi::ConfirmReplaceOriginals(const std::string& directory) {
    if (options.inPlace) return true;
    std::fprintf(
        stderr,
        "stampora-batch: the output directory is the source directory (%s); every original would be replaced "
        "by its watermarked version. Give --in-place to allow it.\n",
        ShownName(directory).c_str());
    return false;
}

}  // namespace stampora
