#include "app/ProgramIcon.h"

// The images are compiled in; naming their initialiser keeps them linked in
// programs that take the editor from a static library.
static void EnsureImages() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(stampora);
        return true;
    }();
    (void)registered;
}

namespace stampora {

namespace {
constexpr int kToolbarImageSize = 32;
}

QIcon ProgramIcon() {
    EnsureImages();
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/stampora/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

QIcon ToolbarIcon(int index) {
    EnsureImages();
    const QPixmap strip(QStringLiteral(":/stampora/toolbar.png"));
    return QIcon(strip.copy(index * kToolbarImageSize, 0, kToolbarImageSize, kToolbarImageSize));
}

}  // namespace stampora
