#include "platform/TextEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <optional>

#include "platform/FaceCache.h"
#include "platform/FontCatalog.h"
#include "platform/Utf8Text.h"

namespace stampora {

namespace {

// A layout larger than this many pixels, or holding more glyph coverage than
// this many bytes, is not drawn: such a text could never be a watermark and
// would only exhaust memory.
constexpr int64_t kMaxLayoutPixels = int64_t{1} << 28;
constexpr size_t kMaxCoverageBytes = size_t{1} << 28;

std::mutex engineMutex;

CFaceCache& Faces() {
    static CFaceCache cache;
    return cache;
}

// 26.6 fixed point (1/64 pixel) helpers.
int64_t FloorPixel(int64_t value26) {
    return value26 >= 0 ? value26 / 64 : -((-value26 + 63) / 64);
}

// Control characters other than the line feed take no room and draw nothing.
bool IsInvisibleControl(char32_t c) {
    return (c < 0x20 && c != U'\n') || (c >= 0x7F && c < 0xA0);
}

// Marks and format characters belong to the character before them and are
// drawn with its face whenever that face has them.
bool AttachesToPrevious(char32_t c) {
    switch (hb_unicode_general_category(hb_unicode_funcs_get_default(), c)) {
        case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_FORMAT:
            return true;
        default:
            return false;
    }
}

// A face in use for one layout, with its synthetic styling.
struct UsedFace {
    const CachedFace* cached;
    bool syntheticBold;
    bool syntheticOblique;
};

struct Run {
    size_t face;
    std::u32string text;
};

}  // namespace

class CTextLayoutBuilder {
public:
    explicit CTextLayoutBuilder(const TextStyle& style) : style(style) {}

    CTextLayout Build(std::string_view utf8) {
        const std::u32string text = CodePointsFromUtf8(utf8);
        if (text.empty() || !SizeInRange()) return {};
        const std::optional<FaceLocation> primary = FindFace(style.family, style.bold, style.italic);
        if (!primary || !AddFace(*primary)) return {};
        FT_Face face = faces[0].cached->face;
        ascender26 = face->size->metrics.ascender;
        lineHeight26 = face->size->metrics.height;
        const int64_t em26 = Points26() * 96 / 72;
        margin26 = em26 / 12;

        size_t lineStart = 0;
        int64_t lineIndex = 0;
        while (true) {
            const size_t lineEnd = std::min(text.find(U'\n', lineStart), text.size());
            if (!LayOutLine(std::u32string_view(text).substr(lineStart, lineEnd - lineStart), lineIndex))
                return {};
            if (lineEnd == text.size()) break;
            lineStart = lineEnd + 1;
            ++lineIndex;
        }
        return Finish(lineIndex + 1);
    }

private:
    bool SizeInRange() const {
        if (style.pixelSize > 0.0f) return style.pixelSize >= 1.0f && style.pixelSize <= kMaxTextPixelSize;
        return style.pointSize >= 1 && style.pointSize <= kMaxTextPointSize;
    }

    // The em size in 1/64 points. A pixel size is turned into points at the
    // engine's resolution and kept to the 64th, so sizes between whole points
    // are drawn as asked.
    int64_t Points26() const {
        if (style.pixelSize > 0.0f)
            return std::llround(double{style.pixelSize} * 64.0 * 72.0 / kTextDotsPerInch);
        return int64_t{style.pointSize} * 64;
    }

    bool AddFace(const FaceLocation& location) {
        const CachedFace* cached = Faces().Get(location.file, location.index);
        if (!cached) return false;
        faces.push_back({cached, location.syntheticBold, location.syntheticOblique});
        return SetSize(faces.back());
    }

    bool SetSize(const UsedFace& used) {
        if (FT_Set_Char_Size(used.cached->face, 0, static_cast<FT_F26Dot6>(Points26()),
                             static_cast<FT_UInt>(kTextDotsPerInch),
                             static_cast<FT_UInt>(kTextDotsPerInch)) != 0)
            return false;
        hb_ft_font_set_load_flags(used.cached->font, LoadFlags());
        hb_ft_font_changed(used.cached->font);
        return true;
    }

    // Grey coverage is drawn from the exact outlines (no grid fitting); one-bit
    // coverage from hinted outlines, which keep thin strokes visible.
    FT_Int32 LoadFlags() const {
        return FT_LOAD_NO_BITMAP | (style.antialias ? FT_LOAD_NO_HINTING : FT_LOAD_TARGET_MONO);
    }

    bool HasGlyph(size_t face, char32_t c) const {
        return FT_Get_Char_Index(faces[face].cached->face, c) != 0;
    }

    // The face that draws a character: the chosen one when it has it, else a
    // fallback face already in use, else a new one from fontconfig; the chosen
    // face (its missing-glyph box) when no installed font has it.
    size_t FaceFor(char32_t c, std::optional<size_t> previous) {
        if (previous && AttachesToPrevious(c) && HasGlyph(*previous, c)) return *previous;
        if (HasGlyph(0, c)) return 0;
        for (size_t i = 1; i < faces.size(); ++i) {
            if (HasGlyph(i, c)) return i;
        }
        const std::optional<FaceLocation> fallback = FindFallbackFace(c, style.bold, style.italic);
        if (fallback && AddFace(*fallback)) {
            if (HasGlyph(faces.size() - 1, c)) return faces.size() - 1;
        }
        return previous.value_or(0);
    }

    bool LayOutLine(std::u32string_view line, int64_t lineIndex) {
        std::vector<Run> runs;
        for (char32_t c : line) {
            if (IsInvisibleControl(c)) continue;
            const std::optional<size_t> previous =
                runs.empty() ? std::nullopt : std::optional(runs.back().face);
            const size_t face = FaceFor(c, previous);
            if (runs.empty() || runs.back().face != face) runs.push_back({face, {}});
            runs.back().text += c;
        }
        int64_t pen26 = margin26;
        const int64_t baseline26 = lineIndex * lineHeight26 + ascender26;
        for (const Run& run : runs) {
            if (!ShapeRun(run, baseline26, pen26)) return false;
        }
        lineRight26 = std::max(lineRight26, pen26);
        return true;
    }

    bool ShapeRun(const Run& run, int64_t baseline26, int64_t& pen26) {
        const UsedFace& used = faces[run.face];
        hb_buffer_t* buffer = hb_buffer_create();
        std::vector<uint32_t> codepoints(run.text.begin(), run.text.end());
        hb_buffer_add_codepoints(buffer, codepoints.data(), static_cast<int>(codepoints.size()), 0,
                                 static_cast<int>(codepoints.size()));
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(used.cached->font, buffer, nullptr, 0);
        unsigned int count = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
        const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
        bool fine = true;
        for (unsigned int i = 0; i < count && fine; ++i) {
            int64_t extraAdvance26 = 0;
            fine = PlaceGlyph(used, infos[i].codepoint, pen26 + positions[i].x_offset,
                              baseline26 - positions[i].y_offset, extraAdvance26);
            pen26 += positions[i].x_advance;
            if (positions[i].x_advance != 0) pen26 += extraAdvance26;
        }
        hb_buffer_destroy(buffer);
        return fine;
    }

    // Renders one glyph with its origin at (x26, y26) in the box (y down) and
    // keeps its coverage. Answers false only when the layout grows too large.
    bool PlaceGlyph(const UsedFace& used, hb_codepoint_t glyph, int64_t x26, int64_t y26,
                    int64_t& extraAdvance26) {
        FT_Face face = used.cached->face;
        if (FT_Load_Glyph(face, glyph, LoadFlags()) != 0) return true;
        FT_GlyphSlot slot = face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
        if (used.syntheticOblique) FT_GlyphSlot_Oblique(slot);
        if (used.syntheticBold) {
            const FT_Pos before = slot->advance.x;
            FT_GlyphSlot_Embolden(slot);
            extraAdvance26 = slot->advance.x - before;
        }
        if (!style.antialias) {
            // Hinted one-bit glyphs sit on whole pixels.
            x26 = (x26 + 32) & ~int64_t{63};
            y26 = (y26 + 32) & ~int64_t{63};
        }
        const int64_t pixelX = FloorPixel(x26);
        const int64_t pixelY = FloorPixel(y26);
        // The fraction of a pixel moves the outline itself, so grey glyphs keep
        // their exact spacing; outline y grows upwards.
        FT_Outline_Translate(&slot->outline, static_cast<FT_Pos>(x26 - pixelX * 64),
                             -static_cast<FT_Pos>(y26 - pixelY * 64));
        if (FT_Render_Glyph(slot, style.antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0)
            return true;
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.width == 0 || bitmap.rows == 0) return true;
        const size_t bytes = size_t{bitmap.width} * bitmap.rows;
        if (layout.coverage.size() + bytes > kMaxCoverageBytes) return false;

        CTextLayout::PlacedGlyph placed{};
        placed.left = static_cast<int32_t>(pixelX + slot->bitmap_left);
        placed.top = static_cast<int32_t>(pixelY - slot->bitmap_top);
        placed.width = static_cast<int32_t>(bitmap.width);
        placed.height = static_cast<int32_t>(bitmap.rows);
        placed.offset = layout.coverage.size();
        layout.coverage.resize(layout.coverage.size() + bytes);
        CopyCoverage(bitmap, layout.coverage.data() + placed.offset);
        layout.glyphs.push_back(placed);
        return true;
    }

    // Glyph coverage as one byte a pixel, 0 to 255, top row first.
    static void CopyCoverage(const FT_Bitmap& bitmap, uint8_t* out) {
        const int pitch = bitmap.pitch;
        for (unsigned int row = 0; row < bitmap.rows; ++row) {
            // A negative pitch means the rows are stored bottom first.
            const unsigned int stored = pitch >= 0 ? row : bitmap.rows - 1 - row;
            const uint8_t* in =
                bitmap.buffer + static_cast<size_t>(stored) * static_cast<size_t>(std::abs(pitch));
            uint8_t* line = out + static_cast<size_t>(row) * bitmap.width;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                for (unsigned int x = 0; x < bitmap.width; ++x)
                    line[x] = ((in[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
            } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.num_grays == 256) {
                std::copy(in, in + bitmap.width, line);
            } else {
                std::fill(line, line + bitmap.width, uint8_t{0});
            }
        }
    }

    CTextLayout Finish(int64_t lineCount) {
        int64_t width26 = lineRight26 + margin26;
        int64_t height26 = lineCount * lineHeight26;
        // Ink that reaches past the advances (a slanted or swashed glyph, an
        // accent above the ascender) widens the box, so every inked pixel
        // lies inside it.
        int64_t minX = 0, minY = 0, maxX = 0, maxY = 0;
        for (const auto& glyph : layout.glyphs) {
            minX = std::min<int64_t>(minX, glyph.left);
            minY = std::min<int64_t>(minY, glyph.top);
            maxX = std::max<int64_t>(maxX, int64_t{glyph.left} + glyph.width);
            maxY = std::max<int64_t>(maxY, int64_t{glyph.top} + glyph.height);
        }
        const int64_t shiftX = -minX;
        const int64_t shiftY = -minY;
        for (auto& glyph : layout.glyphs) {
            glyph.left = static_cast<int32_t>(glyph.left + shiftX);
            glyph.top = static_cast<int32_t>(glyph.top + shiftY);
        }
        width26 = std::max(width26 + shiftX * 64, (maxX + shiftX) * 64);
        height26 = std::max(height26 + shiftY * 64, (maxY + shiftY) * 64);
        const int64_t pixelsWide = width26 / 64 + 2;
        const int64_t pixelsHigh = height26 / 64 + 2;
        if (pixelsWide > std::numeric_limits<int32_t>::max() / 2 ||
            pixelsHigh > std::numeric_limits<int32_t>::max() / 2 ||
            pixelsWide * pixelsHigh > kMaxLayoutPixels)
            return {};
        layout.width = static_cast<float>(static_cast<double>(width26) / 64.0);
        layout.height = static_cast<float>(static_cast<double>(height26) / 64.0);
        return std::move(layout);
    }

    const TextStyle& style;
    std::vector<UsedFace> faces;  // the chosen face first, then fallbacks
    CTextLayout layout;
    int64_t ascender26 = 0;
    int64_t lineHeight26 = 0;
    int64_t margin26 = 0;
    int64_t lineRight26 = 0;
};

CTextLayout LayOutText(const TextStyle& style, std::string_view text) {
    std::lock_guard<std::mutex> lock(engineMutex);
    return CTextLayoutBuilder(style).Build(text);
}

void CTextLayout::Draw(uint8_t* surface, int32_t surfaceWidth, int32_t surfaceHeight, size_t stride) const {
    if (!surface || surfaceWidth <= 0 || surfaceHeight <= 0) return;
    for (const PlacedGlyph& glyph : glyphs) {
        const int32_t x0 = std::max(0, glyph.left);
        const int32_t y0 = std::max(0, glyph.top);
        const int32_t x1 =
            static_cast<int32_t>(std::min<int64_t>(surfaceWidth, int64_t{glyph.left} + glyph.width));
        const int32_t y1 =
            static_cast<int32_t>(std::min<int64_t>(surfaceHeight, int64_t{glyph.top} + glyph.height));
        for (int32_t y = y0; y < y1; ++y) {
            const uint8_t* in = coverage.data() + glyph.offset +
                                static_cast<size_t>(y - glyph.top) * static_cast<size_t>(glyph.width);
            uint8_t* out = surface + static_cast<size_t>(y) * stride;
            for (int32_t x = x0; x < x1; ++x) {
                // White drawn over what is there: overlapping glyphs add up
                // towards full coverage without overflowing.
                const uint32_t c = in[x - glyph.left];
                const uint32_t old = out[x];
                out[x] = static_cast<uint8_t>(old + (c * (255 - old) + 127) / 255);
            }
        }
    }
}

}  // namespace stampora
