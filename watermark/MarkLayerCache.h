#pragma once
// The last few layers made for a mark, kept by what they were made from (a
// size, a filled-in text), so pictures of the same size cost one rebuild;
// shared by the workers of a batch run.
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "image/RasterImage.h"
#include "watermark/WatermarkBase.h"

namespace stampora {

// A mark made for one picture: its placement record and the layer to blend.
struct PreparedMark {
    WatermarkBase base;
    std::shared_ptr<const CRasterImage> layer;
};

class CMarkLayerCache {
public:
    // Layers are large and a text that names the file differs on every
    // picture, so only the most recently used few are kept.
    static constexpr size_t kKept = 8;

    std::optional<PreparedMark> Find(const std::string& key);
    void Store(const std::string& key, const PreparedMark& mark);

private:
    std::mutex mutex;
    std::list<std::pair<std::string, PreparedMark>> recent;  // most recent first
};

}  // namespace stampora
