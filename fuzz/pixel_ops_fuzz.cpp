// Drives the pixel operations with pictures, rectangles and settings taken
// from the input: blending, scaled blending, resizing, rotation, blur and
// drop shadow must stay within their buffers whatever they are given.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/RasterImage.h"
#include "image/transform/BoxBlurProcessor.h"
#include "image/transform/ResizeImage.h"
#include "image/transform/RotateProcessor.h"
#include "image/transform/ShadowProcessor.h"

using namespace stampora;

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data(data), size(size) {}
    uint8_t Byte() { return position < size ? data[position++] : 0; }
    int32_t Int32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
        return static_cast<int32_t>(v);
    }
    int32_t Small(int32_t low, int32_t high) { return low + Byte() % (high - low + 1); }
    void Fill(CRasterImage& image) {
        for (int32_t y = 0; y < image.Height(); ++y) {
            uint8_t* row = image.Row(y);
            for (size_t i = 0; i < image.Stride(); ++i) row[i] = Byte();
        }
    }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

int32_t Depth(uint8_t selector) {
    static constexpr int32_t kDepths[] = {8, 16, 24, 32, 32};
    return kDepths[selector % 5];
}

CRasterImage Picture(Input& in) {
    CRasterImage image;
    image.Create(in.Small(1, 40), in.Small(1, 40), Depth(in.Byte()));
    in.Fill(image);
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    CRasterImage picture = Picture(in);
    CRasterImage layer = Picture(in);

    picture.BlendLayer(layer, in.Small(-50, 50), in.Small(-50, 50), in.Small(-20, 120));
    const PixelRect dest{in.Int32(), in.Int32(), in.Int32(), in.Int32()};
    const PixelRect src{in.Small(-2, 42), in.Small(-2, 42), in.Small(-2, 42), in.Small(-2, 42)};
    picture.BlendStretched(layer, dest, src, in.Small(-20, 120));

    CRasterImage resized = layer;
    ResizeImage(resized, in.Small(-1, 90), in.Small(-1, 90));

    CRasterImage turned = layer;
    CRotateProcessor rotate(static_cast<int16_t>(in.Small(0, 255) * 7 - 900));
    turned.RunProcessor(rotate, nullptr);

    CRasterImage blurred = picture;
    CBoxBlurProcessor blur(in.Small(-3, 30), (in.Byte() & 1) != 0);
    blurred.RunProcessor(blur, nullptr);

    ShadowParams params;
    params.blur = in.Small(-3, 20);
    params.colour = in.Int32();
    params.opacity = in.Small(-20, 120);
    params.offsetX = in.Small(-30, 30);
    params.offsetY = in.Small(-30, 30);
    CShadowProcessor shadow(params);
    layer.RunProcessor(shadow, nullptr);
    return 0;
}
