#pragma once
// The image dialog's preview: a framed area that shows a picture stretched
// over the whole of it (proportions not kept, nearest pixel, as a quick look
// does) and asks for another picture when clicked.
#include <QImage>

#include "app/widgets/ClickableFrame.h"

namespace stampora {

class CRasterImage;

class PicturePreview : public ClickableFrame {
    Q_OBJECT
public:
    PicturePreview(int id, QWidget* parent);

    // Shows `picture`; an empty picture shows nothing.
    void SetPicture(const CRasterImage& picture);
    const QImage& Shown() const { return shown; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage shown;
};

// The picture as a 32-bit QImage with straight alpha, reduced (nearest pixel)
// so that neither side exceeds `maxSide`: the preview never holds a second
// full copy of a large picture.
QImage PreviewImage(const CRasterImage& picture, int maxSide);

}  // namespace stampora
