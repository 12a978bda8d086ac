// Feeds arbitrary bytes to the JPEG reader, whole and at a reduced scale
// (the last byte picks the fit box and the DC view's pieces), and to the look at its headers that
// gives a copy its quality and sampling.
#include <cstddef>
#include <cstdint>

#include "codecs/jpeg/JpegCodec.h"
#include "codecs/jpeg/JpegDcView.h"
#include "codecs/metadata/SourceQuality.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CJpegCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    if (size > 0) {
        ScaledJpeg scaled;
        Status status;
        const int32_t side = 1 + data[size - 1];
        ReadScaledJpeg(data, size, {side, side / 2 + 1}, scaled, status);
        // The DC view cut into several pieces, so small files are joined too.
        CRasterImage view;
        ReadJpegDcView(data, size, view, 1 + data[size - 1] % 6);
    }
    JpegQuality({data, size});
    JpegSamplingOf({data, size});
    return 0;
}
