#pragma once
// One cell of an alignment grid: a 16 x 16 button drawn from a strip of four
// images (normal, pushed, hot, disabled), with its anchor's tooltip.
#include <QAbstractButton>
#include <QPixmap>
#include <array>

#include "watermark/MarkAlignment.h"

namespace stampora {

class AlignmentButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Image { Normal = 0, Pushed = 1, Hot = 2, Disabled = 3 };

    // `strip` is a resource path of a 64 x 16 picture whose colour
    // RGB (235, 233, 237) is transparent.
    AlignmentButton(int id, MarkAlignment alignment, const QString& strip, QWidget* parent);

    MarkAlignment Alignment() const { return alignment; }
    // The image the button shows in its present state.
    Image CurrentImage() const;
    const QPixmap& ImageOf(Image image) const { return images[image]; }

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    MarkAlignment alignment;
    std::array<QPixmap, 4> images;
    bool hovered = false;
};

}  // namespace stampora
