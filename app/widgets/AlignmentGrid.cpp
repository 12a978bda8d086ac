#include "app/widgets/AlignmentGrid.h"

#include <QGridLayout>
#include <QToolButton>

namespace stampora {

namespace {

struct CellLook {
    MarkAlignment alignment;
    const char* strip;
};

// Row by row from the top left.
constexpr std::array<CellLook, 9> kCells{{
    {LeftTop, ":/alignment/left-top.bmp"},
    {Top, ":/alignment/top.bmp"},
    {RightTop, ":/alignment/right-top.bmp"},
    {Left, ":/alignment/left.bmp"},
    {Center, ":/alignment/center.bmp"},
    {Right, ":/alignment/right.bmp"},
    {LeftBottom, ":/alignment/left-bottom.bmp"},
    {Bottom, ":/alignment/bottom.bmp"},
    {RightBottom, ":/alignment/right-bottom.bmp"},
}};

}  // namespace

}  // namespace stampora

// The cell images are compiled in; naming them here keeps them linked in
// when the editor's code comes from a static library. (Outside any
// namespace, as the resource's registration function is.)
static void EnsureCellImages() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(dialogs);
        return true;
    }();
    (void)registered;
}

namespace stampora {

AlignmentGrid::AlignmentGrid(const std::array<int, 9>& ids, QWidget* parent) : QWidget(parent), ids(ids) {
    EnsureCellImages();
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (size_t i = 0; i < kCells.size(); ++i) {
        auto* cell =
            new AlignmentButton(ids[i], kCells[i].alignment, QString::fromLatin1(kCells[i].strip), this);
        cells[i] = cell;
        layout->addWidget(cell, static_cast<int>(i / 3), static_cast<int>(i % 3));
        connect(cell, &AlignmentButton::clicked, this, [this, i] { Choose(i); });
    }
    autoCell = new QToolButton(this);
    autoCell->setObjectName(QStringLiteral("autoPlace"));
    autoCell->setText(QStringLiteral("Auto"));
    autoCell->setToolTip(QStringLiteral("On each picture, the place where the mark covers the least detail"));
    autoCell->setFixedHeight(18);
    autoCell->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout->addWidget(autoCell, 3, 0, 1, 3);
    connect(autoCell, &QAbstractButton::clicked, this, [this] { ChooseAuto(); });
    setFixedSize(sizeHint());
}

AlignmentButton* AlignmentGrid::Cell(MarkAlignment alignment) const {
    for (AlignmentButton* cell : cells) {
        if (cell->Alignment() == alignment) return cell;
    }
    return nullptr;
}

void AlignmentGrid::Choose(int32_t alignment) {
    if (alignment == AutoPlace) ChooseAuto();
    for (size_t i = 0; i < cells.size(); ++i) {
        if (cells[i]->Alignment() == alignment) Choose(i);
    }
}

void AlignmentGrid::ChooseAuto() {
    for (AlignmentButton* cell : cells) cell->setEnabled(true);
    autoCell->setEnabled(false);
    markedCell = 0;
    emit Chosen(AutoPlace);
}

void AlignmentGrid::Choose(size_t index) {
    for (AlignmentButton* cell : cells) cell->setEnabled(true);
    autoCell->setEnabled(true);
    cells[index]->setEnabled(false);
    markedCell = ids[index];
    emit Chosen(cells[index]->Alignment());
}

}  // namespace stampora
