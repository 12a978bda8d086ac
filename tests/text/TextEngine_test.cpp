#include "text/TextEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "text/FontCatalog.h"

using namespace stampora;

namespace {

constexpr const char* kTestFamily = "DejaVu Sans";

TextStyle Style(int32_t points, bool bold = false, bool italic = false, bool antialias = true) {
    return TextStyle{kTestFamily, points, bold, italic, antialias};
}

struct Drawn {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
    uint8_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Draws onto a surface larger than the box, so ink outside the box shows.
Drawn DrawWithRoom(const CTextLayout& layout, int32_t room) {
    Drawn drawn;
    drawn.width = static_cast<int32_t>(std::ceil(layout.Width())) + room;
    drawn.height = static_cast<int32_t>(std::ceil(layout.Height())) + room;
    drawn.pixels.assign(static_cast<size_t>(drawn.width) * drawn.height, 0);
    layout.Draw(drawn.pixels.data(), drawn.width, drawn.height, static_cast<size_t>(drawn.width));
    return drawn;
}

bool HasIntermediate(const Drawn& drawn) {
    return std::any_of(drawn.pixels.begin(), drawn.pixels.end(), [](uint8_t v) { return v > 0 && v < 255; });
}

}  // namespace

TEST(FontCatalog, ListsAndKnowsEachInstalledFamilyOnceInOrder) {
    const auto& families = InstalledFontFamilies();
    ASSERT_FALSE(families.empty());
    const auto caseless = [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    };
    // Strictly ascending: ordered and without repeats.
    EXPECT_EQ(std::adjacent_find(families.begin(), families.end(),
                                 [&](const auto& a, const auto& b) { return !caseless(a, b); }),
              families.end());
    EXPECT_NE(std::find(families.begin(), families.end(), kTestFamily), families.end());
    for (const auto& name : families) EXPECT_NE(name.front(), '@');

    EXPECT_TRUE(IsInstalledFamily("DejaVu Sans"));
    EXPECT_TRUE(IsInstalledFamily("dejavu sans"));
    EXPECT_FALSE(IsInstalledFamily("No Such Family Anywhere"));
    EXPECT_FALSE(IsInstalledFamily(""));
    EXPECT_FALSE(FindFace("No Such Family Anywhere", false, false));
}

TEST(FontCatalog, FindsRealStyledFacesAndSynthesisesMissingOnes) {
    const auto regular = FindFace(kTestFamily, false, false);
    const auto bold = FindFace(kTestFamily, true, false);
    ASSERT_TRUE(regular && bold);
    EXPECT_NE(regular->file, bold->file);
    EXPECT_FALSE(bold->syntheticBold);
    EXPECT_FALSE(regular->syntheticBold || regular->syntheticOblique);
    // A family with a single face needs both synthesised.
    if (!IsInstalledFamily("Droid Sans Fallback")) GTEST_SKIP() << "no single-face family installed";
    const auto synthetic = FindFace("Droid Sans Fallback", true, true);
    ASSERT_TRUE(synthetic);
    EXPECT_TRUE(synthetic->syntheticBold);
    EXPECT_TRUE(synthetic->syntheticOblique);
}

TEST(TextEngine, RefusesWhatItCannotDraw) {
    for (const TextStyle& style : {TextStyle{"No Such Family Anywhere", 24, false, false, true}, Style(0),
                                   Style(-7), Style(kMaxTextPointSize + 1)})
        EXPECT_TRUE(LayOutText(style, "Stampora").IsEmpty()) << style.family << " " << style.pointSize;
    EXPECT_TRUE(LayOutText(Style(24), "").IsEmpty());
    EXPECT_FALSE(LayOutText(Style(24), "").TooLarge());
    // Over 2^28 pixels by its advances (one line, or many short ones): said
    // so, never an empty box that passes for a blank text.
    for (const std::string& text :
         {std::string(200, 'A'), std::string(3000000, 'A'), std::string(120000, '\n') + "A"}) {
        const CTextLayout layout = LayOutText(Style(1000), text);
        EXPECT_TRUE(layout.IsEmpty() && layout.TooLarge()) << text.size();
    }
}

// Draws text and the same text with its visual order written out, forced
// left to right; the two match when the runs were put in reading order.
void ExpectDrawnAs(const char* text, const char* visual) {
    const Drawn drawn = DrawWithRoom(LayOutText(Style(32), text), 0);
    const Drawn expected = DrawWithRoom(LayOutText(Style(32), visual), 0);
    EXPECT_EQ(drawn.width, expected.width) << text;
    EXPECT_TRUE(drawn.pixels == expected.pixels) << text;
}

TEST(TextEngine, OrdersMixedDirectionsByTheBidirectionalAlgorithm) {
    // U+202D holds the rest left to right as written.
    ExpectDrawnAs("abc \u05e9\u05dc\u05d5\u05dd", "\u202dabc \u05dd\u05d5\u05dc\u05e9");
    ExpectDrawnAs("\u05e9\u05dc\u05d5\u05dd abc", "\u202dabc \u05dd\u05d5\u05dc\u05e9");
    ExpectDrawnAs("\u05e9\u05dc\u05d5\u05dd 2026", "\u202d2026 \u05dd\u05d5\u05dc\u05e9");
    // Each line finds its own direction.
    ExpectDrawnAs("\u05d0\u05d1 x\nx \u05d0\u05d1", "\u202dx \u05d1\u05d0\n\u202dx \u05d1\u05d0");
}

TEST(TextEngine, MeasuresLinesStylesAndKerning) {
    const CTextLayout one = LayOutText(Style(24), "Stampora");
    const CTextLayout two = LayOutText(Style(24), "Stampora\nStampora");
    const CTextLayout longer = LayOutText(Style(24), "Stampora Stampora");
    const CTextLayout bold = LayOutText(Style(24, true), "Stampora");
    ASSERT_FALSE(one.IsEmpty());
    EXPECT_GT(two.Height(), one.Height() * 1.8f);
    EXPECT_FLOAT_EQ(two.Width(), one.Width());
    EXPECT_GT(longer.Width(), one.Width() * 1.8f);
    EXPECT_GT(bold.Width(), one.Width());
    // 24 points at 96 dpi is a 32-pixel em: one line is about that tall.
    EXPECT_GT(one.Height(), 30.0f);
    EXPECT_LT(one.Height(), 45.0f);
    // Only line feeds break lines; a carriage return draws nothing.
    EXPECT_FLOAT_EQ(LayOutText(Style(24), "Stampora\r").Width(), one.Width());
    // Kerning draws A and V closer than their advances.
    const float pair = LayOutText(Style(48), "AV").Width();
    const float apart = LayOutText(Style(48), "A").Width() + LayOutText(Style(48), "V").Width();
    const float margins = LayOutText(Style(48), "A").Width() * 2 - LayOutText(Style(48), "AA").Width();
    EXPECT_LT(pair, apart - margins - 1.0f);
}

TEST(TextEngine, AlignsLinesLeft) {
    const CTextLayout layout = LayOutText(Style(24), "HHHHHHHH\nH");
    const Drawn drawn = DrawWithRoom(layout, 0);
    const int32_t middle = drawn.height / 2;
    int32_t leftTop = drawn.width, leftBottom = drawn.width, rightBottom = 0;
    for (int32_t y = 0; y < drawn.height; ++y) {
        for (int32_t x = 0; x < drawn.width; ++x) {
            if (drawn.At(x, y) < 128) continue;
            if (y < middle) leftTop = std::min(leftTop, x);
            if (y >= middle) leftBottom = std::min(leftBottom, x), rightBottom = std::max(rightBottom, x);
        }
    }
    EXPECT_EQ(leftTop, leftBottom);
    EXPECT_LT(rightBottom, drawn.width / 4);
}

TEST(TextEngine, DrawsInsideTheMeasuredBox) {
    for (const char* text : {"Stampora", "fjord Ünïcødé ÅÉ", "Wg\nqy|", "©"}) {
        for (bool italic : {false, true}) {
            const CTextLayout layout = LayOutText(Style(30, true, italic), text);
            const Drawn drawn = DrawWithRoom(layout, 8);
            const int32_t boxW = static_cast<int32_t>(std::ceil(layout.Width()));
            const int32_t boxH = static_cast<int32_t>(std::ceil(layout.Height()));
            int inked = 0;
            for (int32_t y = 0; y < drawn.height; ++y) {
                for (int32_t x = 0; x < drawn.width; ++x) {
                    if (drawn.At(x, y) == 0) continue;
                    ++inked;
                    EXPECT_TRUE(x < boxW && y < boxH) << text << " inked at " << x << "," << y;
                }
            }
            EXPECT_GT(inked, 0) << text;
        }
    }
    // A surface smaller than the text, none, or an empty one is drawn on
    // only where it is.
    const CTextLayout layout = LayOutText(Style(40), "Stampora");
    std::vector<uint8_t> small(10 * 6, 0);
    layout.Draw(small.data(), 10, 6, 10);
    layout.Draw(nullptr, 10, 6, 10);
    layout.Draw(small.data(), 0, 0, 0);
}

TEST(TextEngine, GreyCoverageHasSoftEdgesAndOneBitCoverageHasNone) {
    const Drawn grey = DrawWithRoom(LayOutText(Style(24), "Stampora"), 0);
    const Drawn oneBit = DrawWithRoom(LayOutText(Style(24, false, false, false), "Stampora"), 0);
    EXPECT_TRUE(HasIntermediate(grey));
    EXPECT_TRUE(std::any_of(grey.pixels.begin(), grey.pixels.end(), [](uint8_t v) { return v == 255; }));
    EXPECT_FALSE(HasIntermediate(oneBit));
    EXPECT_TRUE(std::any_of(oneBit.pixels.begin(), oneBit.pixels.end(), [](uint8_t v) { return v == 255; }));
}

TEST(TextEngine, DrawsCharactersTheFaceLacksFromAFallbackFace) {
    if (!FindFallbackFace(U'東', false, false)) GTEST_SKIP() << "no font with CJK characters installed";
    const CTextLayout han = LayOutText(Style(32), "東");
    const Drawn drawn = DrawWithRoom(han, 0);
    const auto inked =
        std::count_if(drawn.pixels.begin(), drawn.pixels.end(), [](uint8_t v) { return v > 128; });
    EXPECT_GT(inked, 100);
    // The whole text is drawn, each part in a face that has it.
    const CTextLayout mixed = LayOutText(Style(32), "© 2026 Ünïcødé 東京");
    EXPECT_GT(mixed.Width(), LayOutText(Style(32), "© 2026 Ünïcødé").Width() + 2 * 32 * 4 / 3 * 0.8f);
}

TEST(TextEngine, TakesSizesInPixelsBetweenWholePoints) {
    // 32 pixels at 96 dpi are 24 points exactly: the same layout.
    TextStyle pixels = Style(1);
    pixels.pixelSize = 32.0f;
    const CTextLayout fromPixels = LayOutText(pixels, "Stampora");
    const CTextLayout fromPoints = LayOutText(Style(24), "Stampora");
    EXPECT_FLOAT_EQ(fromPixels.Width(), fromPoints.Width());
    EXPECT_FLOAT_EQ(fromPixels.Height(), fromPoints.Height());
    // 15 pixels (11.25 points) lies strictly between 11 and 12 points.
    pixels.pixelSize = 15.0f;
    const float between = LayOutText(pixels, "Stampora").Width();
    EXPECT_GT(between, LayOutText(Style(11), "Stampora").Width());
    EXPECT_LT(between, LayOutText(Style(12), "Stampora").Width());
    for (float refused : {0.5f, kMaxTextPixelSize + 1.0f}) {
        pixels.pixelSize = refused;
        EXPECT_TRUE(LayOutText(pixels, "Stampora").IsEmpty()) << refused;
    }
}

TEST(TextEngine, ScalesColourBitmapFacesToTheTextSize) {
    if (!IsInstalledFamily("Noto Color Emoji")) GTEST_SKIP() << "no colour emoji font installed";
    // At 24 points (a 32-pixel em), chosen or fallen back to, an emoji is
    // about an em in each direction, whatever size its bitmaps are kept at.
    for (const char* family : {"Noto Color Emoji", kTestFamily}) {
        const CTextLayout layout = LayOutText(TextStyle{family, 24, false, false, true}, "\U0001F4F7");
        EXPECT_TRUE(layout.HasColour()) << family;
        EXPECT_GT(layout.Width(), 24.0f) << family;
        EXPECT_LT(layout.Width(), 64.0f) << family;
        EXPECT_LT(layout.Height(), 64.0f) << family;
    }
}
