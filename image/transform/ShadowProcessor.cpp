#include "image/transform/ShadowProcessor.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "image/LittleEndian.h"
#include "image/transform/BoxBlurProcessor.h"

namespace stampora {

CShadowProcessor::CShadowProcessor(ShadowParams given) : params(given) {
    if (params.blur <= 2) params.blur = 2;
    params.opacity = std::clamp(params.opacity, 1, 100);
}

bool CShadowProcessor::Accepts(const CRasterImage& image) const {
    return !image.IsEmpty() && image.Bpp() == 32;
}

bool CShadowProcessor::ApplyToImage(CRasterImage& image, CProgressSink* progress) {
    const int64_t s = params.blur;
    const int64_t w = image.Width(), h = image.Height();
    // O: the picture; S: the silhouette moved by the offset; E: S grown by the
    // blur; U: what holds both.
    const int64_t shadowLeft = params.offsetX, shadowTop = params.offsetY;
    const int64_t unionLeft = std::min<int64_t>(0, shadowLeft - s);
    const int64_t unionTop = std::min<int64_t>(0, shadowTop - s);
    const int64_t unionRight = std::max<int64_t>(w, shadowLeft + w + s);
    const int64_t unionBottom = std::max<int64_t>(h, shadowTop + h + s);
    const int64_t unionWidth = unionRight - unionLeft, unionHeight = unionBottom - unionTop;
    if (unionWidth > std::numeric_limits<int32_t>::max() ||
        unionHeight > std::numeric_limits<int32_t>::max()) {
        return false;
    }

    // The picture moves into the copy; on any failure it moves back.
    CRasterImage& copy = NewCopy();
    copy.Swap(image);
    if (!image.Create(static_cast<int32_t>(unionWidth), static_cast<int32_t>(unionHeight), 32)) {
        image.Swap(copy);
        return false;
    }

    // Each silhouette pixel is the colour with the picture's alpha weakened by
    // the opacity; the 256 possible pixels are worked out once and written
    // as whole words.
    const uint32_t colour = static_cast<uint32_t>(params.colour) & 0x00FFFFFFu;
    uint32_t silhouette[256];
    for (uint32_t a = 0; a < 256; ++a) {
        silhouette[a] =
            colour | (static_cast<uint32_t>(a * static_cast<uint32_t>(params.opacity) / 100) << 24);
    }
    const auto shiftX = static_cast<int32_t>(shadowLeft - unionLeft);
    const auto shiftY = static_cast<int32_t>(shadowTop - unionTop);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* in = copy.Row(y);
        uint8_t* out = image.PixelAt(shiftX, shiftY + y);
        for (int32_t x = 0; x < w; ++x, in += 4, out += 4) StoreLE32(out, silhouette[in[3]]);
    }

    CBoxBlurProcessor blur(params.blur, false);
    if (!image.RunProcessor(blur, progress)) {
        image.Destroy();
        image.Swap(copy);
        return false;
    }
    image.BlendLayer(copy, static_cast<int32_t>(-unionLeft), static_cast<int32_t>(-unionTop), 100);
    image.offsetX = static_cast<int32_t>(copy.offsetX + unionLeft);
    image.offsetY = static_cast<int32_t>(copy.offsetY + unionTop);
    return true;
}

}  // namespace stampora
