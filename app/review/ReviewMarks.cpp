#include "app/review/ReviewMarks.h"

#include "batch/copy/AutomaticChoices.h"
#include "watermark/StampOnto.h"

namespace stampora {

ReviewMarks::ReviewMarks(const CBatchJob& job)
    : text(job.textMark),
      image(job.imageMark),
      textFit(job.textFit),
      imageFit(job.imageFit),
      fittedText(text, textFit),
      fittedImage(image, imageFit) {
    // As the run does: a fixed mark's layer is made once, for the first
    // picture that can hold it.
    if (text.base.enabled && !textFit.SizeFollowsPicture() && !fittedText.FillsIn())
        fittedText.BuildLayerOnDemand(text.SmallestBase(), [this] { return text.RebuildLayer(); });
    if (image.base.enabled && !imageFit.SizeFollowsPicture())
        fittedImage.BuildLayerOnDemand(image.BaseToBe(), [this] { return image.RebuildLayer(); });
}

std::vector<ShownMark> ReviewMarks::ForPicture(const std::string& path, const ReducedPicture& picture,
                                               int64_t number, const PicturePlacement& placed) {
    std::vector<ShownMark> shown;
    const int32_t width = picture.width;
    const int32_t height = picture.height;
    const MarkTextFacts facts = fittedText.FactsFor(path, width, height, picture.metadata, number);
    PreparedMark prepared[2];
    Status status;
    if (!fittedImage.ForPicture(width, height, prepared[0], status) ||
        !fittedText.ForPicture(facts, prepared[1], status))
        return shown;
    if (ChoosesByPicture(prepared[0], prepared[1], fittedText)) {
        std::string chosen;
        if (!PlaceMarks(RasterOf(picture.pixels), width, height, fittedText, facts, prepared[0], prepared[1],
                        chosen, status))
            return shown;
    }
    const MarkLayout* layouts[2] = {&fittedImage.Layout(), &fittedText.Layout()};
    const MarkKind kinds[2] = {MarkKind::Image, MarkKind::Text};
    for (int i = 0; i < 2; ++i) {
        WatermarkBase& base = prepared[i].base;
        if (!base.enabled || !prepared[i].layer || prepared[i].layer->Bpp() != 32) continue;
        if (ChoosesByPicture(prepared[0], prepared[1], fittedText))
            placed.MoveWhereMoved(base, kinds[i], width, height);
        else
            placed.Place(base, kinds[i], width, height);
        std::vector<TilePlace> places;
        if (LaidOutPlaces(base, *layouts[i], width, height, places, status) != MarkStamp::Stamped) continue;
        ShownMark mark;
        mark.kind = kinds[i];
        mark.layer = ImageOf(*prepared[i].layer);
        for (const TilePlace& place : places) mark.places.emplace_back(place.x, place.y);
        mark.overhang = QPoint(base.overhang.left, base.overhang.top);
        mark.opacity = base.opacity / 100.0;
        mark.movable = !layouts[i]->tile;
        shown.push_back(std::move(mark));
    }
    return shown;
}

CRasterImage RasterOf(const QImage& image) {
    CRasterImage picture;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull() || !picture.Create(argb.width(), argb.height(), 32)) return picture;
    for (int32_t y = 0; y < picture.Height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uint8_t* row = picture.Row(y);
        for (int32_t x = 0; x < picture.Width(); ++x, row += 4) {
            row[0] = static_cast<uint8_t>(qBlue(in[x]));
            row[1] = static_cast<uint8_t>(qGreen(in[x]));
            row[2] = static_cast<uint8_t>(qRed(in[x]));
            row[3] = static_cast<uint8_t>(qAlpha(in[x]));
        }
    }
    return picture;
}

QImage ImageOf(const CRasterImage& picture) {
    if (picture.IsEmpty() || picture.Bpp() != 32) return {};
    QImage image(picture.Width(), picture.Height(), QImage::Format_ARGB32);
    if (image.isNull()) return {};
    for (int32_t y = 0; y < picture.Height(); ++y) {
        const uint8_t* row = picture.Row(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32_t x = 0; x < picture.Width(); ++x, row += 4)
            out[x] = qRgba(row[2], row[1], row[0], row[3]);
    }
    return image;
}

}  // namespace stampora
