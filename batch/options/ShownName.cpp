#include "batch/options/ShownName.h"

#include <cstdint>

namespace stampora {

namespace {

// The length of the well-formed UTF-8 sequence at `at` that is no control
// character (C0, DEL or C1), or 0.
size_t PrintableLength(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(at);
    if (lead >= 0x20 && lead < 0x7F) return 1;
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    }
    // C1 controls (U+0080..U+009F): some terminals take U+009B as a CSI.
    if (lead == 0xC2 && byte(at + 1) < 0xA0) return 0;
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((lead == 0xE0 && byte(at + 1) < 0xA0) || (lead == 0xED && byte(at + 1) >= 0xA0) ||
        (lead == 0xF0 && byte(at + 1) < 0x90) || (lead == 0xF4 && byte(at + 1) >= 0x90)) {
        return 0;
    }
    return length;
}

std::string EscapedByte(uint8_t byte) {
    switch (byte) {
        case '\a':
            return "\\a";
        case '\b':
            return "\\b";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\v':
            return "\\v";
        case '\f':
            return "\\f";
        case '\r':
            return "\\r";
        default:
            break;
    }
    const char digits[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                           static_cast<char>('0' + ((byte >> 3) & 7)), static_cast<char>('0' + (byte & 7))};
    return std::string(digits, sizeof digits);
}

}  // namespace

std::string ShownName(std::string_view name) {
    bool plain = true;
    for (size_t at = 0, length = 0; at < name.size() && plain; at += length) {
        length = PrintableLength(name, at);
        plain = length > 0;
    }
    if (plain) return std::string(name);

    // Printable runs go in '...', each run of other bytes in one $'...'.
    std::string shown;
    enum class Open { None, Plain, Escaped } open = Open::None;
    for (size_t at = 0; at < name.size();) {
        const size_t length = PrintableLength(name, at);
        const Open wanted = length > 0 ? Open::Plain : Open::Escaped;
        if (open != wanted) {
            if (open != Open::None) shown += '\'';
            shown += wanted == Open::Plain ? "'" : "$'";
            open = wanted;
        }
        if (length == 0) {
            shown += EscapedByte(static_cast<uint8_t>(name[at++]));
        } else if (name[at] == '\'') {
            shown += "'\\''";
            ++at;
        } else {
            shown.append(name, at, length);
            at += length;
        }
    }
    return shown + '\'';
}

}  // namespace stampora
