#pragma once
// A framed patch filled with a colour; clicking it asks to choose another.
#include <QColor>

#include "app/widgets/ClickableFrame.h"
#include "watermark/RgbColour.h"

namespace stampora {

class ColourSwatch : public ClickableFrame {
    Q_OBJECT
public:
    ColourSwatch(int id, QWidget* parent);

    void SetColour(RgbColour colour);
    QColor Colour() const { return colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour = Qt::black;
};

}  // namespace stampora
