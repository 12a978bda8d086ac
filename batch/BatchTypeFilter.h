#pragma once
// Which picture types a batch run takes: the All Images box and one box per
// format the run can read and write back, and the dotted extension lists
// they stand for.
#include <cstdint>
#include <string>

#include "codecs/ImageFormat.h"

namespace stampora {

struct BatchTypeFlags {
    // Check-box state: 0 clear, 1 checked (any other value counts as
    // checked, as a non-zero flag does).
    int32_t allImages = 0;
    // The checked types, one bit per format (FormatBit).
    uint32_t formats = 0;

    bool Has(ImageFormat format) const;
    void Set(ImageFormat format, bool checked);
};

constexpr uint32_t FormatBit(ImageFormat format) {
    return uint32_t{1} << static_cast<unsigned>(format);
}

// The filter text: with All Images set, the extension lists of every format
// a run can read and write (the checked types are then not looked at), else
// those of the checked types; both in the table's order. Empty when nothing
// is checked.
std::string BuildTypeFilter(const BatchTypeFlags& flags);

// The types of a comma list of extensions ("jpg,tiff"), each taking its
// whole format; "all" sets All Images. False for an empty word or an
// extension of no format a run can write back.
bool ParseTypeList(const std::string& text, BatchTypeFlags& flags);

// The list ParseTypeList reads back as the same flags: "all", or the first
// extension of each checked type ("jpg,png"); empty when nothing is checked.
std::string TypeListOf(const BatchTypeFlags& flags);

// The first extension of each format a run can write back, as a list
// ("jpg, bmp, png"): the words ParseTypeList takes at least.
std::string TypeWords();

}  // namespace stampora
