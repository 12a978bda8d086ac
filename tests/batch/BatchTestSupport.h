#pragma once
// Pictures, files and a recording user interface for the batch tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "batch/BatchUi.h"
#include "batch/copy/WatermarkFile.h"
#include "codecs/PictureFiles.h"
#include "support/TestPaths.h"
#include "support/TestPictures.h"

using namespace stampora;

namespace batchtest {

// A 24-bit picture whose colours vary with position and seed, so a wrong
// pixel anywhere shows.
inline CRasterImage PatternPicture(int32_t width, int32_t height, int32_t seed) {
    return PaintedImage(width, height, 24, [seed](int32_t x, int32_t y, uint8_t* pixel) {
        pixel[0] = static_cast<uint8_t>(x * 3 + seed);
        pixel[1] = static_cast<uint8_t>(y * 5 + seed * 7);
        pixel[2] = static_cast<uint8_t>((x + y) * 2 + seed * 13);
    });
}

inline CRasterImage SolidPicture(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue) {
    return UniformImage(width, height, 24, uint32_t{red} << 16 | uint32_t{green} << 8 | blue);
}

// A red logo, built at its size, anchored at the right bottom with the
// usual 10-pixel margin.
inline ImageWatermark RedLogo(int32_t width = 10, int32_t height = 10) {
    ImageWatermark mark;
    mark.source = SolidPicture(width, height, 255, 0, 0);
    mark.base.width = width;
    mark.base.height = height;
    mark.base.alignment = RightBottom;
    mark.base.enabled = true;
    EXPECT_TRUE(mark.RebuildLayer());
    return mark;
}

// Copies `source` to `output` with a 10 x 10 red logo and no text.
inline BatchFileResult StampRedLogo(const std::string& source, const std::string& output, MetadataKept kept,
                                    int32_t quality = -1) {
    CRasterImage work;
    const ImageWatermark logo = RedLogo();
    const TextWatermark noText;
    CFittedImageMark image(logo, MarkFit{});
    CFittedTextMark text(noText, MarkFit{});
    return WatermarkFile(work, source, output, image, text, 1, quality, {}, kept);
}

using ::FileBytes;

using ::WriteTextFile;

// Blue, green, red of a pixel of any depth the tests use (24 or 32 bits).
inline uint32_t Bgr(const CRasterImage& picture, int32_t x, int32_t y) {
    const uint8_t* pixel = picture.PixelAt(x, y);
    return uint32_t{pixel[0]} | uint32_t{pixel[1]} << 8 | uint32_t{pixel[2]} << 16;
}

// Records everything a run asks of its user interface and answers as told.
class RecordingBatchUi : public CBatchUi {
public:
    bool ReadFields(BatchFields& read) override {
        read = fields;
        events.push_back("read");
        return readSucceeds;
    }
    void EnableProcess(bool enabled) override { events.push_back(enabled ? "enable" : "disable"); }
    void SetProgress(int32_t position) override { progress.push_back(position); }
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
        messages.emplace_back(text, caption);
        icons.push_back(icon);
        events.push_back("message");
    }
    bool ConfirmReplaceOriginals(const std::string& directory) override {
        questions.push_back(directory);
        return replaceOriginals;
    }
    void FileFinished(const std::string& name, const BatchFileResult& result) override {
        finished.emplace_back(name, result.outcome);
    }

    BatchFields fields;
    bool readSucceeds = true;
    bool replaceOriginals = false;
    std::vector<std::string> events;
    std::vector<int32_t> progress;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<MessageIcon> icons;
    std::vector<std::string> questions;
    std::vector<std::pair<std::string, BatchFileOutcome>> finished;
};

// A scratch folder with a source folder to fill with pictures; the output
// folder is left to the test.
class BatchFolderTest : public ::testing::Test {
protected:
    BatchFolderTest() { std::filesystem::create_directory(source()); }

    std::filesystem::path source() const { return dir.Path() / "source"; }
    std::filesystem::path output() const { return dir.Path() / "output"; }

    // Saves a pattern picture into the source folder; its type follows the name.
    void AddPicture(const std::string& name, int32_t width, int32_t height, int32_t seed) {
        ASSERT_TRUE(PatternPicture(width, height, seed).Save((source() / name).string())) << name;
    }

    static CRasterImage Load(const std::filesystem::path& path) {
        CRasterImage picture;
        EXPECT_TRUE(picture.Load(path.string())) << path;
        return picture;
    }

    ScratchDir dir;
};

}  // namespace batchtest
