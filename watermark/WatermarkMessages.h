#pragma once

namespace stampora {

// The messages the watermark records show, word for word.

inline constexpr const char* kErrorCaption = "Error";
inline constexpr const char* kWarningCaption = "Warning";

inline constexpr const char* kTextMarkTooLargeMessage =
    "The size of watermark exceeds the scope of display.\n"
    " Please decrease the font size of the text or the number of words!";

inline constexpr const char* kImageMarkTooLargeMessage =
    "The size of watermark exceeds the scope of display.\n"
    " Please decrease the  size of the watermark!";

inline constexpr const char* kWidthBiggerThanPictureMessage = "The width is bigger than the dest image!";
inline constexpr const char* kHeightBiggerThanPictureMessage = "The height is bigger than the dest image!";

}  // namespace stampora
