#include "watermark/LayerOnDemand.h"

#include <algorithm>
#include <utility>

namespace stampora {

namespace {

// A transparent dot, the layer of a mark that is left off: the stamp needs a
// layer to decide that the mark does not fit.
std::shared_ptr<const CRasterImage> TransparentDot() {
    static const std::shared_ptr<const CRasterImage> dot = [] {
        auto image = std::make_shared<CRasterImage>();
        if (image->Create(1, 1, 32)) std::fill_n(image->Row(0), 4, uint8_t{0});
        return image;
    }();
    return dot;
}

}  // namespace

CLayerOnDemand::CLayerOnDemand(const WatermarkBase& smallest, std::function<bool()> build)
    : smallest(smallest), build(std::move(build)) {}

std::optional<PreparedMark> CLayerOnDemand::StandIn(int32_t width, int32_t height, int32_t margin) const {
    if (!Deferred() ||
        FitsWithinMargins(smallest.CoverWidth(), smallest.CoverHeight(), width, height, margin))
        return std::nullopt;
    PreparedMark standIn{smallest, TransparentDot()};
    standIn.base.margin = margin;
    return standIn;
}

bool CLayerOnDemand::Build() {
    std::call_once(once, [this] { made = build(); });
    return made;
}

}  // namespace stampora
