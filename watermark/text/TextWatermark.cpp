#include "watermark/text/TextWatermark.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "image/transform/RotateProcessor.h"
#include "image/transform/ShadowProcessor.h"
#include "platform/Utf8Text.h"
#include "watermark/text/RenderText.h"

namespace stampora {

namespace {

// The face name as the platform's font description holds it: up to its
// terminator and at most one character less than its capacity.
std::u16string_view StoredFaceName(const std::u16string& faceName) {
    std::u16string_view name(faceName);
    name = name.substr(0, name.find(u'\0'));
    return name.substr(0, kFaceNameCapacity - 1);
}

bool IsAppliedRotation(int32_t degrees) {
    return degrees >= 1 && degrees <= 360;
}

}  // namespace

void WarnMissingCharacters(const std::u32string& missing, Status& status) {
    static std::mutex telling;
    static std::set<char32_t> told;
    for (const char32_t c : missing) {
        {
            std::lock_guard<std::mutex> lock(telling);
            if (!told.insert(c).second) continue;
        }
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        status.Warn(Domain::Mark, std::string("no font has ") + code);
    }
}

void TextWatermark::UpdateParams() {
    if (font.height < 1) return;
    params.size = font.height;
    params.bold = font.weight == kFontWeightBold;
    params.italic = font.italic;
    params.colour = OpaqueArgb(colour);
    params.fontFace = Utf8FromUtf16(StoredFaceName(font.faceName));
    params.text = Utf8FromUtf16(text);
    params.shadow = shadowEnabled;
    shadow.blur = smooth;
    shadow.colour = static_cast<int32_t>(OpaqueArgb(shadowColour));
    shadow.opacity = shadowOpacity;
    shadow.offsetX = shadowDistance;
    shadow.offsetY = shadowDistance;
    params.outline = outlineEnabled ? outlineWidth : RelativeLength{};
    params.outlineColour = OpaqueArgb(outlineColour);
}

void TextWatermark::UseTone(bool lightText) {
    constexpr RgbColour kWhite{255, 255, 255};
    constexpr RgbColour kBlack{0, 0, 0};
    colour = lightText ? kWhite : kBlack;
    outlineColour = shadowColour = lightText ? kBlack : kWhite;
    params.colour = OpaqueArgb(colour);
    params.outlineColour = OpaqueArgb(outlineColour);
    shadow.colour = static_cast<int32_t>(OpaqueArgb(shadowColour));
    params.shadowParams.colour = shadow.colour;
}

WatermarkBase TextWatermark::SmallestBase() const {
    WatermarkBase smallest = base;
    smallest.overhang = LayerOverhang{};
    bool tooLarge = false;
    SmallestTextLayer(params, smallest.markWidth, smallest.markHeight, tooLarge);
    if (tooLarge) {
        smallest.markWidth = smallest.markHeight = kTextTooLargeSide;
    } else if (IsAppliedRotation(base.rotation) && smallest.markWidth > 1 && smallest.markHeight > 1) {
        const auto [width, height] =
            CRotateProcessor::TurnedSize(base.rotation, smallest.markWidth, smallest.markHeight);
        smallest.markWidth = static_cast<int32_t>(std::min<double>(width, INT32_MAX));
        smallest.markHeight = static_cast<int32_t>(std::min<double>(height, INT32_MAX));
    }
    smallest.width = smallest.markWidth;
    smallest.height = smallest.markHeight;
    return smallest;
}

bool TextWatermark::RebuildLayer() {
    bool tooLarge = false;
    bool complete = RenderText(layer, params, &tooLarge, &missingCharacters);
    if (IsAppliedRotation(base.rotation) && layer.Width() > 1 && layer.Height() > 1) {
        CRotateProcessor rotate(base.rotation);
        complete = layer.RunProcessor(rotate, nullptr) && complete;
    }
    base.width = base.markWidth = layer.Width();
    base.height = base.markHeight = layer.Height();
    base.overhang = LayerOverhang{};
    if (tooLarge) {
        base.width = base.markWidth = base.height = base.markHeight = kTextTooLargeSide;
        return complete && !layer.IsEmpty();
    }
    if (shadowEnabled && !layer.IsEmpty()) {
        const int32_t beforeX = layer.offsetX;
        const int32_t beforeY = layer.offsetY;
        CShadowProcessor dropShadow(shadow);
        complete = layer.RunProcessor(dropShadow, nullptr) && complete;
        // The shadow moves the layer's position by its growth to the left and
        // top; the text offset takes the same growth so the text's anchor
        // (position plus offset) stays put from one rebuild to the next.
        layer.textOffsetX += beforeX - layer.offsetX;
        layer.textOffsetY += beforeY - layer.offsetY;
        // The mark keeps its size; the shadow is the layer's overhang.
        base.overhang.left = beforeX - layer.offsetX;
        base.overhang.top = beforeY - layer.offsetY;
        base.overhang.right = layer.Width() - base.markWidth - base.overhang.left;
        base.overhang.bottom = layer.Height() - base.markHeight - base.overhang.top;
    }
    return complete && !layer.IsEmpty();
}

}  // namespace stampora
