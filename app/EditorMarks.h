#pragma once
// The editor's two marks: each as the user set it (its settings and how it
// fits a picture) and as made for the open picture (sized, its text filled
// in, placed, tiled). A mark the picture cannot take is hidden, never lost:
// its settings stay, and it shows again on the next picture it fits. Nothing
// here opens a window; what a mark was refused for is answered to the caller,
// who tells the user.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/DibTypes.h"
#include "image/RasterImage.h"
#include "watermark/ImageWatermark.h"
#include "watermark/MarkFit.h"
#include "watermark/MarkLayerCache.h"
#include "watermark/TilePattern.h"
#include "watermark/text/MarkText.h"
#include "watermark/text/TextWatermark.h"

namespace stampora {

// Where the open picture is drawn on the canvas, and at what zoom.
struct MarkView {
    PixelRect rect{0, 0, 0, 0};
    float zoom = 1.0f;
};

// One mark as made for the open picture.
struct PlacedMark {
    // The placement record (picture position, screen rectangle, the size the
    // layer was made at) and the layer itself.
    PreparedMark made;
    // Top-left corners of the layer in picture pixels: the mark's own place,
    // or every tile of a tiled mark, the mark's own place among them.
    std::vector<TilePlace> places;
    bool shown = false;
    // Where the mark's centre lies as a share of the picture's width and
    // height: a mark sized by the picture keeps this place on the next one.
    double centreX = 0.5;
    double centreY = 0.5;
    // Placed on a picture since it was last taken from its dialog.
    bool placed = false;
    // Placed by its anchor and margin on every picture, as the batch places
    // it, until the user drags it.
    bool anchored = false;
};

// Both marks as set and as made for a picture: what undoing a change puts
// back. The marks themselves (their text, picture and layer) are shared with
// the editor's until it changes them; their placement records, which change
// with every drag, are kept apart and are what counts of them.
struct MarkState {
    std::shared_ptr<const TextWatermark> text;
    std::shared_ptr<const ImageWatermark> image;
    WatermarkBase textBase;
    WatermarkBase imageBase;
    MarkFit textFit;
    MarkFit imageFit;
    PlacedMark textOn;
    PlacedMark imageOn;
    uint64_t pictureOpened = 0;  // which opening of a picture they were made for
    MarkView shownIn;            // the view their screen rectangles are made for
};

class EditorMarks {
public:
    EditorMarks() = default;
    // A mark drawn once is shown from its own layer, held with the mark; a
    // state of the marks is what is copied.
    EditorMarks(const EditorMarks&) = delete;
    EditorMarks& operator=(const EditorMarks&) = delete;

    const TextWatermark& Text() const { return *text; }
    const ImageWatermark& Image() const { return *image; }
    const MarkFit& TextFit() const { return textFit; }
    const MarkFit& ImageFit() const { return imageFit; }
    // The open picture's facts (its size among them); a width of 0 with none.
    const MarkTextFacts& Picture() const { return facts; }
    const PlacedMark& PlacedText() const { return textOn; }
    const PlacedMark& PlacedImage() const { return imageOn; }

    // Each of the following answers the messages of the marks refused on the
    // open picture, for the caller to show; those marks are hidden.

    // A picture was opened (the facts hold its size): both marks are made for
    // it. A mark sized by the picture keeps its centre's share of the picture;
    // any other keeps its position; each is kept inside the picture.
    std::vector<std::string> FitToPicture(const MarkTextFacts& facts, const MarkView& view);
    // A dialog was confirmed: the mark is made afresh, centred in the picture.
    std::vector<std::string> TakeText(const TextWatermark& edited, const MarkFit& fit, const MarkView& view);
    std::vector<std::string> TakeImage(const ImageWatermark& edited, const MarkFit& fit,
                                       const MarkView& view);
    // Marks from a preset or a past session: each is placed by its anchor
    // and margin, as the batch tool places it, until it is dragged. An
    // inactive mark is left as it is.
    std::vector<std::string> TakeAnchored(const TextWatermark& textMark, const MarkFit& newTextFit,
                                          const ImageWatermark& imageMark, const MarkFit& newImageFit,
                                          const MarkView& view);
    // New fits for both marks, made again where they lie.
    std::vector<std::string> SetFits(const MarkFit& newTextFit, const MarkFit& newImageFit,
                                     const MarkView& view);
    // What fell short on the marks made since the last call without keeping
    // them off the picture (a character no font has), for the caller to show.
    std::vector<std::string> TakeWarnings();

    // The marks as they are now, to be put back later.
    MarkState State() const;
    // Puts back a state taken earlier. On the picture it was taken on, the
    // marks are exactly as they were then; on a picture opened since, they
    // are made again for it where they lay, as on opening it.
    std::vector<std::string> Restore(const MarkState& state, const MarkView& view);
    // The mark is no longer shown nor stamped; its settings stay for its
    // dialog.
    void Remove(MarkKind kind);

    // The picture is drawn elsewhere or at another zoom: the screen
    // rectangles follow the marks' picture positions.
    void FollowView(const MarkView& view);

    // The shown mark under a canvas point (the text mark lies on top).
    std::optional<MarkKind> MarkAt(int32_t x, int32_t y) const;
    const PlacedMark& Placed(MarkKind kind) const { return kind == MarkKind::Text ? textOn : imageOn; }
    // Moves a mark's screen rectangle by (dx, dy), never out of the shown
    // picture: a rectangle larger than it ends flush with its bottom-right.
    void Move(MarkKind kind, int32_t dx, int32_t dy, const MarkView& view);
    // The mark was let go (dx, dy) view pixels from where it was grabbed: it
    // moves as far over the picture, and one brought flush against an edge
    // of the shown picture lies against that edge of the picture. Its tiles
    // are laid out from there.
    void Drop(MarkKind kind, int32_t dx, int32_t dy, const MarkView& view);

    // The open picture's pixels (24 or 32 bits, the picture's own size),
    // which a mark anchored AutoPlace or of automatic colour is chosen by,
    // as the batch chooses them; without them such a mark keeps its place
    // and colour. They must stay while the picture is open.
    void SeePicture(const CRasterImage* pixels) { picture = pixels; }
    // The open picture's whole pixels came after its reduced view: marks
    // chosen by the picture are chosen again by them.
    std::vector<std::string> SeeWholePicture(const CRasterImage* pixels, const MarkView& view);

    // Blends the shown marks, image first, onto `part`, the area at (left,
    // top) of the open picture, as they lie on it.
    void StampPart(CRasterImage& part, int32_t left, int32_t top) const;

private:
    enum class Placing { Centred, Kept, Anchored };

    // Takes a mark from its dialog or a preset and makes it for the open
    // picture, centred or by its anchor; the reason when it is refused.
    std::optional<std::string> PlaceText(const TextWatermark& edited, const MarkFit& fit, Placing placing,
                                         const MarkView& view);
    std::optional<std::string> PlaceImage(const ImageWatermark& edited, const MarkFit& fit, Placing placing,
                                          const MarkView& view);
    // Both marks made again for the open picture where they lie.
    std::vector<std::string> Refit(const MarkView& view);
    // The marks to change beyond their placement records: copies of them
    // once a state shares them.
    TextWatermark& OwnText();
    ImageWatermark& OwnImage();

    // Makes the layer of a mark that is the same on every picture; false
    // when memory fails for it.
    bool DrawText();
    bool PrepareImage();
    std::optional<std::string> MakeText(Placing placing, const MarkView& view);
    std::optional<std::string> MakeImage(Placing placing, const MarkView& view);
    // Places a made mark on the picture and lays out its tiles.
    std::optional<std::string> Settle(PlacedMark& on, WatermarkBase& settings, const MarkFit& fit,
                                      const char* tooLarge, Placing placing, const MarkView& view);
    void Remember(PlacedMark& on, WatermarkBase& settings) const;
    std::optional<std::string> LayTiles(PlacedMark& on, const MarkFit& fit) const;
    PlacedMark& On(MarkKind kind) { return kind == MarkKind::Text ? textOn : imageOn; }
    // The open picture's pixels when they are there to choose by.
    const CRasterImage* PixelsToChooseBy() const;

    std::shared_ptr<TextWatermark> text = std::make_shared<TextWatermark>();
    std::shared_ptr<ImageWatermark> image = std::make_shared<ImageWatermark>();
    // Set while a state taken holds the mark, so it is copied before a change.
    mutable bool textShared = false;
    mutable bool imageShared = false;
    MarkFit textFit;
    MarkFit imageFit;
    MarkTextFacts facts;  // of the open picture; no picture while its width is 0
    PlacedMark textOn;
    PlacedMark imageOn;
    std::vector<std::string> warnings;
    uint64_t pictureOpened = 0;
    MarkView shownIn;
    const CRasterImage* picture = nullptr;
};

}  // namespace stampora
