#include "text/TextEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_OUTLINE_H
#include FT_STROKER_H
#include FT_SYNTHESIS_H
#include <fribidi.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <optional>
#include <type_traits>

#include "platform/Utf8Text.h"
#include "text/FaceCache.h"
#include "text/FontCatalog.h"

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
    int64_t boldAdvance26;  // what emboldening adds to each advancing glyph
    // A face of colour bitmaps (emoji) has them at fixed sizes: its glyphs
    // are measured at the nearest and scaled to the text's size by this.
    double bitmapScale;
    bool Bitmapped() const { return !FT_IS_SCALABLE(cached->face); }
};

// Whether a character is shown as an emoji picture by default, or is asked
// to be by the variation selector that follows it; a colour face is then
// preferred to a plain one, as desktops do.
bool WantsColour(char32_t c, char32_t next) {
    return (c >= 0x1F000 && c <= 0x1FAFF) || next == 0xFE0F;
}

// A stretch of one line drawn with one face in one direction: characters
// [start, start + length) of the line, and its embedding level (odd is
// right to left).
struct Run {
    size_t face;
    size_t start;
    size_t length;
    FriBidiLevel level;
    std::vector<size_t> glyphs;  // indices into the shaped glyphs, left to right
    int64_t width26 = 0;
};

// A shaped glyph; its place is relative to its run until the line is laid
// out, then to the box's origin (the baseline of its line, y down).
struct ShapedGlyph {
    size_t face;
    hb_codepoint_t glyph;
    int64_t x26;
    int64_t y26;
};

// Runs longer than this are shaped in pieces (each with its neighbours as
// context), so a text far too large for a mark is refused after shaping a
// little of it rather than all of it.
constexpr size_t kLongestShapedPiece = 1024;

// The embedding level of each character of a line by the Unicode
// bidirectional algorithm, the paragraph's direction taken from its first
// strong character. Empty when every character is left to right (the common
// case, found without the algorithm's tables) or the algorithm cannot run.
std::vector<FriBidiLevel> BidiLevels(const std::vector<uint32_t>& line) {
    static_assert(std::is_same_v<FriBidiChar, uint32_t>);
    const bool anyRightToLeft = std::any_of(line.begin(), line.end(), [](uint32_t c) {
        const FriBidiCharType type = fribidi_get_bidi_type(c);
        return FRIBIDI_IS_RTL(type) || FRIBIDI_IS_EXPLICIT(type) || FRIBIDI_IS_ISOLATE(type);
    });
    if (!anyRightToLeft || line.size() > static_cast<size_t>(std::numeric_limits<FriBidiStrIndex>::max()))
        return {};
    const auto length = static_cast<FriBidiStrIndex>(line.size());
    std::vector<FriBidiCharType> types(line.size());
    std::vector<FriBidiBracketType> brackets(line.size());
    std::vector<FriBidiLevel> levels(line.size(), 0);
    fribidi_get_bidi_types(line.data(), length, types.data());
    fribidi_get_bracket_types(line.data(), length, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_ON;
    if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), length, &direction,
                                            levels.data()) == 0)
        return {};
    return levels;
}

// Puts the runs of a line in visual order: from the highest level down to
// the lowest odd one, every sequence of runs at that level or above is
// reversed.
void OrderVisually(std::vector<Run>& runs) {
    if (runs.empty()) return;
    FriBidiLevel highest = 0;
    FriBidiLevel lowestOdd = std::numeric_limits<FriBidiLevel>::max();
    for (const Run& run : runs) {
        highest = std::max(highest, run.level);
        if (run.level % 2 == 1) lowestOdd = std::min(lowestOdd, run.level);
    }
    for (int level = highest; level >= lowestOdd && level > 0; --level) {
        for (size_t i = 0; i < runs.size();) {
            if (runs[i].level < level) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < runs.size() && runs[end].level >= level) ++end;
            std::reverse(runs.begin() + static_cast<std::ptrdiff_t>(i),
                         runs.begin() + static_cast<std::ptrdiff_t>(end));
            i = end;
        }
    }
}

// The part of a glyph's box at (left, top) that lies on a surface of
// surfaceWidth x surfaceHeight: columns [x0, x1), rows [y0, y1).
struct SurfaceClip {
    int32_t x0, y0, x1, y1;
};

SurfaceClip ClipToSurface(int32_t left, int32_t top, int32_t width, int32_t height, int32_t surfaceWidth,
                          int32_t surfaceHeight) {
    return {std::max(0, left), std::max(0, top),
            static_cast<int32_t>(std::min<int64_t>(surfaceWidth, int64_t{left} + width)),
            static_cast<int32_t>(std::min<int64_t>(surfaceHeight, int64_t{top} + height))};
}

}  // namespace

class CTextLayoutBuilder {
public:
    explicit CTextLayoutBuilder(const TextStyle& style) : style(style) {}
    ~CTextLayoutBuilder() {
        if (stroker) FT_Stroker_Done(stroker);
    }
    CTextLayoutBuilder(const CTextLayoutBuilder&) = delete;
    CTextLayoutBuilder& operator=(const CTextLayoutBuilder&) = delete;

    CTextLayout Build(std::string_view utf8) {
        const Shaping shaping = ShapeLines(utf8);
        if (shaping != Shaping::Done) {
            CTextLayout refused;
            refused.tooLarge = shaping == Shaping::TooLarge;
            return refused;
        }
        for (const ShapedGlyph& glyph : shaped) {
            if (!PlaceGlyph(glyph)) {
                CTextLayout refused;
                refused.tooLarge = true;
                return refused;
            }
        }
        return Finish();
    }

    TextExtent Measure(std::string_view utf8) {
        const Shaping shaping = ShapeLines(utf8);
        TextExtent extent;
        extent.tooLarge = shaping == Shaping::TooLarge;
        if (shaping != Shaping::Done) return extent;
        extent.width = static_cast<float>(static_cast<double>(lineRight26 + margin26) / 64.0);
        extent.height = static_cast<float>(static_cast<double>(lineCount * lineHeight26) / 64.0);
        return extent;
    }

private:
    enum class Shaping { Done, Nothing, TooLarge };

    // Every line is shaped and measured before any glyph is drawn, so a text
    // too large to draw costs no more than finding that out. Nothing to lay
    // out for an empty text, a size out of range or a family not found.
    Shaping ShapeLines(std::string_view utf8) {
        const std::u32string text = CodePointsFromUtf8(utf8);
        if (text.empty() || !SizeInRange()) return Shaping::Nothing;
        const std::optional<FaceLocation> primary = FindFace(style.family, style.bold, style.italic);
        if (!primary || !AddFace(*primary)) return Shaping::Nothing;
        // A chosen face of colour bitmaps has its metrics at its own size.
        FT_Face face = faces[0].cached->face;
        const double scale = faces[0].Bitmapped() ? faces[0].bitmapScale : 1.0;
        ascender26 = std::llround(static_cast<double>(face->size->metrics.ascender) * scale);
        lineHeight26 = std::llround(static_cast<double>(face->size->metrics.height) * scale);
        const int64_t em26 = Points26() * 96 / 72;
        margin26 = em26 / 12;

        size_t lineStart = 0;
        int64_t lineIndex = 0;
        while (true) {
            const size_t lineEnd = std::min(text.find(U'\n', lineStart), text.size());
            if (!LayOutLine(std::u32string_view(text).substr(lineStart, lineEnd - lineStart), lineIndex))
                return Shaping::TooLarge;
            if (lineEnd == text.size()) break;
            lineStart = lineEnd + 1;
            ++lineIndex;
        }
        lineCount = lineIndex + 1;
        return Shaping::Done;
    }

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
        const bool bitmapped = !FT_IS_SCALABLE(cached->face);
        // Colour bitmaps are never slanted or emboldened.
        faces.push_back(
            {cached, location.syntheticBold && !bitmapped, location.syntheticOblique && !bitmapped, 0, 1.0});
        return SetSize(faces.back());
    }

    bool SetSize(UsedFace& used) {
        FT_Face face = used.cached->face;
        if (used.Bitmapped()) {
            if (!SelectStrike(used)) return false;
        } else if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(Points26()),
                                    static_cast<FT_UInt>(kTextDotsPerInch),
                                    static_cast<FT_UInt>(kTextDotsPerInch)) != 0) {
            return false;
        }
        hb_ft_font_set_load_flags(used.cached->font, LoadFlags(used));
        hb_ft_font_changed(used.cached->font);
        // The strength FreeType's emboldening uses, which it adds to the
        // advance of every glyph that has one.
        if (used.syntheticBold)
            used.boldAdvance26 = FT_MulFix(face->units_per_EM, face->size->metrics.y_scale) / 24;
        return true;
    }

    // The smallest of a bitmap face's sizes that is at least the text's (or
    // its largest), and the scale from it to the text's size.
    bool SelectStrike(UsedFace& used) {
        FT_Face face = used.cached->face;
        const int64_t wanted26 = Points26() * 96 / 72;
        int best = -1;
        for (int i = 0; i < face->num_fixed_sizes; ++i) {
            const FT_Pos ppem = face->available_sizes[i].y_ppem;
            if (ppem <= 0) continue;
            const FT_Pos bestPpem = best < 0 ? 0 : face->available_sizes[best].y_ppem;
            const bool better =
                best < 0 || (bestPpem < wanted26 ? ppem > bestPpem : ppem >= wanted26 && ppem < bestPpem);
            if (better) best = i;
        }
        if (best < 0 || FT_Select_Size(face, best) != 0) return false;
        used.bitmapScale =
            static_cast<double>(wanted26) / static_cast<double>(face->available_sizes[best].y_ppem);
        return true;
    }

    // Grey coverage is drawn from the exact outlines (no grid fitting); one-bit
    // coverage from hinted outlines, which keep thin strokes visible. Colour
    // faces give their colour layers or bitmaps.
    FT_Int32 LoadFlags(const UsedFace& used) const {
        if (used.Bitmapped()) return FT_LOAD_COLOR;
        const FT_Int32 colour = FT_HAS_COLOR(used.cached->face) ? FT_LOAD_COLOR : 0;
        return colour | FT_LOAD_NO_BITMAP | (style.antialias ? FT_LOAD_NO_HINTING : FT_LOAD_TARGET_MONO);
    }

    bool HasGlyph(size_t face, char32_t c) const {
        return FT_Get_Char_Index(faces[face].cached->face, c) != 0;
    }

    // The face that draws a character: the chosen one when it has it, else a
    // fallback face already in use, else a new one from fontconfig; a colour
    // face first for an emoji. The chosen face (its missing-glyph box) when no
    // installed font has it, which the layout then lists.
    size_t FaceFor(char32_t c, char32_t next, std::optional<size_t> previous) {
        if (previous && AttachesToPrevious(c) && HasGlyph(*previous, c)) return *previous;
        if (WantsColour(c, next)) {
            if (const std::optional<size_t> colour = ColourFaceFor(c)) return *colour;
        }
        if (HasGlyph(0, c)) return 0;
        for (size_t i = 1; i < faces.size(); ++i) {
            if (HasGlyph(i, c)) return i;
        }
        const std::optional<FaceLocation> fallback = FindFallbackFace(c, style.bold, style.italic);
        if (fallback && AddFace(*fallback)) {
            if (HasGlyph(faces.size() - 1, c)) return faces.size() - 1;
        }
        if (!AttachesToPrevious(c) &&
            std::find(layout.missing.begin(), layout.missing.end(), c) == layout.missing.end())
            layout.missing.push_back(c);
        return previous.value_or(0);
    }

    std::optional<size_t> ColourFaceFor(char32_t c) {
        for (size_t i = 0; i < faces.size(); ++i) {
            if (FT_HAS_COLOR(faces[i].cached->face) && HasGlyph(i, c)) return i;
        }
        const std::optional<FaceLocation> colour = FindFallbackFace(c, style.bold, style.italic, true);
        if (colour && AddFace(*colour) && HasGlyph(faces.size() - 1, c)) return faces.size() - 1;
        return std::nullopt;
    }

    // The run that starts at character `start` of the line: characters of
    // one face and one embedding level, at most a piece long unless marks
    // follow.
    Run NextRun(const std::vector<uint32_t>& line, const std::vector<FriBidiLevel>& levels, size_t start,
                std::optional<size_t> previous) {
        const auto levelAt = [&levels](size_t i) { return levels.empty() ? FriBidiLevel{0} : levels[i]; };
        const auto nextAfter = [&line](size_t i) { return i + 1 < line.size() ? line[i + 1] : U'\0'; };
        Run run{FaceFor(line[start], nextAfter(start), previous), start, 1, levelAt(start), {}, 0};
        for (size_t i = start + 1; i < line.size(); ++i) {
            if (levelAt(i) != run.level || FaceFor(line[i], nextAfter(i), run.face) != run.face) break;
            if (run.length >= kLongestShapedPiece && !AttachesToPrevious(line[i])) break;
            ++run.length;
        }
        return run;
    }

    // Shapes the line's runs in reading order, then places them left to right
    // on the line. False when the text grows larger than the engine draws,
    // found out run by run.
    bool LayOutLine(std::u32string_view text, int64_t lineIndex) {
        if (ExceedsLimit(0, lineIndex)) return false;
        std::vector<uint32_t> line;
        line.reserve(text.size());
        for (char32_t c : text)
            if (!IsInvisibleControl(c)) line.push_back(c);
        const std::vector<FriBidiLevel> levels = BidiLevels(line);
        std::vector<Run> runs;
        int64_t lineWidth26 = 0;
        for (size_t start = 0; start < line.size(); start += runs.back().length) {
            runs.push_back(
                NextRun(line, levels, start, runs.empty() ? std::nullopt : std::optional(runs.back().face)));
            ShapeRun(line, runs.back());
            lineWidth26 += runs.back().width26;
            if (ExceedsLimit(lineWidth26, lineIndex)) return false;
        }
        OrderVisually(runs);
        int64_t pen26 = margin26;
        const int64_t baseline26 = lineIndex * lineHeight26 + ascender26;
        for (const Run& run : runs) {
            for (size_t index : run.glyphs) {
                shaped[index].x26 += pen26;
                shaped[index].y26 += baseline26;
            }
            pen26 += run.width26;
        }
        lineRight26 = std::max(lineRight26, pen26);
        return true;
    }

    // Whether a box as wide as the widest line so far (or this one, when
    // wider) and as high as the lines so far holds more pixels than the
    // engine draws.
    bool ExceedsLimit(int64_t lineWidth26, int64_t lineIndex) const {
        const int64_t wide = (std::max(lineRight26, margin26 + lineWidth26) + margin26) / 64 + 1;
        const int64_t high = (lineIndex + 1) * lineHeight26 / 64 + 1;
        return wide > kMaxLayoutPixels || high > kMaxLayoutPixels || wide * high > kMaxLayoutPixels;
    }

    void ShapeRun(const std::vector<uint32_t>& line, Run& run) {
        const UsedFace& used = faces[run.face];
        hb_buffer_t* buffer = hb_buffer_create();
        // The whole line is the context, so letters join across a change of
        // face or a piece's end.
        hb_buffer_add_codepoints(buffer, line.data(), static_cast<int>(line.size()),
                                 static_cast<unsigned int>(run.start), static_cast<int>(run.length));
        hb_buffer_set_direction(buffer, run.level % 2 == 1 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(used.cached->font, buffer, nullptr, 0);
        unsigned int count = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
        const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
        run.glyphs.reserve(count);
        const auto scaled = [&used](hb_position_t value) {
            return used.Bitmapped() ? std::llround(value * used.bitmapScale) : int64_t{value};
        };
        for (unsigned int i = 0; i < count; ++i) {
            run.glyphs.push_back(shaped.size());
            shaped.push_back({run.face, infos[i].codepoint, run.width26 + scaled(positions[i].x_offset),
                              -scaled(positions[i].y_offset)});
            run.width26 += scaled(positions[i].x_advance);
            if (positions[i].x_advance != 0) run.width26 += used.boldAdvance26;
        }
        hb_buffer_destroy(buffer);
    }

    // Renders one glyph with its origin at its place in the box (y down) and
    // keeps its coverage. Answers false only when the coverage grows too large.
    bool PlaceGlyph(const ShapedGlyph& glyph) {
        const UsedFace& used = faces[glyph.face];
        int64_t x26 = glyph.x26;
        int64_t y26 = glyph.y26;
        FT_Face face = used.cached->face;
        if (FT_Load_Glyph(face, glyph.glyph, LoadFlags(used)) != 0) return true;
        FT_GlyphSlot slot = face->glyph;
        if (used.Bitmapped()) return PlaceColourBitmap(slot, used.bitmapScale, x26, y26);
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
        if (used.syntheticOblique) FT_GlyphSlot_Oblique(slot);
        if (used.syntheticBold) FT_GlyphSlot_Embolden(slot);
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
        if (!PlaceOutline(slot, pixelX, pixelY)) return false;
        if (FT_Render_Glyph(slot, RenderMode()) != 0) return true;
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_BGRA)
            return PlaceColourBitmap(slot, 1.0, pixelX * 64, pixelY * 64);
        return KeepCoverage(bitmap, pixelX + slot->bitmap_left, pixelY - slot->bitmap_top, false);
    }

    FT_Render_Mode RenderMode() const {
        return style.antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    }

    // Strokes the glyph's outline (already at its place, with the glyph's
    // origin at pixel (pixelX, pixelY)) with FreeType's stroker, round joins
    // and caps, and keeps the stroke's coverage. Answers false only when the
    // coverage grows too large; a glyph the stroker cannot take goes without.
    bool PlaceOutline(FT_GlyphSlot slot, int64_t pixelX, int64_t pixelY) {
        if (!(style.outlinePixels > 0.0f) || slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
        if (!stroker) {
            if (FT_Stroker_New(slot->library, &stroker) != 0) return true;
            // A stroke wider than the letters' em is never asked for by a
            // mark; the limit keeps a hostile width from costing more.
            const double radius =
                std::min(double{style.outlinePixels}, static_cast<double>(Points26()) * 96.0 / 72.0 / 64.0);
            const auto radius26 = static_cast<FT_Fixed>(std::lround(radius * 64.0));
            FT_Stroker_Set(stroker, radius26, FT_STROKER_LINECAP_ROUND, FT_STROKER_LINEJOIN_ROUND, 0);
        }
        FT_Glyph glyph = nullptr;
        if (FT_Get_Glyph(slot, &glyph) != 0) return true;
        bool kept = true;
        if (FT_Glyph_Stroke(&glyph, stroker, 1) == 0 &&
            FT_Glyph_To_Bitmap(&glyph, RenderMode(), nullptr, 1) == 0) {
            const auto* stroked = reinterpret_cast<FT_BitmapGlyph>(glyph);
            kept = KeepCoverage(stroked->bitmap, pixelX + stroked->left, pixelY - stroked->top, true);
        }
        FT_Done_Glyph(glyph);
        return kept;
    }

    // Keeps one grey or one-bit bitmap with its top-left at (left, top) in
    // the box. False when the layout's coverage would grow too large.
    bool KeepCoverage(const FT_Bitmap& bitmap, int64_t left, int64_t top, bool outline) {
        if (bitmap.width == 0 || bitmap.rows == 0) return true;
        const size_t bytes = size_t{bitmap.width} * bitmap.rows;
        if (layout.coverage.size() + bytes > kMaxCoverageBytes) return false;
        CTextLayout::PlacedGlyph placed{};
        placed.left = static_cast<int32_t>(left);
        placed.top = static_cast<int32_t>(top);
        placed.width = static_cast<int32_t>(bitmap.width);
        placed.height = static_cast<int32_t>(bitmap.rows);
        placed.offset = layout.coverage.size();
        placed.outline = outline;
        layout.coverage.resize(layout.coverage.size() + bytes);
        CopyCoverage(bitmap, layout.coverage.data() + placed.offset);
        layout.glyphs.push_back(placed);
        return true;
    }

    // Keeps a glyph's colour picture (premultiplied blue, green, red, alpha),
    // scaled by `scale`, with its origin at (x26, y26).
    bool PlaceColourBitmap(FT_GlyphSlot slot, double scale, int64_t x26, int64_t y26) {
        const FT_Bitmap& bitmap = slot->bitmap;
        if (slot->format != FT_GLYPH_FORMAT_BITMAP || bitmap.pixel_mode != FT_PIXEL_MODE_BGRA ||
            bitmap.width == 0 || bitmap.rows == 0)
            return true;
        const auto width = static_cast<int32_t>(std::max<long>(1, std::lround(bitmap.width * scale)));
        const auto height = static_cast<int32_t>(std::max<long>(1, std::lround(bitmap.rows * scale)));
        const size_t bytes = size_t{4} * static_cast<size_t>(width) * static_cast<size_t>(height);
        if (layout.coverage.size() + bytes > kMaxCoverageBytes) return false;
        CTextLayout::PlacedGlyph placed{};
        placed.left = static_cast<int32_t>(FloorPixel(x26) + std::lround(slot->bitmap_left * scale));
        placed.top = static_cast<int32_t>(FloorPixel(y26) - std::lround(slot->bitmap_top * scale));
        placed.width = width;
        placed.height = height;
        placed.offset = layout.coverage.size();
        placed.colour = true;
        layout.coverage.resize(layout.coverage.size() + bytes);
        ScaleColourBitmap(bitmap, width, height, layout.coverage.data() + placed.offset);
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

    // Resamples a premultiplied BGRA bitmap to width x height: each pixel the
    // mean of the source pixels its area covers when shrinking, the bilinear
    // blend of the nearest four when growing.
    static void ScaleColourBitmap(const FT_Bitmap& bitmap, int32_t width, int32_t height, uint8_t* out) {
        const auto sourceWidth = static_cast<int32_t>(bitmap.width);
        const auto sourceHeight = static_cast<int32_t>(bitmap.rows);
        const size_t pitch = static_cast<size_t>(std::abs(bitmap.pitch));
        const auto at = [&](int32_t x, int32_t y) {
            const int32_t row = bitmap.pitch >= 0 ? y : sourceHeight - 1 - y;
            return bitmap.buffer + static_cast<size_t>(row) * pitch + static_cast<size_t>(x) * 4;
        };
        const double stepX = static_cast<double>(sourceWidth) / width;
        const double stepY = static_cast<double>(sourceHeight) / height;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                double sum[4] = {0, 0, 0, 0};
                double weight = 0;
                const auto add = [&](int32_t sx, int32_t sy, double share) {
                    const uint8_t* pixel = at(sx, sy);
                    for (int c = 0; c < 4; ++c) sum[c] += pixel[c] * share;
                    weight += share;
                };
                if (stepX > 1.0 || stepY > 1.0) {
                    const auto x0 = std::min(static_cast<int32_t>(x * stepX), sourceWidth - 1);
                    const auto y0 = std::min(static_cast<int32_t>(y * stepY), sourceHeight - 1);
                    const int32_t x1 =
                        std::clamp(static_cast<int32_t>(std::ceil((x + 1) * stepX)), x0 + 1, sourceWidth);
                    const int32_t y1 =
                        std::clamp(static_cast<int32_t>(std::ceil((y + 1) * stepY)), y0 + 1, sourceHeight);
                    for (int32_t sy = y0; sy < y1; ++sy)
                        for (int32_t sx = x0; sx < x1; ++sx) add(sx, sy, 1.0);
                } else {
                    const double fx = std::clamp((x + 0.5) * stepX - 0.5, 0.0, sourceWidth - 1.0);
                    const double fy = std::clamp((y + 0.5) * stepY - 0.5, 0.0, sourceHeight - 1.0);
                    const auto x0 = static_cast<int32_t>(fx);
                    const auto y0 = static_cast<int32_t>(fy);
                    const int32_t x1 = std::min(x0 + 1, sourceWidth - 1);
                    const int32_t y1 = std::min(y0 + 1, sourceHeight - 1);
                    const double ax = fx - x0, ay = fy - y0;
                    add(x0, y0, (1 - ax) * (1 - ay));
                    add(x1, y0, ax * (1 - ay));
                    add(x0, y1, (1 - ax) * ay);
                    add(x1, y1, ax * ay);
                }
                uint8_t* pixel =
                    out + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
                for (int c = 0; c < 4; ++c) pixel[c] = static_cast<uint8_t>(std::lround(sum[c] / weight));
            }
        }
    }

    CTextLayout Finish() {
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
    FT_Stroker stroker = nullptr;  // made for the first glyph outlined
    std::vector<UsedFace> faces;   // the chosen face first, then fallbacks
    std::vector<ShapedGlyph> shaped;
    CTextLayout layout;
    int64_t ascender26 = 0;
    int64_t lineHeight26 = 0;
    int64_t margin26 = 0;
    int64_t lineRight26 = 0;
    int64_t lineCount = 0;
};

CTextLayout LayOutText(const TextStyle& style, std::string_view text) {
    std::lock_guard<std::mutex> lock(engineMutex);
    return CTextLayoutBuilder(style).Build(text);
}

TextExtent MeasureText(const TextStyle& style, std::string_view text) {
    std::lock_guard<std::mutex> lock(engineMutex);
    return CTextLayoutBuilder(style).Measure(text);
}

void CTextLayout::Draw(uint8_t* surface, int32_t surfaceWidth, int32_t surfaceHeight, size_t stride) const {
    DrawCoverage(surface, surfaceWidth, surfaceHeight, stride, false);
}

void CTextLayout::DrawOutline(uint8_t* surface, int32_t surfaceWidth, int32_t surfaceHeight,
                              size_t stride) const {
    DrawCoverage(surface, surfaceWidth, surfaceHeight, stride, true);
}

void CTextLayout::DrawCoverage(uint8_t* surface, int32_t surfaceWidth, int32_t surfaceHeight, size_t stride,
                               bool outlines) const {
    if (!surface || surfaceWidth <= 0 || surfaceHeight <= 0) return;
    for (const PlacedGlyph& glyph : glyphs) {
        if (glyph.colour || glyph.outline != outlines) continue;
        const auto [x0, y0, x1, y1] =
            ClipToSurface(glyph.left, glyph.top, glyph.width, glyph.height, surfaceWidth, surfaceHeight);
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

bool CTextLayout::HasColour() const {
    return std::any_of(glyphs.begin(), glyphs.end(), [](const PlacedGlyph& glyph) { return glyph.colour; });
}

void CTextLayout::DrawColour(uint8_t* const* rows, int32_t surfaceWidth, int32_t surfaceHeight) const {
    if (!rows || surfaceWidth <= 0 || surfaceHeight <= 0) return;
    for (const PlacedGlyph& glyph : glyphs) {
        if (!glyph.colour) continue;
        const auto [x0, y0, x1, y1] =
            ClipToSurface(glyph.left, glyph.top, glyph.width, glyph.height, surfaceWidth, surfaceHeight);
        for (int32_t y = y0; y < y1; ++y) {
            const uint8_t* in = coverage.data() + glyph.offset +
                                static_cast<size_t>(y - glyph.top) * static_cast<size_t>(glyph.width) * 4;
            uint8_t* out = rows[y];
            for (int32_t x = x0; x < x1; ++x) {
                // Premultiplied colour over a pixel of straight colour.
                const uint8_t* source = in + static_cast<size_t>(x - glyph.left) * 4;
                uint8_t* target = out + static_cast<size_t>(x) * 4;
                const uint32_t sourceAlpha = source[3];
                const uint32_t below = target[3] * (255 - sourceAlpha);  // 0 .. 255 * 255
                const uint32_t alpha = sourceAlpha * 255 + below;        // in 255ths of 255
                if (alpha == 0) continue;
                for (int c = 0; c < 3; ++c) {
                    const uint32_t value = source[c] * 255u * 255u + target[c] * below;
                    target[c] = static_cast<uint8_t>(std::min<uint32_t>(255, (value + alpha / 2) / alpha));
                }
                target[3] = static_cast<uint8_t>((alpha + 127) / 255);
            }
        }
    }
}

}  // namespace stampora
