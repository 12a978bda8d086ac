#pragma once
// The "Raw profile type exif" text chunk other tools use for EXIF in PNG:
// a line feed, the profile name, a line feed, the byte count, a line feed,
// then the bytes as hexadecimal digits with line breaks.
#include <cstddef>
#include <vector>

// Decodes the profile into an EXIF block (without the "Exif" prefix);
// false when the text is not such a profile.
bool DecodeRawExifProfile(const char* text, size_t length, std::vector<unsigned char>& block);
