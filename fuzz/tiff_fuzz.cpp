// Feeds arbitrary bytes to the TIFF reader.
#include <cstddef>
#include <cstdint>

#include "codecs/tiff/TiffCodec.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CTiffCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    return 0;
}
