#include "app/widgets/ArrowPair.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace stampora {

namespace {

QToolButton* MakeArrow(Qt::ArrowType type, const char* name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(type);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 11);
    return button;
}

}  // namespace

ArrowPair::ArrowPair(int id, QWidget* parent)
    : QWidget(parent), up(MakeArrow(Qt::UpArrow, "up", this)), down(MakeArrow(Qt::DownArrow, "down", this)) {
    setObjectName(QStringLiteral("id%1").arg(id));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { emit Stepped(ArrowStep::Up); });
    connect(down, &QToolButton::clicked, this, [this] { emit Stepped(ArrowStep::Down); });
}

}  // namespace stampora
