#pragma once
#include <cstdint>

namespace stampora {

// An object with a position on a canvas: the top-left pixel's offset.
class CPlacedObject {
public:
    CPlacedObject() = default;
    CPlacedObject(const CPlacedObject&) = default;
    CPlacedObject& operator=(const CPlacedObject&) = default;
    virtual ~CPlacedObject() = default;

    int32_t offsetX = 0;
    int32_t offsetY = 0;
};

}  // namespace stampora
