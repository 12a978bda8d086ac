#include "codecs/SaveQuality.h"

#include <algorithm>
#include <optional>

namespace stampora {

namespace {
constexpr int kDefaultQuality = 80;
}

int SaveQualityFromProperties(const CImageProperties* properties) {
    std::optional<int32_t> quality;
    if (properties != nullptr)
        quality = properties->saveQuality ? properties->saveQuality : properties->jpegQuality;
    if (!quality || *quality == -1) return kDefaultQuality;
    return std::clamp<int32_t>(*quality, 1, 100);
}

}  // namespace stampora
