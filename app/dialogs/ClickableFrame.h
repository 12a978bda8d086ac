#pragma once
// A framed area that reports a click of the left button released over it.
#include <QFrame>

class ClickableFrame : public QFrame {
    Q_OBJECT
public:
    ClickableFrame(int id, QWidget* parent);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
