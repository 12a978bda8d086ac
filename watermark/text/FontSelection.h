#pragma once
// The font description exactly as the text dialog builds it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace stampora {

constexpr int32_t kFontWeightNormal = 400;
constexpr int32_t kFontWeightBold = 700;
constexpr uint8_t kDefaultCharSet = 1;
// Room for the face name, terminator included, as the font description of
// the platform gives it; a name keeps at most one character less.
constexpr size_t kFaceNameCapacity = 32;

struct FontSpec {
    int32_t height = 0;  // size in points; below 1 the dialog was never confirmed
    int32_t weight = 0;  // 400 normal, 700 bold
    bool italic = false;
    uint8_t charSet = 0;
    std::u16string faceName;
};

}  // namespace stampora
