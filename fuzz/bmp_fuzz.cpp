// Feeds arbitrary bytes to the BMP reader.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "codecs/bmp/BmpCodec.h"
#include "image/LittleEndian.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A short file may claim up to the decoder's limit of pixels, which the
    // reader then allocates and zeroes; such inputs only slow the search down
    // (the unit tests cover them), so headers above 4 M pixels are skipped.
    if (size >= 26) {
        const bool core = LoadLE32(data + 14) == 12;  // 16-bit sizes
        const int64_t width = core ? LoadLE16(data + 18) : static_cast<int32_t>(LoadLE32(data + 18));
        const int64_t height = core ? LoadLE16(data + 20) : static_cast<int32_t>(LoadLE32(data + 22));
        if (std::llabs(width * height) > (int64_t{4} << 20)) return 0;
    }
    CBmpCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    return 0;
}
