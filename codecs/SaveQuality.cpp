#include "codecs/SaveQuality.h"

#include <algorithm>
#include <cstdlib>

namespace stampora {

namespace {
constexpr int kDefaultQuality = 80;
}

int SaveQualityFromProperties(const CImageProperties* properties) {
    std::string text;
    if (properties != nullptr) {
        text = properties->GetValue(kPropertySaveQuality);
        if (text.empty()) text = properties->GetValue(kPropertyJpegQuality);
    }
    if (text.empty() || text == "-1") return kDefaultQuality;
    // strtol reads the leading decimal number and answers 0 when there is none;
    // out-of-range values saturate, which the clamp then handles.
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, 1, 100));
}

}  // namespace stampora
