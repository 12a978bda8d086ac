// Feeds arbitrary bytes to the JPEG reader, and to the look at its headers
// that gives a copy its quality and sampling.
#include <cstddef>
#include <cstdint>

#include "codecs/jpeg/JpegCodec.h"
#include "codecs/metadata/SourceQuality.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CJpegCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    JpegQuality({data, size});
    JpegSamplingOf({data, size});
    return 0;
}
