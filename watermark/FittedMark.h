#pragma once
// A batch run's text or image mark made to fit each picture: its size taken
// from the picture's, its text filled in, its margin resolved, and the layers
// made kept by what they were made from. Both may be used by several workers
// at once; the marks they were built on must outlive them and stay unchanged.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "watermark/ImageWatermark.h"
#include "watermark/LayerOnDemand.h"
#include "watermark/MarkFit.h"
#include "watermark/MarkLayerCache.h"
#include "watermark/text/MarkText.h"
#include "watermark/text/TextWatermark.h"

namespace stampora {

class CFittedTextMark {
public:
    // A text that passes CheckMarkText is filled in per picture; any other is
    // drawn as written.
    CFittedTextMark(const TextWatermark& mark, const MarkFit& fit);
    CFittedTextMark(TextWatermark&&, const MarkFit&) = delete;  // the mark must outlive this

    // The text names something of the picture (its name, date, camera, ...),
    // so each picture's facts are needed, its metadata among them.
    bool FillsIn() const { return fillsIn; }
    // What the text needs to know of the picture at `path` (`number` in the
    // run) of width x height: its size alone when it names nothing, so no
    // metadata or file date is read for it.
    MarkTextFacts FactsFor(const std::string& path, int32_t width, int32_t height,
                           const CImageProperties& metadata, int64_t number) const;
    const MarkLayout& Layout() const { return fit.layout; }

    // The mark's own layer, used where the size does not follow the picture
    // and the text names nothing, is not made yet: `build` makes it (into the
    // mark), once, for the first picture that can hold a mark of the record
    // `smallest` (the least size the layer can take), and never when none
    // can. A picture that cannot is given a stand-in mark of that size, which
    // is left off. Without this the mark's layer is taken as made.
    void BuildLayerOnDemand(const WatermarkBase& smallest, std::function<bool()> build);

    // The mark for the picture described by `facts` (its size included); a
    // mark of automatic colour in white text (black when not `lightText`),
    // each tone's layer made once for each size and text. False with the
    // reason when no mark can be made for it: a size under 1 pixel or beyond
    // what the text engine draws, or no memory for the layer.
    bool ForPicture(const MarkTextFacts& facts, PreparedMark& prepared, Status& status,
                    bool lightText = true);
    bool AutoColour() const { return mark.autoColour && mark.base.enabled; }

private:
    const TextWatermark& mark;
    MarkFit fit;
    bool fillsIn;
    CMarkLayerCache cache;
    std::unique_ptr<CLayerOnDemand> onDemand;
};

class CFittedImageMark {
public:
    CFittedImageMark(const ImageWatermark& mark, const MarkFit& fit);
    CFittedImageMark(ImageWatermark&&, const MarkFit&) = delete;  // the mark must outlive this

    const MarkLayout& Layout() const { return fit.layout; }

    // The mark's own layer, used where the size does not follow the picture,
    // is not made yet: `build` makes it (into the mark), once, for the first
    // picture that can hold a mark of the record `smallest` (the least size
    // the layer can take), and never when none can. A picture that cannot is
    // given a stand-in mark of that size, which is left off. Without this the
    // mark's layer is taken as made.
    void BuildLayerOnDemand(const WatermarkBase& smallest, std::function<bool()> build);

    // The mark for a picture of this size. False with the reason when no
    // mark can be made for it: a side under 1 pixel, more pixels than a
    // picture may hold, or no memory for the layer.
    bool ForPicture(int32_t pictureWidth, int32_t pictureHeight, PreparedMark& prepared, Status& status);

private:
    const ImageWatermark& mark;
    MarkFit fit;
    CMarkLayerCache cache;
    std::unique_ptr<CLayerOnDemand> onDemand;
};

}  // namespace stampora
