#pragma once
// One line saying what became of one file of a batch run, with the reason
// when it was not written whole.
#include <string>

#include "batch/copy/WatermarkFile.h"

namespace stampora {

// "a.jpg: written", "a.jpg: written without the text mark (too large)",
// "d.png: written at 8 bits per channel" (from a 16-bit source),
// "t.png: written, damaged: only 120 of 600 lines",
// "b.jpg: skipped: Premature end of JPEG file",
// "c.bmp: FAILED (could not save): Permission denied".
std::string FileResultLine(const std::string& name, const BatchFileResult& result);

}  // namespace stampora
