#pragma once
// The editor's marks, their fits and its save options as one set of run
// settings: what Load Preset and Save Preset move, what `--preset` starts
// with, and the marks remembered from one session to the next.
#include <string>

#include "batch/options/RunSettings.h"
#include "platform/Status.h"

namespace stampora {

class CanvasView;
class EditorMarks;

// The editor's marks and fits with the save options in force.
RunSettings EditorSettings(const EditorMarks& marks);

// The marks the settings give become the canvas's, with their fits, placed
// by their anchors and margin as the batch tool places them (until dragged);
// a mark the settings leave inactive stays as it was.
void TakeMarks(CanvasView& canvas, const RunSettings& settings);

// Reads a preset: its marks go to the canvas, its output options become the
// save options in force. A refused preset changes nothing; the reason is in
// `status`.
bool LoadEditorPreset(CanvasView& canvas, const std::string& path, Status& status);

// The file in the configuration folder that keeps the last confirmed marks,
// in the preset format.
std::string RememberedMarksPath();
// Writes the canvas's marks and fits there; false when it cannot be written.
bool RememberMarks(const EditorMarks& marks);
// Takes the remembered marks back; a missing or unusable file leaves the
// canvas as it is.
void RestoreRememberedMarks(CanvasView& canvas);

}  // namespace stampora
