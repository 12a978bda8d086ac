#pragma once
// How the editor's Save and Save As write the copy: JPEG quality, whether a
// JPEG keeps its blocks outside the marks, and what of the metadata stays.
// Kept in config.ini beside the output directory, in the tool's words
// ("source", "strip-gps").
#include "batch/options/RunSettings.h"

namespace stampora {

// The options in force: read from config.ini when the main window is made,
// replaced by the Save Options dialog and by a loaded preset.
extern OutputSettings saveOptions;

// The options config.ini holds; the defaults (each writer's quality, the
// JPEG encoded whole, all metadata kept) for what it does not hold or holds
// in a form no option takes.
OutputSettings ReadSaveOptions();

// Stores the save options in config.ini; false when the file could not be
// written.
bool WriteSaveOptions(const OutputSettings& options);

}  // namespace stampora
