#pragma once
// The editor's one picture: the source as loaded, what it is drawn from (its
// own pixels or a 32-bit copy) with smoothly reduced levels, and where and how
// large it is shown. A large JPEG first comes as a reduced view, decoded at a
// fraction of its size, while the whole picture is read in the background.
#include <cstdint>
#include <memory>
#include <string>

#include "batch/copy/SourceForCopy.h"
#include "image/DibTypes.h"
#include "image/RasterImage.h"
#include "image/ReducedLevels.h"
#include "platform/Status.h"

namespace stampora {

class PictureDocument {
public:
    // A newly opened picture is shrunk to fit this box, whatever the window.
    static constexpr int32_t kFitBoxWidth = 640;
    static constexpr int32_t kFitBoxHeight = 480;

    // Loads a picture (UTF-8 path). On success the document holds it at zoom
    // 1.0, without reduced levels yet, and answers true; otherwise the
    // document keeps what it held, the reason is in `status`, and the answer
    // is false. A JPEG larger than the fit box is held as its reduced view
    // only, at its whole size, until TakeWhole gets the picture that
    // ReadWhole read from TakePendingRead().
    bool LoadPicture(const std::string& path, Status* status);

    // The whole picture, as read apart from the document.
    struct WholePicture {
        CRasterImage picture;
        std::unique_ptr<SourceForCopy> file;
        bool read = false;  // the reason otherwise in file->status
    };
    // Whether the picture is held whole (or none is held).
    bool Whole() const { return firstView.IsEmpty(); }
    // What was shown before a picture opened as its reduced view: let go by
    // the caller, away from the first paint (giving a hundred megabytes back
    // to the system takes longer than showing the reduced view).
    struct Retired {
        CRasterImage source, display, displayDark;
        CReducedLevels reduced, reducedDark;
        std::unique_ptr<SourceForCopy> file;
    };
    std::unique_ptr<Retired> TakeRetired() { return std::move(retired); }
    // The file of a picture held as its reduced view, for ReadWhole; taken
    // over by the caller.
    std::unique_ptr<SourceForCopy> TakePendingRead() { return std::move(pendingRead); }
    // Reads the whole picture of a file LoadPicture opened; safe on any
    // thread, as it touches no document.
    static WholePicture ReadWhole(std::unique_ptr<SourceForCopy> file);
    // The whole picture replaces the reduced view; false, with the document
    // as it was, when it could not be read or made ready to show.
    bool TakeWhole(WholePicture& whole);

    // Shrinks the display to the fit box (a picture that fits keeps its zoom),
    // then centres it in a client area of cw x ch.
    void FitToBox(int32_t clientWidth, int32_t clientHeight);
    // Places the display in the client area: centred, one pixel right of and
    // below the exact centre to leave room for the frame, or at 0 on an axis
    // where it does not fit.
    void CenterPicture(int32_t clientWidth, int32_t clientHeight);
    // Shows the picture at exactly `zoom`, which from now on is kept.
    void SetZoom(float newZoom, int32_t clientWidth, int32_t clientHeight);

    // The picture's pixels as drawn at 100 %: the source itself when it has
    // 24 or 32 bits, else its 32-bit display copy; empty while only the
    // reduced view is held. A transparent picture is drawn over a
    // checkerboard: this copy shows it over the light squares, ShownDark()
    // over the dark ones (empty for an opaque picture).
    const CRasterImage& Shown() const;
    const CRasterImage& ShownDark() const { return displayDark; }

    // The smoothly reduced levels of both, made apart from the document:
    // building them only reads the pictures.
    struct Levels {
        CReducedLevels shown;
        CReducedLevels dark;
    };
    // False, with no levels, when memory runs out.
    bool BuildLevels(Levels& levels) const;
    void TakeLevels(Levels& levels);
    // What the display is drawn from at the current zoom: Shown() at 100 %
    // and above, the smallest reduced level still at least as large below,
    // the reduced view while the whole picture is being read.
    const CRasterImage& PaintSource() const;

    std::string path;      // as opened
    std::string fileName;  // the name part of the path
    CRasterImage source;
    // The file as read, for the copies saved from it: what they keep of it
    // comes from this one reading, not from the file as it is by then.
    std::unique_ptr<SourceForCopy> sourceFile;
    // A 32-bit copy, only for sources of other depths and transparent ones.
    CRasterImage display;
    CReducedLevels reduced;  // made by the canvas once the picture is shown
    CRasterImage displayDark;
    CReducedLevels reducedDark;
    CRasterImage firstView;  // the reduced view of a picture not yet read whole
    float zoom = 1.0f;
    int32_t displayWidth = 0;
    int32_t displayHeight = 0;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    bool loaded = false;
    bool zoomFixed = false;
    PixelRect displayRect{0, 0, 0, 0};

private:
    // Takes a read picture and its file in, with the copies it is drawn from
    // if it needs them; false, taking nothing, when memory fails for those.
    bool TakePicture(CRasterImage& picture, std::unique_ptr<SourceForCopy>& read, Status* status);
    // Moves the pictures shown so far into `retired`.
    void RetireShown();
    // A picture of width x height from `newPath` is shown at 100 %.
    void Reset(const std::string& newPath, int32_t width, int32_t height);
    std::unique_ptr<SourceForCopy> pendingRead;
    std::unique_ptr<Retired> retired;
};

// The part of a path after its last separator; the whole path without one.
std::string FileNamePart(const std::string& path);

}  // namespace stampora
