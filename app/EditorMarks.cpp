#include "app/EditorMarks.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "image/DrawingSurface.h"
#include "watermark/FittedMark.h"
#include "watermark/StampOnto.h"
#include "watermark/WatermarkMessages.h"
#include "watermark/auto/QuietPlace.h"
#include "watermark/auto/ReadableTone.h"

namespace stampora {

namespace {

bool StrictlyInside(const PixelRect& r, int32_t x, int32_t y) {
    return r.left < x && x < r.right && r.top < y && y < r.bottom;
}

// Shifts a rectangle into bounds: left, then top, then bottom, then right, so
// a rectangle larger than the bounds ends flush with their bottom-right.
void ClampInto(PixelRect& r, const PixelRect& bounds) {
    if (r.left < bounds.left) r = OffsetRect(r, bounds.left - r.left, 0);
    if (r.top < bounds.top) r = OffsetRect(r, 0, bounds.top - r.top);
    if (r.bottom > bounds.bottom) r = OffsetRect(r, 0, bounds.bottom - r.bottom);
    if (r.right > bounds.right) r = OffsetRect(r, bounds.right - r.right, 0);
}

// The position that keeps the layer of a mark that fits inside the picture.
int32_t KeptInside(int64_t position, int32_t overhang, int32_t cover, int32_t side) {
    return static_cast<int32_t>(std::clamp<int64_t>(position, overhang, int64_t{side} - cover + overhang));
}

// A mark's position on one axis after it was dragged `moved` view pixels:
// as far over the picture at the zoom, or against the edge it was brought
// flush to, and inside the picture.
int32_t Dropped(int32_t position, int32_t overhang, int32_t cover, int32_t side, int32_t moved, float zoom,
                bool atStart, bool atEnd) {
    if (moved == 0) return position;
    int64_t layer = int64_t{position} - overhang + std::llround(moved / static_cast<double>(zoom));
    if (moved < 0 && atStart) layer = 0;
    if (moved > 0 && atEnd) layer = int64_t{side} - cover;
    return KeptInside(layer + overhang, overhang, cover, side);
}

bool SameView(const MarkView& a, const MarkView& b) {
    return a.zoom == b.zoom && a.rect.left == b.rect.left && a.rect.top == b.rect.top &&
           a.rect.right == b.rect.right && a.rect.bottom == b.rect.bottom;
}

std::string Refused(const char* mark, const std::string& reason) {
    return std::string("The ") + mark + " is not shown on this picture: " + reason + ".";
}

// A layer made from the mark's own is held together with the mark, so it
// lives as long as any state that shows it.
template <typename Mark>
void HoldOwnLayer(PreparedMark& made, const std::shared_ptr<Mark>& mark) {
    if (made.layer.get() == &mark->layer)
        made.layer = std::shared_ptr<const CRasterImage>(mark, &mark->layer);
}

}  // namespace

std::vector<std::string> EditorMarks::FitToPicture(const MarkTextFacts& picture, const MarkView& view) {
    facts = picture;
    ++pictureOpened;
    return Refit(view);
}

std::vector<std::string> EditorMarks::Refit(const MarkView& view) {
    std::vector<std::string> refused;
    if (auto reason = MakeImage(Placing::Kept, view)) refused.push_back(*reason);
    if (auto reason = MakeText(Placing::Kept, view)) refused.push_back(*reason);
    return refused;
}

std::vector<std::string> EditorMarks::SeeWholePicture(const CRasterImage* pixels, const MarkView& view) {
    picture = pixels;
    const bool chosen = (text->base.enabled && (text->autoColour || text->base.alignment == AutoPlace)) ||
                        (image->base.enabled && image->base.alignment == AutoPlace);
    return chosen ? Refit(view) : std::vector<std::string>{};
}

std::vector<std::string> EditorMarks::TakeText(const TextWatermark& edited, const MarkFit& fit,
                                               const MarkView& view) {
    if (auto reason = PlaceText(edited, fit, Placing::Centred, view)) return {*reason};
    return {};
}

std::vector<std::string> EditorMarks::TakeImage(const ImageWatermark& edited, const MarkFit& fit,
                                                const MarkView& view) {
    if (auto reason = PlaceImage(edited, fit, Placing::Centred, view)) return {*reason};
    return {};
}

std::vector<std::string> EditorMarks::TakeAnchored(const TextWatermark& textMark, const MarkFit& newTextFit,
                                                   const ImageWatermark& imageMark,
                                                   const MarkFit& newImageFit, const MarkView& view) {
    std::vector<std::string> refused;
    if (imageMark.base.enabled) {
        if (auto reason = PlaceImage(imageMark, newImageFit, Placing::Anchored, view))
            refused.push_back(*reason);
    }
    if (textMark.base.enabled) {
        if (auto reason = PlaceText(textMark, newTextFit, Placing::Anchored, view))
            refused.push_back(*reason);
    }
    return refused;
}

std::optional<std::string> EditorMarks::PlaceText(const TextWatermark& edited, const MarkFit& fit,
                                                  Placing placing, const MarkView& view) {
    text = std::make_shared<TextWatermark>(edited);
    textShared = false;
    textFit = fit;
    textOn.placed = false;
    textOn.anchored = placing == Placing::Anchored;
    text->UpdateParams();
    if (!DrawText()) {
        textOn.shown = false;
        return Refused("text watermark", "there is not enough memory to draw it");
    }
    return MakeText(placing, view);
}

std::optional<std::string> EditorMarks::PlaceImage(const ImageWatermark& edited, const MarkFit& fit,
                                                   Placing placing, const MarkView& view) {
    image = std::make_shared<ImageWatermark>(edited);
    imageShared = false;
    imageFit = fit;
    imageOn.placed = false;
    imageOn.anchored = placing == Placing::Anchored;
    if (!PrepareImage()) {
        imageOn.shown = false;
        return Refused("image watermark", "there is not enough memory to prepare it");
    }
    return MakeImage(placing, view);
}

std::vector<std::string> EditorMarks::SetFits(const MarkFit& newTextFit, const MarkFit& newImageFit,
                                              const MarkView& view) {
    textFit = newTextFit;
    imageFit = newImageFit;
    std::vector<std::string> refused;
    if (!DrawText()) refused.push_back(Refused("text watermark", "there is not enough memory to draw it"));
    if (!PrepareImage())
        refused.push_back(Refused("image watermark", "there is not enough memory to prepare it"));
    if (!refused.empty()) {
        textOn.shown = imageOn.shown = false;
        return refused;
    }
    return Refit(view);
}

MarkState EditorMarks::State() const {
    // From here on a change to either mark is made to a copy of it.
    textShared = imageShared = true;
    return {text, image, text->base, image->base, textFit, imageFit, textOn, imageOn, pictureOpened, shownIn};
}

std::vector<std::string> EditorMarks::Restore(const MarkState& state, const MarkView& view) {
    text = std::make_shared<TextWatermark>(*state.text);
    image = std::make_shared<ImageWatermark>(*state.image);
    text->base = state.textBase;
    image->base = state.imageBase;
    textShared = imageShared = false;
    textFit = state.textFit;
    imageFit = state.imageFit;
    textOn = state.textOn;
    imageOn = state.imageOn;
    if (state.pictureOpened == pictureOpened) {
        // Rectangles made for this very view stay as they were: made again
        // from the picture positions they could round another way.
        if (!SameView(state.shownIn, view)) FollowView(view);
        return {};
    }
    // Placed on an earlier picture: made again for this one, where they lay.
    return Refit(view);
}

void EditorMarks::Remove(MarkKind kind) {
    (kind == MarkKind::Text ? text->base : image->base).enabled = false;
    PlacedMark& on = On(kind);
    on = PlacedMark{};
}

TextWatermark& EditorMarks::OwnText() {
    if (textShared) text = std::make_shared<TextWatermark>(*text);
    textShared = false;
    return *text;
}

ImageWatermark& EditorMarks::OwnImage() {
    if (imageShared) image = std::make_shared<ImageWatermark>(*image);
    imageShared = false;
    return *image;
}

std::vector<std::string> EditorMarks::TakeWarnings() {
    return std::exchange(warnings, {});
}

bool EditorMarks::DrawText() {
    // A mark drawn the same on every picture is drawn once, here; any other
    // is drawn for each picture.
    if (!text->base.enabled || text->font.height < 1) return true;
    if (textFit.SizeFollowsPicture() || CFittedTextMark(*text, textFit).FillsIn()) return true;
    return OwnText().RebuildLayer();
}

bool EditorMarks::PrepareImage() {
    if (!image->base.enabled || image->source.IsEmpty() || imageFit.SizeFollowsPicture()) return true;
    return OwnImage().RebuildLayer();
}

std::optional<std::string> EditorMarks::MakeText(Placing placing, const MarkView& view) {
    textOn.shown = false;
    textOn.places.clear();
    if (facts.width <= 0 || !text->base.enabled || text->font.height < 1) return std::nullopt;
    CFittedTextMark fitted(*text, textFit);
    Status status;
    const bool made = fitted.ForPicture(facts, textOn.made, status);
    if (const std::string warning = status.Warning(Domain::Mark); !warning.empty())
        warnings.push_back(warning);
    if (!made) return Refused("text watermark", status.Error());
    HoldOwnLayer(textOn.made, text);
    std::optional<std::string> refused =
        Settle(textOn, text->base, textFit, kTextMarkTooLargeMessage, placing, view);
    // Made white; black, where it is, when that reads better there.
    const CRasterImage* pixels = PixelsToChooseBy();
    if (refused || !fitted.AutoColour() || !pixels ||
        ReadableTone(CPictureSurvey(*pixels), textOn.made.base).lightText)
        return refused;
    if (!fitted.ForPicture(facts, textOn.made, status, false))
        return Refused("text watermark", status.Error());
    HoldOwnLayer(textOn.made, text);
    return Settle(textOn, text->base, textFit, kTextMarkTooLargeMessage, placing, view);
}

const CRasterImage* EditorMarks::PixelsToChooseBy() const {
    const bool usable = picture && picture->Width() == facts.width && picture->Height() == facts.height;
    return usable ? picture : nullptr;
}

std::optional<std::string> EditorMarks::MakeImage(Placing placing, const MarkView& view) {
    imageOn.shown = false;
    imageOn.places.clear();
    if (facts.width <= 0 || !image->base.enabled || image->source.IsEmpty()) return std::nullopt;
    CFittedImageMark fitted(*image, imageFit);
    Status status;
    if (!fitted.ForPicture(facts.width, facts.height, imageOn.made, status))
        return Refused("image watermark", status.Error());
    HoldOwnLayer(imageOn.made, image);
    return Settle(imageOn, image->base, imageFit, kImageMarkTooLargeMessage, placing, view);
}

std::optional<std::string> EditorMarks::Settle(PlacedMark& on, WatermarkBase& settings, const MarkFit& fit,
                                               const char* tooLarge, Placing placing, const MarkView& view) {
    WatermarkBase& base = on.made.base;
    shownIn = view;
    base.pictureWidth = facts.width;
    base.pictureHeight = facts.height;
    if (!base.Fits()) return std::string(tooLarge);
    if (on.anchored && placing != Placing::Centred) {
        // Where the batch tool puts it, and left off where it would.
        if (!FitsWithinMargins(base.CoverWidth(), base.CoverHeight(), facts.width, facts.height, base.margin))
            return std::string(tooLarge);
        const CRasterImage* pixels = PixelsToChooseBy();
        if (base.alignment == AutoPlace && pixels) {
            // The text, made after the image, keeps clear of it; when both
            // choose, they are chosen together as the batch chooses them.
            const bool isText = &on == &textOn;
            WatermarkBase other = imageOn.made.base;
            other.enabled = isText && imageOn.shown;
            const bool both = other.enabled && imageOn.anchored && image->base.alignment == AutoPlace;
            if (!imageOn.anchored) other.alignment = -1;  // where it was put
            if (both) other.alignment = AutoPlace;
            const std::vector<int32_t> anchors =
                ChooseQuietAnchors(CPictureSurvey(*pixels), facts.width, facts.height,
                                   isText ? std::vector{other, base} : std::vector{base, other});
            base.alignment = anchors[isText ? 1 : 0];
            if (both) {
                WatermarkBase& moved = imageOn.made.base;
                moved.alignment = anchors[0];
                moved.PlaceByAlignment(facts.width, facts.height);
                moved.RectFromPosition(view.rect, view.zoom);
                LayTiles(imageOn, imageFit);
                Remember(imageOn, image->base);
            }
        }
        base.PlaceByAlignment(facts.width, facts.height);
        base.RectFromPosition(view.rect, view.zoom);
    } else if (placing == Placing::Centred || !on.placed) {
        base.CenterInView(view.rect, view.zoom);
    } else {
        int64_t x = settings.x;
        int64_t y = settings.y;
        if (fit.SizeFollowsPicture()) {
            x = std::llround(on.centreX * facts.width - base.CoverWidth() / 2.0) + base.overhang.left;
            y = std::llround(on.centreY * facts.height - base.CoverHeight() / 2.0) + base.overhang.top;
        }
        base.x = KeptInside(x, base.overhang.left, base.CoverWidth(), facts.width);
        base.y = KeptInside(y, base.overhang.top, base.CoverHeight(), facts.height);
        base.RectFromPosition(view.rect, view.zoom);
    }
    if (auto reason = LayTiles(on, fit)) return reason;
    Remember(on, settings);
    on.shown = true;
    return std::nullopt;
}

std::optional<std::string> EditorMarks::LayTiles(PlacedMark& on, const MarkFit& fit) const {
    const WatermarkBase& base = on.made.base;
    on.places.clear();
    if (fit.layout.tile) {
        Status status;
        if (LaidOutPlaces(base, fit.layout, facts.width, facts.height, on.places, status) ==
            MarkStamp::Failed)
            return Refused(&on == &textOn ? "text watermark" : "image watermark", status.Error());
    }
    // Untiled, or a tiled mark with no room for its margin: the mark alone.
    if (on.places.empty()) on.places.push_back({base.LayerX(), base.LayerY()});
    return std::nullopt;
}

void EditorMarks::Remember(PlacedMark& on, WatermarkBase& settings) const {
    const WatermarkBase& base = on.made.base;
    settings.x = base.x;
    settings.y = base.y;
    settings.pictureWidth = facts.width;
    settings.pictureHeight = facts.height;
    on.centreX = (base.LayerX() + base.CoverWidth() / 2.0) / facts.width;
    on.centreY = (base.LayerY() + base.CoverHeight() / 2.0) / facts.height;
    on.placed = true;
}

void EditorMarks::FollowView(const MarkView& view) {
    shownIn = view;
    for (PlacedMark* on : {&imageOn, &textOn}) {
        if (on->shown) on->made.base.RectFromPosition(view.rect, view.zoom);
    }
}

std::optional<MarkKind> EditorMarks::MarkAt(int32_t x, int32_t y) const {
    if (textOn.shown && StrictlyInside(textOn.made.base.screenRect, x, y)) return MarkKind::Text;
    if (imageOn.shown && StrictlyInside(imageOn.made.base.screenRect, x, y)) return MarkKind::Image;
    return std::nullopt;
}

void EditorMarks::Move(MarkKind kind, int32_t dx, int32_t dy, const MarkView& view) {
    shownIn = view;
    PixelRect& rect = On(kind).made.base.screenRect;
    rect = OffsetRect(rect, dx, dy);
    ClampInto(rect, view.rect);
}

void EditorMarks::Drop(MarkKind kind, int32_t dx, int32_t dy, const MarkView& view) {
    PlacedMark& on = On(kind);
    on.anchored = false;
    WatermarkBase& base = on.made.base;
    const PixelRect& r = base.screenRect;
    base.x = Dropped(base.x, base.overhang.left, base.CoverWidth(), facts.width, dx, view.zoom,
                     r.left <= view.rect.left, r.right >= view.rect.right);
    base.y = Dropped(base.y, base.overhang.top, base.CoverHeight(), facts.height, dy, view.zoom,
                     r.top <= view.rect.top, r.bottom >= view.rect.bottom);
    base.RectFromPosition(view.rect, view.zoom);
    // Moving the grid does not change how many tiles it takes enough to be
    // refused where it was not.
    LayTiles(on, kind == MarkKind::Text ? textFit : imageFit);
    Remember(on, kind == MarkKind::Text ? text->base : image->base);
    // A text of automatic colour takes the tone that reads where it was let go.
    if (kind == MarkKind::Text && text->autoColour) MakeText(Placing::Kept, view);
}

void EditorMarks::StampPart(CRasterImage& part, int32_t left, int32_t top) const {
    if (part.IsEmpty() || part.Bpp() != 32) return;
    for (const PlacedMark* on : {&imageOn, &textOn}) {
        if (!on->shown || !on->made.layer || on->made.layer->Bpp() != 32) continue;
        for (const TilePlace& place : on->places)
            part.BlendLayer(*on->made.layer, place.x - left, place.y - top, on->made.base.opacity);
    }
}

}  // namespace stampora
