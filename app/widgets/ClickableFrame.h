#pragma once
// A framed area that acts like a button: a click of the left button released
// over it, or the space bar while it has the focus (its frame is then drawn
// thicker), reports Clicked.
#include <QFrame>

namespace stampora {

class ClickableFrame : public QFrame {
    Q_OBJECT
public:
    ClickableFrame(int id, QWidget* parent);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace stampora
