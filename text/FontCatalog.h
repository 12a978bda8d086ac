#pragma once
// The installed font families (from fontconfig) and the font file that
// serves a family, weight and slant, or a character the chosen face lacks.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stampora {

// A font file and face, and the styling the engine must add because the
// family has no such face of its own.
struct FaceLocation {
    std::string file;
    int32_t index = 0;
    bool syntheticBold = false;
    bool syntheticOblique = false;
};

// The names of the installed font families, in alphabetical order (letter
// case aside), each once. Names of
// vertical-writing variants (starting with '@') are left out. This is the
// list the text dialog offers.
const std::vector<std::string>& InstalledFontFamilies();

// Whether a family of this name is installed (letter case aside).
bool IsInstalledFamily(std::string_view family);

// The face of an installed family closest to the weight and slant asked for;
// nothing when the family is not installed.
std::optional<FaceLocation> FindFace(std::string_view family, bool bold, bool italic);

// A face of another family that has the character, in the weight and slant
// asked for where possible; with `colour`, only a colour face (emoji) will
// do. Nothing when no installed font (or colour font) has it.
std::optional<FaceLocation> FindFallbackFace(char32_t character, bool bold, bool italic, bool colour = false);

}  // namespace stampora
