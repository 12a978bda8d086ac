#pragma once
// The program's own images, drawn by the project (app/resources/make-icons.sh)
// and compiled in.
#include <QIcon>
#include <QPixmap>

namespace stampora {

// The program icon in every size it was drawn at.
QIcon ProgramIcon();
// Toolbar image `index` (0 open, 1 save, 2 text mark, 3 image mark, 4 zoom
// in, 5 full size, 6 zoom out, 7 about), cut from the strip of 32 x 32 images.
QIcon ToolbarIcon(int index);

}  // namespace stampora
