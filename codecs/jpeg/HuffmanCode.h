#pragma once
// JPEG Huffman tables made from symbol frequencies: code lengths as ITU T.81
// Annex K.2 finds them, limited to 16 bits as Annex K.3 limits them, with no
// code of all ones. The layout is libjpeg's JHUFF_TBL: bits[n] codes of n
// bits (bits[0] unused), then the symbols by code length.
#include <cstdint>

namespace stampora {

struct HuffmanCode {
    uint8_t bits[17] = {};
    uint8_t huffval[256] = {};
};

// Makes the code for the symbols with a frequency above 0. False when no
// symbol has one.
bool MakeHuffmanCode(const uint64_t (&frequency)[256], HuffmanCode& code);

// Frequencies under which MakeHuffmanCode gives back the code's own lengths
// (2^(16 - length) for a symbol of `length` bits, 0 for a symbol without a
// code); their sum is returned. A symbol listed twice keeps its shorter code.
uint64_t FrequenciesOfCode(const HuffmanCode& code, uint64_t (&frequency)[256]);

}  // namespace stampora
