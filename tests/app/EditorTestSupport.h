#pragma once
// Helpers for the editor's tests: choosers that answer as told, pictures
// written to scratch files, and a canvas with a client area of an exact size.
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
#include "support/RecordingMessageSink.h"
#include "support/ScopedEnvironment.h"
#include "support/TestPaths.h"
#include "support/TestPictures.h"

using namespace stampora;

// What an editor test runs in: a scratch folder as the working directory
// (for settings and remembered marks) and the Documents folder, choosers
// that answer as queued, and every message recorded.
struct EditorSession {
    ScratchDir dir;
    ScopedWorkingDirectory cwd{dir.Path()};
    ScopedEnvironment documents{"XDG_DOCUMENTS_DIR", dir.File("Documents")};
    QueuedChoosers choosers;
    ScopedChoosers installChoosers{choosers};
    RecordingMessageSink messages;
    ScopedMessageSink sink{messages};
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
