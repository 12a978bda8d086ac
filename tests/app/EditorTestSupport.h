#pragma once
// Helpers for the editor's tests: choosers that answer as told, pictures
// written to scratch files, a working directory of the test's own, and a
// canvas with a client area of an exact size.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/CanvasView.h"
#include "app/QueuedChoosers.h"
#include "codecs/PictureFiles.h"
#include "image/ImageTestPixels.h"
#include "support/TestPaths.h"

// Makes a scratch folder the working directory for the test's lifetime.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& folder)
        : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedWorkingDirectory() { std::filesystem::current_path(previous); }
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::filesystem::path previous;
};

// Points the Documents folder at a scratch folder for the test's lifetime,
// so the default output directory is never made in the real home.
class ScopedDocumentsFolder {
public:
    explicit ScopedDocumentsFolder(const std::string& folder)
        : previous(qgetenv("XDG_DOCUMENTS_DIR")),
          hadPrevious(qEnvironmentVariableIsSet("XDG_DOCUMENTS_DIR")) {
        qputenv("XDG_DOCUMENTS_DIR", QByteArray::fromStdString(folder));
    }
    ~ScopedDocumentsFolder() {
        if (hadPrevious) {
            qputenv("XDG_DOCUMENTS_DIR", previous);
        } else {
            qunsetenv("XDG_DOCUMENTS_DIR");
        }
    }
    ScopedDocumentsFolder(const ScopedDocumentsFolder&) = delete;
    ScopedDocumentsFolder& operator=(const ScopedDocumentsFolder&) = delete;

private:
    QByteArray previous;
    bool hadPrevious;
};

// Writes a picture of varied 24-bit pixels and answers its path.
inline std::string WritePicture(const ScratchDir& dir, const std::string& name, int32_t width,
                                int32_t height) {
    CRasterImage picture = NoiseImage(width, height, 24, static_cast<uint32_t>(width * 31 + height));
    const std::string path = dir.File(name);
    EXPECT_TRUE(picture.Save(path));
    return path;
}

// Gives a canvas a client area (viewport) of exactly width x height while
// no scroll bar is shown.
inline void SetClientSize(CanvasView& canvas, int width, int height) {
    const int frame = canvas.frameWidth() * 2;
    canvas.resize(width + frame, height + frame);
    canvas.show();
    QApplication::processEvents();
}
