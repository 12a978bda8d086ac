// JPEG Huffman codes made from frequencies: every counted symbol gets a
// code, no code is longer than 16 bits or all ones, and a code's own
// frequencies give it back.
#include "codecs/jpeg/HuffmanCode.h"

#include <gtest/gtest.h>

#include <vector>

using namespace stampora;

namespace {

// The length of each symbol's code (0 for none), checking the code is a
// valid JPEG table on the way: at most 16 bits, prefix-free with room left
// for the code of all ones, no symbol twice.
std::vector<int> LengthsOf(const HuffmanCode& code) {
    std::vector<int> lengths(256, 0);
    double kraft = 0;
    int k = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int n = 0; n < code.bits[length]; ++n, ++k) {
            EXPECT_LT(k, 256);
            EXPECT_EQ(lengths[code.huffval[k]], 0) << "symbol " << int(code.huffval[k]) << " twice";
            lengths[code.huffval[k]] = length;
            kraft += 1.0 / (1 << length);
        }
    }
    EXPECT_LT(kraft, 1.0);
    return lengths;
}

TEST(HuffmanCode, GivesEveryCountedSymbolACodeTheCommonOnesShorterAndNoneNoTable) {
    uint64_t frequency[256] = {};
    frequency[0x00] = 5000;
    frequency[0x01] = 3000;
    frequency[0x11] = 40;
    frequency[0xF0] = 1;
    HuffmanCode code;
    ASSERT_TRUE(MakeHuffmanCode(frequency, code));
    const std::vector<int> lengths = LengthsOf(code);
    for (int s = 0; s < 256; ++s) EXPECT_EQ(lengths[s] > 0, frequency[s] > 0) << s;
    EXPECT_LE(lengths[0x00], lengths[0x01]);
    EXPECT_LT(lengths[0x01], lengths[0x11]);
    EXPECT_LE(lengths[0x11], lengths[0xF0]);

    // One symbol still gets a code; none gets no table.
    uint64_t one[256] = {};
    EXPECT_FALSE(MakeHuffmanCode(one, code));
    one[7] = 12;
    ASSERT_TRUE(MakeHuffmanCode(one, code));
    EXPECT_EQ(code.bits[1], 1);
    EXPECT_EQ(code.huffval[0], 7);
    LengthsOf(code);
}

TEST(HuffmanCode, LimitsDeepTreesToSixteenBits) {
    // Fibonacci frequencies make an unlimited tree as deep as it gets.
    uint64_t frequency[256] = {};
    uint64_t a = 1, b = 1;
    for (int s = 0; s < 40; ++s) {
        frequency[s] = a;
        const uint64_t next = a + b;
        a = b;
        b = next;
    }
    for (int s = 40; s < 256; ++s) frequency[s] = 1;  // and every other symbol once
    HuffmanCode code;
    ASSERT_TRUE(MakeHuffmanCode(frequency, code));
    const std::vector<int> lengths = LengthsOf(code);
    for (int s = 0; s < 256; ++s) EXPECT_GT(lengths[s], 0) << s;
}

TEST(HuffmanCode, FrequenciesOfACodeGiveItBack) {
    HuffmanCode source;
    // The shape of the standard luminance AC table, with its symbols in
    // another order.
    const int counts[17] = {0, 0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D};
    for (int n = 1; n <= 16; ++n) source.bits[n] = static_cast<uint8_t>(counts[n]);
    for (int k = 0; k < 162; ++k) source.huffval[k] = static_cast<uint8_t>(255 - k);
    uint64_t frequency[256];
    EXPECT_EQ(FrequenciesOfCode(source, frequency), 65535u);  // all of 2^16 but the code of all ones
    HuffmanCode again;
    ASSERT_TRUE(MakeHuffmanCode(frequency, again));
    EXPECT_EQ(LengthsOf(again), LengthsOf(source));
}

}  // namespace
