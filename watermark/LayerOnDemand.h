#pragma once
// The layer of a mark whose size is the same on every picture of a batch run,
// built when the first picture that can hold the mark comes, once for all the
// workers, and never when no picture can: a mark larger than every picture
// costs nothing but finding that out.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "image/RasterImage.h"
#include "watermark/MarkLayerCache.h"
#include "watermark/WatermarkBase.h"

namespace stampora {

class CLayerOnDemand {
public:
    // Nothing deferred: the mark's layer is ready.
    CLayerOnDemand() = default;
    // `smallest` is the mark's record with the least size its layer can
    // take; `build` makes the layer and records its true size in the mark.
    CLayerOnDemand(const WatermarkBase& smallest, std::function<bool()> build);

    bool Deferred() const { return static_cast<bool>(build); }

    // For a mark placed with `margin` on a picture of width x height: the
    // stand-in mark when the picture cannot hold even the smallest, which is
    // then left off without the layer being built; otherwise nothing. Only
    // reads what was given at construction, so workers may ask while another
    // builds.
    std::optional<PreparedMark> StandIn(int32_t width, int32_t height, int32_t margin) const;

    // Builds the layer the first time it is asked, whichever worker asks; the
    // others wait for it. Answers whether it was made; it is not tried again.
    bool Build();

private:
    WatermarkBase smallest;
    std::function<bool()> build;
    std::once_flag once;
    bool made = false;
};

}  // namespace stampora
