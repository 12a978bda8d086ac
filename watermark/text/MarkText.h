#pragma once
// Watermark text that fills itself in per picture: {name}, {ext}, {width},
// {height}, {date}, {year}, {camera} and {n}, with {{ and }} for braces.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Status.h"

namespace stampora {

class CImageProperties;

// What the placeholders stand for on one picture.
struct MarkTextFacts {
    std::string name;  // file name without its extension
    std::string ext;   // extension without the dot
    int32_t width = 0;
    int32_t height = 0;
    std::string date;    // YYYY-MM-DD
    std::string camera;  // camera model, empty when unknown
    int64_t number = 0;  // running number in processing order, from 1
};

// True when the text holds anything to fill in (a placeholder or an escaped
// brace), so a plain text can be rendered once for every picture.
bool HasPlaceholders(std::string_view text);

// Checks every brace of the text; false with a message naming the first
// unknown placeholder or stray brace.
bool CheckMarkText(std::string_view text, Status& status);

// The text with every placeholder replaced; the text must have passed
// CheckMarkText (anything unknown is kept as written).
std::string FillMarkText(std::string_view text, const MarkTextFacts& facts);

// The facts of a picture file: its name and extension from the UTF-8 path,
// the date taken and camera model from its metadata, the file's modification
// date when it carries no date taken.
MarkTextFacts FactsForPicture(const std::string& path, int32_t width, int32_t height,
                              const CImageProperties& metadata, int64_t number);

}  // namespace stampora
