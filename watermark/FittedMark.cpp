#include "watermark/FittedMark.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <utility>

#include "codecs/DecodeLimits.h"
#include "text/TextEngine.h"

namespace stampora {

namespace {

// The job's own layer, shared without a copy: the job keeps it alive.
std::shared_ptr<const CRasterImage> Borrowed(const CRasterImage& layer) {
    return std::shared_ptr<const CRasterImage>(std::shared_ptr<const CRasterImage>(), &layer);
}

int32_t ShorterSide(int32_t width, int32_t height) {
    return std::min(width, height);
}

double SideLength(FitSide side, int32_t width, int32_t height) {
    switch (side) {
        case FitSide::Width:
            return width;
        case FitSide::Height:
            return height;
        case FitSide::Shorter:
            break;
    }
    return ShorterSide(width, height);
}

int32_t MarginOn(const MarkLayout& layout, int32_t width, int32_t height) {
    const int64_t margin = layout.margin.Resolve(ShorterSide(width, height));
    return static_cast<int32_t>(std::clamp<int64_t>(margin, 0, INT32_MAX));
}

// The mark's record with the margin of its layout resolved for this picture.
PreparedMark WithMargin(PreparedMark prepared, const MarkLayout& layout, int32_t width, int32_t height) {
    prepared.base.margin = MarginOn(layout, width, height);
    return prepared;
}

// The mark with the layer made for the whole run. One made on demand is
// built for the first picture that can hold the mark; a picture that cannot
// gets a stand-in that is left off.
bool RunLayer(const WatermarkBase& base, const CRasterImage& layer, CLayerOnDemand* onDemand,
              const MarkLayout& layout, int32_t width, int32_t height, PreparedMark& prepared, Status& status,
              const char* failure) {
    if (onDemand != nullptr) {
        if (std::optional<PreparedMark> standIn =
                onDemand->StandIn(width, height, MarginOn(layout, width, height))) {
            prepared = std::move(*standIn);
            return true;
        }
        if (!onDemand->Build()) return status.Fail(Domain::Mark, failure);
    }
    prepared = WithMargin({base, Borrowed(layer)}, layout, width, height);
    return true;
}

std::string Pixels(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string PictureSize(int32_t width, int32_t height) {
    return std::to_string(width) + " x " + std::to_string(height) + " picture";
}

}  // namespace

CFittedTextMark::CFittedTextMark(const TextWatermark& mark, const MarkFit& fit)
    : mark(mark), fit(fit), fillsIn(false) {
    Status unused;
    fillsIn = HasPlaceholders(mark.params.text) && CheckMarkText(mark.params.text, unused);
}

void CFittedTextMark::BuildLayerOnDemand(const WatermarkBase& smallest, std::function<bool()> build) {
    onDemand = std::make_unique<CLayerOnDemand>(smallest, std::move(build));
}

MarkTextFacts CFittedTextMark::FactsFor(const std::string& path, int32_t width, int32_t height,
                                        const CImageProperties& metadata, int64_t number) const {
    if (fillsIn) return FactsForPicture(path, width, height, metadata, number);
    MarkTextFacts facts;
    facts.width = width;
    facts.height = height;
    return facts;
}

bool CFittedTextMark::ForPicture(const MarkTextFacts& facts, PreparedMark& prepared, Status& status,
                                 bool lightText) {
    const bool resized = fit.SizeFollowsPicture();
    if (!mark.base.enabled || (!resized && !fillsIn && !mark.autoColour)) {
        if (!RunLayer(mark.base, mark.layer, onDemand.get(), fit.layout, facts.width, facts.height, prepared,
                      status, "the text mark could not be drawn"))
            return false;
        // The mark's own layer is made once it is given, not a stand-in.
        if (mark.base.enabled && prepared.layer.get() == &mark.layer)
            WarnMissingCharacters(mark.missingCharacters, status);
        return true;
    }
    float pixelSize = 0.0f;
    if (resized) {
        const double size = fit.sizePercent / 100.0 * SideLength(fit.side, facts.width, facts.height);
        if (size < 1.0 || size > kMaxTextPixelSize) {
            return status.Fail(Domain::Mark,
                               "the text size would be " + Pixels(size) + " pixels on this " +
                                   PictureSize(facts.width, facts.height) + " (it must be 1 to " +
                                   std::to_string(static_cast<int32_t>(kMaxTextPixelSize)) + ")");
        }
        pixelSize = static_cast<float>(size);
    }
    const std::string text = fillsIn ? FillMarkText(mark.params.text, facts) : mark.params.text;
    const std::string key = std::to_string(std::bit_cast<uint32_t>(pixelSize)) +
                            (mark.autoColour ? (lightText ? "L" : "D") : "") + "\n" + text;
    if (const std::optional<PreparedMark> cached = cache.Find(key)) {
        prepared = WithMargin(*cached, fit.layout, facts.width, facts.height);
        return true;
    }

    auto built = std::make_shared<TextWatermark>();
    built->base = mark.base;
    built->shadowEnabled = mark.shadowEnabled;
    built->shadow = mark.shadow;
    built->params = mark.params;
    if (mark.autoColour) built->UseTone(lightText);
    built->params.text = text;
    if (resized) built->params.pixelSize = pixelSize;
    if (!built->RebuildLayer()) {
        return status.Fail(Domain::Mark, "the text mark could not be drawn");
    }
    WarnMissingCharacters(built->missingCharacters, status);
    const PreparedMark made{built->base, std::shared_ptr<const CRasterImage>(built, &built->layer)};
    cache.Store(key, made);
    prepared = WithMargin(made, fit.layout, facts.width, facts.height);
    return true;
}

CFittedImageMark::CFittedImageMark(const ImageWatermark& mark, const MarkFit& fit) : mark(mark), fit(fit) {}

void CFittedImageMark::BuildLayerOnDemand(const WatermarkBase& smallest, std::function<bool()> build) {
    onDemand = std::make_unique<CLayerOnDemand>(smallest, std::move(build));
}

bool CFittedImageMark::ForPicture(int32_t pictureWidth, int32_t pictureHeight, PreparedMark& prepared,
                                  Status& status) {
    const int32_t sourceWidth = mark.source.Width();
    const int32_t sourceHeight = mark.source.Height();
    if (!mark.base.enabled || !fit.SizeFollowsPicture() || sourceWidth <= 0 || sourceHeight <= 0) {
        return RunLayer(mark.base, mark.layer, onDemand.get(), fit.layout, pictureWidth, pictureHeight,
                        prepared, status, "the image mark could not be prepared at its size");
    }
    // One side follows the picture, the other keeps the logo's proportions.
    const double share = fit.sizePercent / 100.0 * SideLength(fit.side, pictureWidth, pictureHeight);
    const bool byHeight = fit.side == FitSide::Height;
    const double width = byHeight ? share * sourceWidth / sourceHeight : share;
    const double height = byHeight ? share : share * sourceHeight / sourceWidth;
    const std::string size = Pixels(width) + " x " + Pixels(height) + " pixels on this " +
                             PictureSize(pictureWidth, pictureHeight);
    if (std::lround(width) < 1 || std::lround(height) < 1) {
        return status.Fail(Domain::Mark, "the image mark would be under 1 pixel: " + size);
    }
    if (width * height > static_cast<double>(kMaxDecodedPixels)) {
        return status.Fail(Domain::Mark, "the image mark would be over the " +
                                             std::to_string(kMaxDecodedPixels) + "-pixel limit: " + size);
    }
    const auto markWidth = static_cast<int32_t>(std::lround(width));
    const auto markHeight = static_cast<int32_t>(std::lround(height));
    const std::string key = std::to_string(markWidth) + "x" + std::to_string(markHeight);
    if (const std::optional<PreparedMark> cached = cache.Find(key)) {
        prepared = WithMargin(*cached, fit.layout, pictureWidth, pictureHeight);
        return true;
    }

    auto built = std::make_shared<ImageWatermark>();
    built->base = mark.base;
    built->base.width = markWidth;
    built->base.height = markHeight;
    CopyImageExactly(built->source, mark.source);
    if (!built->RebuildLayer()) {
        return status.Fail(Domain::Mark, "the image mark could not be prepared at " + key);
    }
    built->source.Destroy();  // only the layer is stamped
    const PreparedMark made{built->base, std::shared_ptr<const CRasterImage>(built, &built->layer)};
    cache.Store(key, made);
    prepared = WithMargin(made, fit.layout, pictureWidth, pictureHeight);
    return true;
}

}  // namespace stampora
