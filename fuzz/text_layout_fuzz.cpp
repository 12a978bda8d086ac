// Arbitrary bytes as watermark text: the UTF-8 conversions must stay exact
// inverses, and laying out and rendering any text (mixed directions, marks,
// colour glyphs, characters no font has, outlined or not) must stay inside
// its buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Utf8Text.h"
#include "watermark/text/RenderText.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t flags = data[0];
    const int32_t points = 1 + data[1] % 64;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    // Any sequence of UTF-16 code units survives the trip through UTF-8.
    std::u16string wide;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        wide += static_cast<char16_t>(static_cast<uint8_t>(text[i]) | static_cast<uint8_t>(text[i + 1]) << 8);
    if (Utf16FromUtf8(Utf8FromUtf16(wide)) != wide) std::abort();

    TextWatermarkParams params;
    params.text = text;
    params.fontFace = (flags & 8) ? "Droid Sans Fallback" : "DejaVu Sans";
    params.size = points;
    params.bold = flags & 1;
    params.italic = flags & 2;
    params.antialias = flags & 4;
    params.shadow = flags & 16;
    // The upper bits outline the glyphs, in pixels or as a share of the size.
    if (flags >> 5)
        params.outline = RelativeLength{static_cast<double>(flags >> 5) * 2.0, (flags & 128) != 0};
    CTextLayer layer;
    bool tooLarge = false;
    std::u32string missing;
    RenderText(layer, params, &tooLarge, &missing);
    if (layer.IsEmpty() || layer.Bpp() != 32) std::abort();
    // Inputs this short at these sizes always fit the engine's limit.
    if (tooLarge && text.size() < 65536) std::abort();
    // Each missing character is listed once.
    for (size_t i = 0; i < missing.size(); ++i)
        if (missing.find(missing[i], i + 1) != std::u32string::npos) std::abort();
    return 0;
}
