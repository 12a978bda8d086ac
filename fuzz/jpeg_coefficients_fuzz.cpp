// Feeds arbitrary bytes to the JPEG block rewrite, with two boxes (apart,
// touching or overlapping) taken from the first bytes and a painter that
// turns every pixel of its area negative.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/jpeg/JpegCoefficients.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    const std::vector<StoredBox> boxes{{data[0] * 4, data[1] * 4, data[2] + 1, data[3] + 1},
                                       {data[4] * 4, data[5] * 4, data[6] + 1, data[7] + 1}};
    const std::vector<uint8_t> file(data + 8, data + size);
    const StoredAreaPainter paint = [](CRasterImage& area, int32_t, int32_t, Status&) {
        for (int32_t y = 0; y < area.Height(); ++y) {
            uint8_t* row = area.Row(y);
            for (int32_t i = 0; i < area.Width() * 4; ++i) row[i] = static_cast<uint8_t>(255 - row[i]);
        }
        return true;
    };
    std::vector<uint8_t> output;
    Status reason;
    if (ReadJpegLayout(file).refusal.empty()) RewriteJpegBlocks(file, boxes, paint, output, reason);
    return 0;
}
