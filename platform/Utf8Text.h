#pragma once
// Conversions between the narrow text of the system (UTF-8: watermark texts,
// font names, paths) and its wide text (UTF-16, as the user interface holds
// it). Wide to narrow and back gives the very same wide string for every
// input, lone surrogates included, so no character typed by a user is ever
// replaced on the way.
#include <string>
#include <string_view>

namespace stampora {

// UTF-16 to UTF-8. A surrogate pair becomes one four-byte sequence; a lone
// surrogate is kept as its own three-byte sequence instead of being replaced.
std::string Utf8FromUtf16(std::u16string_view wide);

// UTF-8 to UTF-16, the exact inverse of Utf8FromUtf16. A byte that starts no
// well-formed sequence (and is not a lone surrogate as written above) becomes
// U+FFFD, one per ill-formed subsequence.
std::u16string Utf16FromUtf8(std::string_view narrow);

// UTF-8 to Unicode scalar values for drawing: like Utf16FromUtf8, but a lone
// surrogate, which no font can show, is drawn as U+FFFD.
std::u32string CodePointsFromUtf8(std::string_view narrow);

}  // namespace stampora
