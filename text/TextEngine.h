#pragma once
// Measuring and drawing text: a family name, size and style become a layout
// of positioned glyph coverage, with the box it occupies. Points become pixels
// at 96 dpi. Lines break only at line feeds and are left-aligned at the
// font's line spacing; each line is ordered by the Unicode bidirectional
// algorithm (its direction from its first strong character), each run shaped
// in its own direction with the font's kerning and joining, and characters the
// face lacks come from a fallback face.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stampora {

constexpr float kTextDotsPerInch = 96.0f;

struct TextStyle {
    std::string family;  // UTF-8
    int32_t pointSize = 0;
    bool bold = false;
    bool italic = false;
    bool antialias = true;  // grey coverage; otherwise one bit (0 or 255)
    // The em size in pixels, fractions included; when above 0 it is used
    // instead of pointSize (a size that follows the picture's size).
    float pixelSize = 0.0f;
    // Above 0: each glyph that has an outline also gets a stroke of this
    // width in pixels around it, drawn by DrawOutline (the box grows to hold
    // it). Colour glyphs drawn from bitmaps get none.
    float outlinePixels = 0.0f;
};

// A laid-out text: its measured box (the glyphs' advances and line spacing,
// widened to hold every inked pixel, with a small margin left and right) and
// its glyphs' coverage at whole-pixel places inside that box.
class CTextLayout {
public:
    float Width() const { return width; }
    float Height() const { return height; }
    bool IsEmpty() const { return width <= 0.0f || height <= 0.0f; }
    // The text would be larger than the engine draws (see LayOutText); the
    // layout is then empty.
    bool TooLarge() const { return tooLarge; }

    // Draws the text white on black: adds the glyphs' coverage (0 none,
    // 255 full) onto an 8-bit surface with the text's box at (0, 0). Pixels
    // outside the surface are skipped. Colour glyphs (emoji) are not drawn.
    void Draw(uint8_t* surface, int32_t surfaceWidth, int32_t surfaceHeight, size_t stride) const;
    // The same for the glyphs' outline strokes (see TextStyle::outlinePixels),
    // which lie under the fill.
    void DrawOutline(uint8_t* surface, int32_t surfaceWidth, int32_t surfaceHeight, size_t stride) const;

    // Whether some glyphs are colour pictures, which DrawColour draws.
    bool HasColour() const;
    // Draws the colour glyphs over a surface of blue, green, red and alpha
    // bytes (colour not premultiplied by alpha), given by its rows, with the
    // text's box at (0, 0).
    void DrawColour(uint8_t* const* rows, int32_t surfaceWidth, int32_t surfaceHeight) const;

    // The characters no installed font has, each once, in the order met.
    const std::u32string& Missing() const { return missing; }

private:
    friend class CTextLayoutBuilder;

    struct PlacedGlyph {
        int32_t left;  // top-left of the coverage in the box, pixels
        int32_t top;
        int32_t width;
        int32_t height;
        size_t offset;  // start of the coverage rows in `coverage`
        bool colour;    // four bytes a pixel (premultiplied BGRA), not one
        bool outline;   // the stroke around a glyph, not its fill
    };

    void DrawCoverage(uint8_t* surface, int32_t surfaceWidth, int32_t surfaceHeight, size_t stride,
                      bool outlines) const;

    float width = 0.0f;
    float height = 0.0f;
    bool tooLarge = false;
    std::u32string missing;
    std::vector<PlacedGlyph> glyphs;
    std::vector<uint8_t> coverage;
};

// Lays out UTF-8 text. An unknown family, a size below 1 point (or 1 pixel)
// or above the engine's limit, or an empty text give an empty layout (a 0 x 0
// box). So does a text whose box would hold more than 2^28 pixels (or its
// glyphs more than 2^28 bytes of coverage), which is marked TooLarge; it is
// found out from the glyphs' advances before any is drawn.
CTextLayout LayOutText(const TextStyle& style, std::string_view text);

// The box a text's advances and line spacing take, found by shaping it as
// LayOutText does but drawing no glyph. LayOutText's box is never smaller:
// only ink reaching past the advances widens it. 0 x 0 where LayOutText's
// layout is empty, with tooLarge where it is marked TooLarge from the
// advances.
struct TextExtent {
    float width = 0.0f;
    float height = 0.0f;
    bool tooLarge = false;
};
TextExtent MeasureText(const TextStyle& style, std::string_view text);

// The largest size in points the engine draws.
constexpr int32_t kMaxTextPointSize = 3000;
// The same limit as an em size in pixels.
constexpr float kMaxTextPixelSize = kMaxTextPointSize * kTextDotsPerInch / 72.0f;

}  // namespace stampora
