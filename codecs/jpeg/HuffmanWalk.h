#pragma once
// Walking the Huffman-coded blocks of a JPEG scan whose byte stuffing has
// been taken out: a block's DC difference is read, its AC codes are only
// stepped over. The tables are built as ITU T.81 Annex C builds them (and
// libjpeg's jpeg_make_d_derived_tbl checks them); codes up to kLookupBits
// long are found with one look-up, a code and its extra bits together when
// they fit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codecs/jpeg/Jpeg_pvt.h"

namespace stampora {

constexpr int kLookupBits = 10;

// Zero bytes after a scan's data: enough for any block walked from inside
// the data (64 codes of at most 31 bits) and the reader's 8-byte loads.
constexpr size_t kScanPadding = 512;

// Reads bits most significant first from bytes [start, stop) that are
// followed by at least kScanPadding readable bytes; a walk that goes past
// `stop` reads on into those and says it overran.
class ScanBitReader {
public:
    ScanBitReader(const uint8_t* bytes, size_t startByte, size_t stopByte)
        : base(bytes),
          next(bytes + startByte),
          stopBits(uint64_t{stopByte} * 8),
          lastLoad(bytes + stopByte + kScanPadding - 8) {}

    void Refill() {
        next = std::min(next, lastLoad);
        uint64_t word;
        std::memcpy(&word, next, sizeof word);
        buffer |= __builtin_bswap64(word) >> held;
        next += (63 - held) >> 3;
        held |= 56;
    }
    uint32_t Peek(int count) const { return static_cast<uint32_t>(buffer >> (64 - count)); }
    void Skip(int count) {
        buffer <<= count;
        held -= static_cast<unsigned>(count);
    }
    unsigned Held() const { return held; }
    // Bits read from the start of the bytes.
    uint64_t Position() const { return static_cast<uint64_t>(next - base) * 8 - held; }
    bool Overran() const { return Position() > stopBits; }

private:
    const uint8_t* base;
    const uint8_t* next;
    uint64_t stopBits;
    const uint8_t* lastLoad;
    uint64_t buffer = 0;
    unsigned held = 0;
};

class HuffmanWalkTable {
public:
    // False for a table no decoder accepts: more codes than lengths allow,
    // or a DC table with a category above 15.
    bool Make(const JHUFF_TBL& table, bool dc) {
        uint8_t sizes[257] = {};
        uint32_t codes[256] = {};
        int count = 0;
        for (int length = 1; length <= 16; ++length) {
            for (int i = 0; i < table.bits[length]; ++i) {
                if (count == 256) return false;
                sizes[count++] = static_cast<uint8_t>(length);
            }
        }
        uint32_t code = 0;
        int at = 0;
        for (int length = 1; length <= 16; ++length) {
            while (at < count && sizes[at] == length) codes[at++] = code++;
            if (code > (1u << length)) return false;
            code <<= 1;
        }
        at = 0;
        for (int length = 1; length <= 16; ++length) {
            maxCode[length] = -1;
            if (table.bits[length] == 0) continue;
            valueOffset[length] = at - static_cast<int32_t>(codes[at]);
            at += table.bits[length];
            maxCode[length] = static_cast<int32_t>(codes[at - 1]);
        }
        for (int i = 0; i < count; ++i) {
            symbols[i] = table.huffval[i];
            if (dc && symbols[i] > 15) return false;
        }
        std::memset(fast, 0, sizeof fast);
        for (int i = 0; i < count; ++i) {
            const int length = sizes[i];
            if (length > kLookupBits) break;
            const uint32_t first = codes[i] << (kLookupBits - length);
            for (uint32_t j = 0; j < (1u << (kLookupBits - length)); ++j)
                fast[first + j] = Entry{static_cast<uint8_t>(length), symbols[i]};
        }
        if (dc)
            MakeDifferences();
        else
            MakeSteps();
        return true;
    }

    // The next code's symbol, or -1 for a code the table does not have.
    int Decode(ScanBitReader& reader) const {
        const Entry& entry = fast[reader.Peek(kLookupBits)];
        if (entry.length != 0) {
            reader.Skip(entry.length);
            return entry.symbol;
        }
        return DecodeLong(reader);
    }

    // Reads one block (the reader holding at least 32 bits) and gives its DC
    // difference; false when a code is missing or the block runs past its
    // 64 coefficients. The walk is one long chain of dependent look-ups: it
    // is inlined into loops that keep their reader in registers.
    [[gnu::always_inline]] static bool WalkBlock(ScanBitReader& reader, const HuffmanWalkTable& dcTable,
                                                 const HuffmanWalkTable& acTable, int32_t& difference) {
        const DcStep& dcStep = dcTable.differences[reader.Peek(kLookupBits)];
        if (dcStep.bits != 0) {
            reader.Skip(dcStep.bits);
            difference = dcStep.difference;
        } else {
            const int category = dcTable.Decode(reader);
            if (category < 0) return false;
            difference = category == 0 ? 0 : Extend(reader.Peek(category), category);
            reader.Skip(category);
        }
        int k = 1;
        while (k < 64) {
            if (reader.Held() < 32) reader.Refill();
            const uint16_t step = acTable.steps[reader.Peek(kStepBits)];
            const int along = (step >> 4) & 63;
            if (step != 0 && k + along < 64) {
                reader.Skip(step & 15);
                if (step & kEndsBlock) return true;
                k += along;
                continue;
            }
            const int symbol = acTable.Decode(reader);
            if (symbol < 0) return false;
            reader.Skip(symbol & 15);
            const int single = StepAlong(static_cast<uint8_t>(symbol));
            if (single == 0) return true;
            k += single;
        }
        return k == 64;
    }

private:
    struct Entry {
        uint8_t length;  // 0: the code is longer than the look-up
        uint8_t symbol;
    };

    // By the next kStepBits bits, the AC codes and extra bits wholly within
    // them walked at once: the bits they take (low 4), how far along the
    // block they move (next 6; at most 63), and whether the last of them
    // ends the block. 0 when not even one fits.
    static constexpr int kStepBits = 12;
    static constexpr uint16_t kEndsBlock = 0x8000;

    // The symbol whose code starts `at` bits into `bits` (kStepBits long),
    // with its length, when the code and its extra bits fit; -1 otherwise.
    int SymbolWithin(uint32_t bits, int at, int& length) const {
        for (length = 1; at + length <= kStepBits; ++length) {
            const auto code =
                static_cast<int32_t>((bits >> (kStepBits - at - length)) & ((1u << length) - 1));
            if (code <= maxCode[length]) {
                const uint8_t symbol = symbols[(valueOffset[length] + code) & 255];
                return at + length + (symbol & 15) <= kStepBits ? symbol : -1;
            }
        }
        return -1;
    }

    // By the next kLookupBits bits, a DC code and its extra bits when both
    // are within them: the bits they take and the difference they give.
    struct DcStep {
        int16_t difference;
        uint8_t bits;  // 0 when they are not
    };

    void MakeDifferences() {
        for (uint32_t bits = 0; bits < (1u << kLookupBits); ++bits) {
            const Entry& entry = fast[bits];
            const int category = entry.symbol & 15;
            DcStep step{0, 0};
            if (entry.length != 0 && entry.length + category <= kLookupBits) {
                step.bits = static_cast<uint8_t>(entry.length + category);
                const uint32_t extra = (bits >> (kLookupBits - step.bits)) & ((1u << category) - 1);
                step.difference = static_cast<int16_t>(category == 0 ? 0 : Extend(extra, category));
            }
            differences[bits] = step;
        }
    }

    void MakeSteps() {
        for (uint32_t bits = 0; bits < (1u << kStepBits); ++bits) {
            int at = 0;
            int along = 0;
            uint16_t step = 0;
            for (;;) {
                int length = 0;
                const int symbol = SymbolWithin(bits, at, length);
                if (symbol < 0) break;
                const int single = StepAlong(static_cast<uint8_t>(symbol));
                if (single != 0 && along + single > 63) break;
                at += length + (symbol & 15);
                along += single;
                step = static_cast<uint16_t>(at | along << 4 | (single == 0 ? kEndsBlock : 0));
                if (single == 0) break;
            }
            steps[bits] = step;
        }
    }

    // How many coefficients an AC symbol moves along: its run and its value,
    // sixteen zeros, or 0 for the end of the block.
    static uint8_t StepAlong(uint8_t symbol) {
        const uint8_t run = symbol >> 4;
        if ((symbol & 15) != 0) return static_cast<uint8_t>(run + 1);
        return run == 15 ? 16 : 0;
    }

    static int32_t Extend(uint32_t bits, int category) {
        const int32_t value = static_cast<int32_t>(bits);
        return value < (1 << (category - 1)) ? value - (1 << category) + 1 : value;
    }

    int DecodeLong(ScanBitReader& reader) const {
        const uint32_t code16 = reader.Peek(16);
        for (int length = 1; length <= 16; ++length) {
            const auto code = static_cast<int32_t>(code16 >> (16 - length));
            if (code <= maxCode[length]) {
                reader.Skip(length);
                return symbols[(valueOffset[length] + code) & 255];
            }
        }
        return -1;
    }

    Entry fast[1 << kLookupBits] = {};
    uint16_t steps[1 << kStepBits] = {};
    DcStep differences[1 << kLookupBits] = {};
    int32_t maxCode[17] = {};
    int32_t valueOffset[17] = {};
    uint8_t symbols[256] = {};
};

}  // namespace stampora
