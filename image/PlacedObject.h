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

    // Writes (write = true) or reads the object's flat memory form; answers
    // the number of bytes. The bare base has nothing of its own to move.
    virtual uint32_t Marshal(bool write, uint8_t* buffer);

    int32_t offsetX = 0;
    int32_t offsetY = 0;

protected:
    // Moves the two offsets as little-endian 32-bit integers, x first; answers 8.
    uint32_t MarshalPosition(bool write, uint8_t* buffer);
};

}  // namespace stampora
