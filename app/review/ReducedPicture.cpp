#include "app/review/ReducedPicture.h"

#include <QImageReader>

#include "app/dialogs/DialogFields.h"
#include "app/review/ReviewMarks.h"
#include "codecs/ImageFormat.h"
#include "codecs/PictureFiles.h"
#include "codecs/metadata/ImageProperties.h"
#include "image/RasterImage.h"

namespace stampora {

namespace {

// A JPEG through Qt's reader, which asks libjpeg for the smallest DCT scale
// that still covers the size asked for; nothing when it cannot read it.
bool ReadScaledJpeg(const std::string& path, int maxSide, ReducedPicture& read) {
    QImageReader reader(QStringFromUtf8(path), "jpeg");
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty()) return false;
    if (stored.width() > maxSide || stored.height() > maxSide)
        reader.setScaledSize(stored.scaled(maxSide, maxSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage pixels = reader.read();
    if (pixels.isNull()) return false;
    const bool turned = (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
    read.width = turned ? stored.height() : stored.width();
    read.height = turned ? stored.width() : stored.height();
    read.pixels = std::move(pixels);
    return true;
}

}  // namespace

ReducedPicture ReadReduced(const std::string& path, int maxSide, bool withMetadata) {
    ReducedPicture read;
    if (!withMetadata && FormatFromPath(path) == FormatJpeg && ReadScaledJpeg(path, maxSide, read))
        return read;
    CRasterImage picture;
    Status status;
    if (!CPictureFiles::Load(picture, path, withMetadata ? &read.metadata : nullptr, &status) ||
        picture.IsEmpty() || !picture.PromoteDepth(32, &status)) {
        read.error = status.Failed() ? status.Error() : "not a picture";
        return read;
    }
    read.width = picture.Width();
    read.height = picture.Height();
    const QImage whole = ImageOf(picture);
    picture.Destroy();
    read.pixels = whole.width() > maxSide || whole.height() > maxSide
                      ? whole.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                      : whole;
    if (read.pixels.isNull()) read.error = "not enough memory";
    return read;
}

}  // namespace stampora
