#include "codecs/metadata/ImageProperties.h"

namespace stampora {

void ExifItems::Set(ExifTag tag, std::string text) {
    for (auto& [known, value] : items) {
        if (known == tag) {
            value = std::move(text);
            return;
        }
    }
    items.emplace_back(tag, std::move(text));
}

const std::string& ExifItems::Text(ExifTag tag) const {
    static const std::string none;
    for (const auto& [known, value] : items) {
        if (known == tag) return value;
    }
    return none;
}

bool ExifItems::Has(ExifTag tag) const {
    for (const auto& item : items) {
        if (item.first == tag) return true;
    }
    return false;
}

}  // namespace stampora
