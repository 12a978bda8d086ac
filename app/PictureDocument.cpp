#include "app/PictureDocument.h"

#include <utility>

#include "platform/PathJoin.h"

namespace stampora {

bool PictureDocument::LoadPicture(const std::string& newPath, Status* status) {
    auto read = std::make_unique<SourceForCopy>();
    CRasterImage picture;
    const bool wasRead = ReadSourceForCopy(*read, picture, newPath, FormatUnknown, false);
    if (status != nullptr) *status = read->status;
    if (!wasRead) return false;
    // 24- and 32-bit pictures are drawn straight from their own pixels; other
    // depths get a 32-bit copy to draw from.
    CRasterImage shown;
    if (picture.Bpp() != 24 && picture.Bpp() != 32) {
        shown.Assign(picture);
        if (!shown.PromoteDepth(32))
            return status ? status->Fail(Domain::Read, "There is not enough memory to show the picture.")
                          : false;
    }
    source.Swap(picture);
    sourceFile = std::move(read);
    display.Swap(shown);
    reduced.Clear();
    path = newPath;
    fileName = FileNamePart(newPath);
    displayWidth = sourceWidth = source.Width();
    displayHeight = sourceHeight = source.Height();
    zoom = 1.0f;
    loaded = true;
    zoomFixed = false;
    return true;
}

void PictureDocument::FitToBox(int32_t clientWidth, int32_t clientHeight) {
    if (!loaded) return;
    if (sourceWidth > kFitBoxWidth || sourceHeight > kFitBoxHeight) {
        const double sx = static_cast<double>(kFitBoxWidth) / sourceWidth;
        const float sy = static_cast<float>(static_cast<double>(kFitBoxHeight) / sourceHeight);
        if (sx < sy) {
            zoom = static_cast<float>(sx);
            displayWidth = kFitBoxWidth;
            displayHeight = static_cast<int32_t>(sourceHeight * sx);
        } else {
            zoom = sy;
            displayHeight = kFitBoxHeight;
            displayWidth = static_cast<int32_t>(sourceWidth * static_cast<double>(sy));
        }
    }
    CenterPicture(clientWidth, clientHeight);
}

void PictureDocument::CenterPicture(int32_t clientWidth, int32_t clientHeight) {
    displayRect.left = displayWidth < clientWidth ? (clientWidth - displayWidth) / 2 + 1 : 0;
    displayRect.right = displayRect.left + displayWidth;
    displayRect.top = displayHeight < clientHeight ? (clientHeight - displayHeight) / 2 + 1 : 0;
    displayRect.bottom = displayRect.top + displayHeight;
}

void PictureDocument::SetZoom(float newZoom, int32_t clientWidth, int32_t clientHeight) {
    zoom = newZoom;
    displayWidth = static_cast<int32_t>(sourceWidth * static_cast<double>(newZoom));
    displayHeight = static_cast<int32_t>(static_cast<double>(newZoom) * sourceHeight);
    CenterPicture(clientWidth, clientHeight);
    zoomFixed = true;
}

const CRasterImage& PictureDocument::Shown() const {
    return display.IsEmpty() ? source : display;
}

const CRasterImage& PictureDocument::PaintSource() const {
    if (zoom >= 1.0f) return Shown();
    return reduced.SourceFor(Shown(), displayWidth, displayHeight);
}

std::string FileNamePart(const std::string& path) {
    const size_t slash = path.rfind(kPathSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace stampora
