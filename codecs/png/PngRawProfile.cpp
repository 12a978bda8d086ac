#include <cstring>

#include "codecs/png/Png_pvt.h"

namespace stampora {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr unsigned char kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr size_t kMaxProfileBytes = 16u << 20;

}  // namespace

bool DecodeRawExifProfile(const char* text, size_t length, std::vector<unsigned char>& block) {
    block.clear();
    if (text == nullptr) return false;
    size_t i = 0;
    // Skip the name line, then read the byte count.
    while (i < length && text[i] == '\n') ++i;
    while (i < length && text[i] != '\n') ++i;
    while (i < length && (text[i] == '\n' || text[i] == ' ')) ++i;
    size_t count = 0;
    while (i < length && text[i] >= '0' && text[i] <= '9') {
        count = count * 10 + static_cast<size_t>(text[i] - '0');
        if (count > kMaxProfileBytes) return false;
        ++i;
    }
    if (count == 0) return false;
    block.reserve(count);
    int high = -1;
    for (; i < length && block.size() < count; ++i) {
        const int value = HexValue(text[i]);
        if (value < 0) continue;
        if (high < 0) {
            high = value;
        } else {
            block.push_back(static_cast<unsigned char>(high << 4 | value));
            high = -1;
        }
    }
    if (block.size() != count) {
        block.clear();
        return false;
    }
    if (block.size() > sizeof kExifSignature &&
        std::memcmp(block.data(), kExifSignature, sizeof kExifSignature) == 0) {
        block.erase(block.begin(), block.begin() + sizeof kExifSignature);
    }
    return !block.empty();
}

}  // namespace stampora
