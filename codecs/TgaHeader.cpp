#include "codecs/TgaHeader.h"

#include <cstring>

#include "image/LittleEndian.h"

TgaHeader ParseTgaHeader(const uint8_t* data) {
    TgaHeader h;
    h.idLength = data[0];
    h.colourMapType = data[1];
    h.imageType = data[2];
    h.colourMapFirst = LoadLE16(data + 3);
    h.colourMapLength = LoadLE16(data + 5);
    h.colourMapEntryBits = data[7];
    h.width = LoadLE16(data + 12);
    h.height = LoadLE16(data + 14);
    h.pixelDepth = data[16];
    h.descriptor = data[17];
    return h;
}

void StoreTgaHeader(const TgaHeader& header, uint8_t* out) {
    std::memset(out, 0, kTgaHeaderBytes);
    out[0] = header.idLength;
    out[1] = header.colourMapType;
    out[2] = header.imageType;
    StoreLE16(out + 3, header.colourMapFirst);
    StoreLE16(out + 5, header.colourMapLength);
    out[7] = header.colourMapEntryBits;
    StoreLE16(out + 12, header.width);
    StoreLE16(out + 14, header.height);
    out[16] = header.pixelDepth;
    out[17] = header.descriptor;
}
