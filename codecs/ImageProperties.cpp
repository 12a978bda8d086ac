#include "codecs/ImageProperties.h"

#include <cstdio>
#include <cstdlib>

namespace stampora {

void CImageProperties::SetValue(int32_t key, const std::string& text) {
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) {
            texts[i] = text;
            return;
        }
    }
    keys.push_back(key);
    texts.push_back(text);
}

std::string CImageProperties::GetValue(int32_t key) const {
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) return texts[i];
    }
    return {};
}

bool CImageProperties::HasKey(int32_t key) const {
    for (int32_t k : keys) {
        if (k == key) return true;
    }
    return false;
}

void CImageProperties::CopyFrom(const CImageProperties& other) {
    keys = other.keys;
    texts = other.texts;
}

namespace {
constexpr size_t kDelayDigits = 16;
}

std::string FrameDelayText(int64_t milliseconds) {
    char text[24];
    std::snprintf(text, sizeof text, "%016lld", static_cast<long long>(milliseconds));
    return text;
}

int64_t FrameDelayAt(const std::string& delays, size_t i) {
    if ((i + 1) * kDelayDigits > delays.size()) return 0;
    return std::strtoll(delays.substr(i * kDelayDigits, kDelayDigits).c_str(), nullptr, 10);
}

}  // namespace stampora
