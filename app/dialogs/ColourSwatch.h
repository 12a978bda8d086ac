#pragma once
// A framed patch filled with a colour; clicking it asks to choose another.
#include <QColor>
#include <QFrame>

#include "watermark/RgbColour.h"

class ColourSwatch : public QFrame {
    Q_OBJECT
public:
    ColourSwatch(int id, QWidget* parent);

    void SetColour(RgbColour colour);
    QColor Colour() const { return colour; }

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor colour = Qt::black;
};
