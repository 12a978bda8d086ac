#pragma once
// The marks the user moved on single pictures of a batch, and the small CSV
// file that keeps them beside a preset, so a reviewed batch can be run again
// from a script. One line per moved mark:
//
//   name,mark,x,y
//
// the picture's name as the run lists it (its path below the source folder),
// `text` or `image`, and the mark's top-left in that picture's pixels. A name
// holding a comma, a quote or a line break is quoted as RFC 4180 quotes it.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "batch/copy/PicturePlacement.h"
#include "platform/Status.h"

namespace stampora {

struct Placements {
    std::map<std::string, PicturePlacement> byName;
    // The file they were read from and the line of each moved mark, to tell
    // which line names no picture of a run; none for marks moved in the
    // batch dialog.
    std::string file;
    std::map<std::pair<std::string, MarkKind>, int32_t> lineOf;

    // The placement of one picture: empty when none of its marks was moved.
    const PicturePlacement& For(const std::string& name) const;
    // Moves one mark of one picture, or puts it back at its anchor.
    void Set(const std::string& name, MarkKind kind, const std::optional<MarkPoint>& point);
};

// Reads placements from CSV text; `file` names it in the reasons. Refuses the
// whole text at its first malformed line, "FILE:LINE: reason".
bool ParsePlacements(std::string_view text, const std::string& file, Placements& placements, Status& status);
bool ReadPlacements(const std::string& path, Placements& placements, Status& status);

// The CSV text, names in order, the text mark before the image mark.
std::string PlacementsText(const Placements& placements);
// Writes the file whole or not at all.
bool WritePlacements(const std::string& path, const Placements& placements, Status& status);

// The placements file that goes with a preset: beside it, named after it
// ("holiday.ini" -> "holiday.placements.csv").
std::string PlacementsBeside(const std::string& presetPath);

// A report line for each placed name that is not among `selected`:
// "FILE:LINE: no selected picture is named NAME".
std::vector<std::string> UnmatchedPlacements(const Placements& placements,
                                             const std::vector<std::string>& selected);

}  // namespace stampora
