#include "app/PictureDocument.h"

#include <utility>

#include "codecs/jpeg/JpegCodec.h"
#include "image/RowConversion.h"
#include "platform/PathJoin.h"

namespace stampora {

namespace {

constexpr const char* kNoMemoryToShow = "There is not enough memory to show the picture.";
// The squares of the checkerboard under transparent pixels.
constexpr uint8_t kLightSquare = 0xFF;
constexpr uint8_t kDarkSquare = 0xCC;

// A 32-bit picture as it shows over a grey, opaque.
bool OverGrey(const CRasterImage& picture, uint8_t grey, CRasterImage& shown) {
    if (!shown.Create(picture.Width(), picture.Height(), 32)) return false;
    const size_t width = static_cast<size_t>(picture.Width());
    for (int32_t y = 0; y < picture.Height(); ++y) {
        const uint8_t* in = picture.Row(y);
        uint8_t* out = shown.Row(y);
        for (size_t x = 0; x < 4 * width; x += 4) {
            const unsigned alpha = in[x + 3];
            const unsigned under = grey * (255u - alpha);
            for (size_t c = 0; c < 3; ++c)
                out[x + c] = static_cast<uint8_t>((in[x + c] * alpha + under + 127u) / 255u);
            out[x + 3] = 255;
        }
    }
    return true;
}

}  // namespace

bool PictureDocument::LoadPicture(const std::string& newPath, Status* status) {
    auto read = std::make_unique<SourceForCopy>();
    CRasterImage picture;
    if (read->file.Open(newPath, read->status) && read->file.Format() == FormatJpeg) {
        // A JPEG larger than the opening view is shown at once from a reduced
        // decode; one that fails it is read whole below and tells why there.
        const std::vector<uint8_t>& bytes = read->file.Bytes();
        ScaledJpeg scaled;
        Status first;
        if (ReadScaledJpeg(bytes.data(), bytes.size(), {kFitBoxWidth, kFitBoxHeight}, scaled, first) &&
            scaled.scale > 1) {
            if (scaled.picture.Bpp() != 24 && !scaled.picture.PromoteDepth(32))
                return status ? status->Fail(Domain::Read, kNoMemoryToShow) : false;
            if (status != nullptr) *status = first;
            firstView.Swap(scaled.picture);
            RetireShown();
            pendingRead = std::move(read);
            Reset(newPath, scaled.fullWidth, scaled.fullHeight);
            return true;
        }
    }
    // A file already opened, or refused, is not opened again.
    const bool wasRead = ReadSourceForCopy(*read, picture, newPath, FormatUnknown, false);
    if (status != nullptr) *status = read->status;
    if (!wasRead || !TakePicture(picture, read, status)) return false;
    firstView.Destroy();
    pendingRead.reset();
    Reset(newPath, source.Width(), source.Height());
    return true;
}

PictureDocument::WholePicture PictureDocument::ReadWhole(std::unique_ptr<SourceForCopy> file) {
    WholePicture whole;
    whole.file = std::move(file);
    const std::string path = whole.file->file.Path();
    whole.read = ReadSourceForCopy(*whole.file, whole.picture, path, FormatUnknown, false);
    return whole;
}

bool PictureDocument::TakeWhole(WholePicture& whole) {
    Status* status = &whole.file->status;
    if (!whole.read) return false;
    // Both come from the same bytes; a whole picture of another size than its
    // reduced view promised is not mixed with the marks placed on that view.
    if (whole.picture.Width() != sourceWidth || whole.picture.Height() != sourceHeight)
        return status->Fail(Domain::Read, "the whole picture is not the size its header gave");
    if (!TakePicture(whole.picture, whole.file, status)) return false;
    firstView.Destroy();
    return true;
}

bool PictureDocument::TakePicture(CRasterImage& picture, std::unique_ptr<SourceForCopy>& read,
                                  Status* status) {
    // 24- and 32-bit pictures are drawn straight from their own pixels; other
    // depths get a 32-bit copy to draw from.
    CRasterImage shown;
    CRasterImage dark;
    if (picture.Bpp() != 24 && picture.Bpp() != 32) {
        shown.Assign(picture);
        if (!shown.PromoteDepth(32)) return status ? status->Fail(Domain::Read, kNoMemoryToShow) : false;
    } else if (!IsOpaque(picture)) {
        if (!OverGrey(picture, kLightSquare, shown) || !OverGrey(picture, kDarkSquare, dark))
            return status ? status->Fail(Domain::Read, kNoMemoryToShow) : false;
    }
    source.Swap(picture);
    sourceFile = std::move(read);
    display.Swap(shown);
    displayDark.Swap(dark);
    reduced.Clear();
    reducedDark.Clear();
    return true;
}

void PictureDocument::RetireShown() {
    retired = std::make_unique<Retired>();
    retired->source.Swap(source);
    retired->display.Swap(display);
    retired->displayDark.Swap(displayDark);
    std::swap(retired->reduced, reduced);
    std::swap(retired->reducedDark, reducedDark);
    retired->file = std::move(sourceFile);
}

void PictureDocument::Reset(const std::string& newPath, int32_t width, int32_t height) {
    reduced.Clear();
    reducedDark.Clear();
    path = newPath;
    fileName = FileNamePart(newPath);
    displayWidth = sourceWidth = width;
    displayHeight = sourceHeight = height;
    zoom = 1.0f;
    loaded = true;
    zoomFixed = false;
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
    if (!Whole()) return firstView;
    if (zoom >= 1.0f) return Shown();
    return reduced.SourceFor(Shown(), displayWidth, displayHeight);
}

bool PictureDocument::BuildLevels(Levels& levels) const {
    if (levels.shown.Build(Shown()) && (displayDark.IsEmpty() || levels.dark.Build(displayDark))) return true;
    levels.shown.Clear();
    levels.dark.Clear();
    return false;
}

void PictureDocument::TakeLevels(Levels& levels) {
    reduced = std::move(levels.shown);
    reducedDark = std::move(levels.dark);
}

std::string FileNamePart(const std::string& path) {
    const size_t slash = path.rfind(kPathSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace stampora
