#include "codecs/jpeg/HuffmanCode.h"

#include <algorithm>
#include <iterator>

namespace stampora {

namespace {

constexpr int kMaxCodeLength = 16;
// 256 symbols and the reserved one: no tree is deeper.
constexpr int kSymbols = 257;

}  // namespace

bool MakeHuffmanCode(const uint64_t (&frequency)[256], HuffmanCode& code) {
    uint64_t freq[kSymbols];
    int codeSize[kSymbols] = {};
    int others[kSymbols];
    bool any = false;
    for (int i = 0; i < 256; ++i) {
        freq[i] = frequency[i];
        any = any || freq[i] > 0;
        others[i] = -1;
    }
    if (!any) return false;
    // The reserved symbol takes the code of all ones, which JPEG forbids.
    freq[256] = 1;
    others[256] = -1;

    // Annex K.2: join the two least frequent branches until one is left.
    for (;;) {
        int c1 = -1, c2 = -1;
        for (int i = 0; i < kSymbols; ++i) {
            if (freq[i] == 0) continue;
            if (c1 < 0 || freq[i] <= freq[c1]) {
                c2 = c1;
                c1 = i;
            } else if (c2 < 0 || freq[i] <= freq[c2]) {
                c2 = i;
            }
        }
        if (c2 < 0) break;
        freq[c1] += freq[c2];
        freq[c2] = 0;
        for (++codeSize[c1]; others[c1] >= 0; ++codeSize[c1]) c1 = others[c1];
        others[c1] = c2;
        for (++codeSize[c2]; others[c2] >= 0; ++codeSize[c2]) c2 = others[c2];
    }

    int count[kSymbols + 1] = {};
    int longest = 0;
    for (int i = 0; i < kSymbols; ++i) {
        if (codeSize[i] == 0) continue;
        ++count[codeSize[i]];
        longest = std::max(longest, codeSize[i]);
    }
    // Annex K.3: a pair of codes too long becomes one code a bit shorter and
    // a pair under the next shorter code that had no branch.
    for (int i = longest; i > kMaxCodeLength; --i) {
        while (count[i] > 0) {
            int j = i - 2;
            while (count[j] == 0) --j;
            count[i] -= 2;
            ++count[i - 1];
            count[j + 1] += 2;
            --count[j];
        }
    }
    // Drop the reserved symbol's code, the longest.
    int i = std::min(longest, kMaxCodeLength);
    while (count[i] == 0) --i;
    --count[i];

    std::fill(std::begin(code.bits), std::end(code.bits), uint8_t{0});
    for (int n = 1; n <= kMaxCodeLength; ++n) code.bits[n] = static_cast<uint8_t>(count[n]);
    // The symbols by code length, then by value; the lengths the limiting
    // took or gave are dealt out in that order too.
    int next = 0;
    for (int length = 1; length <= longest; ++length)
        for (int s = 0; s < 256; ++s)
            if (codeSize[s] == length) code.huffval[next++] = static_cast<uint8_t>(s);
    return true;
}

uint64_t FrequenciesOfCode(const HuffmanCode& code, uint64_t (&frequency)[256]) {
    std::fill(std::begin(frequency), std::end(frequency), uint64_t{0});
    uint64_t sum = 0;
    int k = 0;
    for (int length = 1; length <= kMaxCodeLength; ++length) {
        const uint64_t weight = uint64_t{1} << (kMaxCodeLength - length);
        for (int n = 0; n < code.bits[length] && k < 256; ++n, ++k) {
            uint64_t& f = frequency[code.huffval[k]];
            if (f != 0) continue;
            f = weight;
            sum += weight;
        }
    }
    return sum;
}

}  // namespace stampora
