#pragma once
// The editor's one picture: the source as loaded, the 32-bit copy it is shown
// from with its smoothly reduced levels, and where and how large it is shown.
#include <cstdint>
#include <string>

#include "image/DibTypes.h"
#include "image/RasterImage.h"
#include "image/ReducedLevels.h"
#include "platform/FileStatus.h"

class PictureDocument {
public:
    // A newly opened picture is shrunk to fit this box, whatever the window.
    static constexpr int32_t kFitBoxWidth = 640;
    static constexpr int32_t kFitBoxHeight = 480;

    // Loads a picture (UTF-8 path). On success the document holds it at zoom
    // 1.0 and answers true; otherwise the document keeps what it held, the
    // reason is in `status`, and the answer is false. Either way the next
    // layout fits the picture again.
    bool LoadPicture(const std::string& path, FileStatus* status);

    // Shrinks the display to the fit box (a picture that fits keeps its zoom),
    // then centres it in a client area of cw x ch.
    void FitToBox(int32_t clientWidth, int32_t clientHeight);
    // Places the display in the client area: centred, one pixel right of and
    // below the exact centre to leave room for the frame, or at 0 on an axis
    // where it does not fit.
    void CenterPicture(int32_t clientWidth, int32_t clientHeight);
    // Shows the picture at exactly `zoom`, which from now on is kept.
    void SetZoom(float newZoom, int32_t clientWidth, int32_t clientHeight);

    // What the display is drawn from at the current zoom: the display copy at
    // 100 % and above, a reduced level that is still at least as large below.
    const CRasterImage& PaintSource() const;

    std::string path;      // as opened
    std::string fileName;  // the name part of the path
    CRasterImage source;
    CRasterImage display;
    CReducedLevels reduced;
    float zoom = 1.0f;
    int32_t displayWidth = 0;
    int32_t displayHeight = 0;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    bool loaded = false;
    bool zoomFixed = false;
    PixelRect displayRect{0, 0, 0, 0};
};

// The part of a path after its last separator; the whole path without one.
std::string FileNamePart(const std::string& path);
