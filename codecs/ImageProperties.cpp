#include "codecs/ImageProperties.h"

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

}  // namespace stampora
