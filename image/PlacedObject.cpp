#include "image/PlacedObject.h"

#include "image/LittleEndian.h"

namespace stampora {

uint32_t CPlacedObject::Marshal(bool, uint8_t*) {
    return 0;
}

uint32_t CPlacedObject::MarshalPosition(bool write, uint8_t* buffer) {
    if (write) {
        StoreLE32(buffer, static_cast<uint32_t>(offsetX));
        StoreLE32(buffer + 4, static_cast<uint32_t>(offsetY));
    } else {
        offsetX = static_cast<int32_t>(LoadLE32(buffer));
        offsetY = static_cast<int32_t>(LoadLE32(buffer + 4));
    }
    return 8;
}

}  // namespace stampora
