#include "platform/Utf8Text.h"

#include <gtest/gtest.h>

using namespace stampora;

TEST(Utf8Text, EveryCodeUnitRoundTripsAndLoneSurrogatesAreKeptNotReplaced) {
    EXPECT_EQ(Utf8FromUtf16(u"© Ünïcødé 東京 Привет 🙂"),
              "© Ünïcødé 東京 Привет 🙂");
    EXPECT_EQ(Utf16FromUtf8("© Ünïcødé 東京 Привет 🙂"),
              u"© Ünïcødé 東京 Привет 🙂");
    std::u16string all;
    for (uint32_t unit = 1; unit <= 0xFFFF; ++unit) all += static_cast<char16_t>(unit);
    EXPECT_EQ(Utf16FromUtf8(Utf8FromUtf16(all)), all);
    const std::u16string lone{
        u'a', char16_t(0xD83D), u'b', char16_t(0xDE42), char16_t(0xDC00), char16_t(0xD800)};
    EXPECT_EQ(Utf16FromUtf8(Utf8FromUtf16(lone)), lone);
}

TEST(Utf8Text, IllFormedBytesBecomeReplacementCharacters) {
    // A stray continuation byte, a truncated sequence, an overlong form and a
    // sequence cut off by the end of the text.
    EXPECT_EQ(Utf16FromUtf8("a\x80\x62"), u"a\uFFFDb");
    EXPECT_EQ(Utf16FromUtf8("\xE6\x9D\x78"), u"\uFFFDx");
    EXPECT_EQ(Utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf16FromUtf8("z\xF0\x9F\x99"), u"z\uFFFD");
    EXPECT_EQ(Utf16FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(Utf8Text, CodePointsForDrawingReplaceOnlyWhatCannotBeDrawn) {
    EXPECT_EQ(CodePointsFromUtf8("A東🙂"), U"A東🙂");
    EXPECT_EQ(CodePointsFromUtf8(Utf8FromUtf16(std::u16string(1, char16_t(0xD800)))), U"\uFFFD");
}
