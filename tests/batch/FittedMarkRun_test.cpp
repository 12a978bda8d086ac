// A run whose marks are made for each picture draws no layer for nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch/BatchJob.h"
#include "batch/BatchTestSupport.h"
#include "codecs/PictureFiles.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

TEST(FittedMarkRun, MarksMadeForEachPictureSkipTheNominalLayer) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.Path() / "in");
    ASSERT_TRUE(batchtest::PatternPicture(200, 100, 1).Save(dir.File("in/a.bmp")));
    CBatchJob job;
    batchtest::RecordingBatchUi ui;
    ui.fields = BatchFields{dir.File("in"), dir.File("out"), BatchTypeFlags{1}};
    job.textMark.base.enabled = true;
    job.textMark.params.text = "{name}";
    job.imageMark.source = batchtest::SolidPicture(40, 20, 255, 0, 0);
    job.imageMark.base.width = 40;
    job.imageMark.base.height = 20;
    job.imageMark.base.enabled = true;
    job.imageFit.sizePercent = 10;
    std::filesystem::create_directory(dir.Path() / "out");

    EXPECT_TRUE(job.RunBatch(ui).Complete());
    // Each picture's layers were made for it; the nominal ones stay undrawn.
    EXPECT_TRUE(job.textMark.layer.IsEmpty());
    EXPECT_TRUE(job.imageMark.layer.IsEmpty());
}

}  // namespace
