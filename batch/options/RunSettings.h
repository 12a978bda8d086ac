#pragma once
// The marks and output options of a run as the editor and the batch dialog
// hold them, and their one conversion to and from the tool's options: a
// preset written by either is read by the other.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchJob.h"
#include "batch/BatchTypeFilter.h"
#include "batch/options/ToolOptions.h"
#include "codecs/metadata/KeptMetadata.h"
#include "platform/Status.h"
#include "watermark/ImageWatermark.h"
#include "watermark/MarkFit.h"
#include "watermark/text/TextWatermark.h"

namespace stampora {

struct OutputSettings {
    int32_t quality = -1;  // 1 to 100; -1 is each writer's default
    bool qualityFromSource = false;
    MetadataKept metadata = MetadataKept::All;
    // A JPEG saved as JPEG keeps its blocks outside the marks.
    bool losslessJpeg = false;
    bool recursive = false;
    bool skipExisting = false;
    // The batch's picture types, when they were chosen.
    std::optional<BatchTypeFlags> types;
};

struct RunSettings {
    // Each mark is active (base.enabled) when the settings give it.
    TextWatermark textMark;
    ImageWatermark imageMark;
    MarkFit textFit;
    MarkFit imageFit;
    OutputSettings output;
};

// The settings as the tool's options: the marks that are active, the layout
// of the text mark's fit (of the image mark's when only it is active) and
// every output option that differs from the tool's default.
std::vector<std::string> SettingsArguments(const RunSettings& settings);

// Builds the settings from parsed options as the tool does: each mark given
// is set up (its font must be installed, its picture must load), the fits
// and the output options taken over. False with the reason, `settings`
// untouched.
bool SettingsFromOptions(const ToolOptions& options, RunSettings& settings, Status& status);

// Reads a preset file into `settings`; refused with "FILE:LINE: reason" (or
// why a mark cannot be made), `settings` then untouched.
bool LoadRunSettings(const std::string& path, RunSettings& settings, Status& status);

// Writes the settings as a preset file the tool reads back to the same run.
bool SaveRunSettings(const std::string& path, const RunSettings& settings, Status& status);

// Hands the settings to a batch job: each mark they give with its fit (a
// mark they leave inactive stays as the job had it) and the output options.
void TakeRunSettings(const RunSettings& settings, CBatchJob& job);
void TakeOutputSettings(const OutputSettings& output, CBatchJob& job);
// The job's output options, its picture types included.
OutputSettings OutputSettingsOf(const CBatchJob& job);

}  // namespace stampora
