#include "app/ProgramIcon.h"

#include <utility>

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
    // The 64-pixel image is drawn on screens of two device pixels per pixel.
    QIcon icon;
    for (const auto& [file, size] :
         {std::pair{QStringLiteral(":/stampora/toolbar.png"), kToolbarImageSize},
          std::pair{QStringLiteral(":/stampora/toolbar-64.png"), 2 * kToolbarImageSize}}) {
        const QPixmap strip(file);
        icon.addPixmap(strip.copy(index * size, 0, size, size));
    }
    return icon;
}

}  // namespace stampora
