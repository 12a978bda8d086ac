#pragma once
// A 3 x 3 grid of alignment cells choosing a mark's anchor, and under it an
// "Auto" cell: each picture's quietest place (AutoPlace). The chosen cell is
// shown by disabling it (its grey image), so it cannot be chosen again until
// another cell is.
#include <QWidget>
#include <array>

#include "app/widgets/AlignmentButton.h"

namespace stampora {

class AlignmentGrid : public QWidget {
    Q_OBJECT
public:
    // `ids` are the nine cells' control ids, row by row from the top left.
    AlignmentGrid(const std::array<int, 9>& ids, QWidget* parent);

    // The id of the chosen cell; 0 while none is, or while Auto is.
    int MarkedCell() const { return markedCell; }
    AlignmentButton* Cell(MarkAlignment alignment) const;
    QAbstractButton* AutoCell() const { return autoCell; }
    // Chooses the cell of an anchor as a click does; a value outside 0..8
    // other than AutoPlace leaves the grid as it is.
    void Choose(int32_t alignment);

signals:
    void Chosen(MarkAlignment alignment);

private:
    void Choose(size_t index);

    std::array<int, 9> ids;
    void ChooseAuto();

    std::array<AlignmentButton*, 9> cells{};
    QAbstractButton* autoCell;
    int markedCell = 0;
};

}  // namespace stampora
