#include "batch/BatchJob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/BatchTestSupport.h"
#include "batch/FileResultLine.h"
#include "codecs/PictureFiles.h"
#include "platform/PixelMemory.h"
#include "platform/Utf8Text.h"
#include "support/TestPaths.h"
#include "text/FontCatalog.h"

using namespace stampora;

namespace {

namespace fs = std::filesystem;
using batchtest::Bgr;
using batchtest::FileBytes;
using batchtest::PatternPicture;
using batchtest::RecordingBatchUi;
using batchtest::SolidPicture;
using batchtest::WriteTextFile;

constexpr BatchTypeFlags kAllTypes{1};

class BatchJobTest : public batchtest::BatchFolderTest {
protected:
    void SetUp() override {
        fs::create_directory(output());
        ui.fields = BatchFields{source().string(), output().string(), kAllTypes};
    }

    // A red image mark of the given size at an anchor.
    void SetRedImageMark(int32_t width, int32_t height, int32_t alignment) {
        job.imageMark.source = SolidPicture(width, height, 255, 0, 0);
        job.imageMark.base.width = width;
        job.imageMark.base.height = height;
        job.imageMark.base.alignment = alignment;
        job.imageMark.base.enabled = true;
    }

    // An enabled text mark; settings beyond these are made before the call.
    void SetTextMark(const std::u16string& text, const FontSpec& font, int32_t alignment = -1) {
        job.textMark.text = text;
        job.textMark.font = font;
        job.textMark.base.alignment = alignment;
        job.textMark.base.enabled = true;
        job.textMark.UpdateParams();
    }

    // Every pixel of `result` is the source's, except inside the rectangle
    // where it is the (opaque) layer's.
    static void ExpectStamped(const CRasterImage& result, const CRasterImage& original,
                              const CRasterImage& layer, int32_t left, int32_t top) {
        CRasterImage expected(original);
        EachPixel(layer, [&](int32_t x, int32_t y, const uint8_t* p) {
            std::copy(p, p + 3, expected.PixelAt(left + x, top + y));
        });
        EXPECT_EQ(DifferenceOf(result, expected).worst, 0);
    }

    RecordingBatchUi ui;
    CBatchJob job;
};

TEST_F(BatchJobTest, StampsEveryPictureSkipsOthersAndReportsProgress) {
    AddPicture("a.bmp", 400, 300, 1);
    AddPicture("b.tga", 120, 80, 2);
    WriteTextFile(source() / "README", "not a picture");
    SetRedImageMark(40, 20, RightBottom);

    const BatchSummary summary = job.RunBatch(ui);

    EXPECT_EQ(summary.state, BatchRunState::Finished);
    EXPECT_EQ(summary.fileCount, 2);  // README is no picture's name
    EXPECT_EQ(summary.written, 2);
    EXPECT_TRUE(summary.Complete());
    EXPECT_EQ(ui.progress, (std::vector<int32_t>{50, 100, 100}));
    EXPECT_EQ(ui.events, (std::vector<std::string>{"read", "disable", "message", "enable"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, "Batch finish!");
    EXPECT_EQ(ui.messages[0].second, "All Finish");
    EXPECT_FALSE(fs::exists(output() / "README"));

    const CRasterImage& layer = job.imageMark.layer;
    ASSERT_EQ(layer.Width(), 40);
    const CRasterImage a = Load(output() / "a.bmp");
    EXPECT_EQ(a.Bpp(), 32);
    ExpectStamped(a, PatternPicture(400, 300, 1), layer, 350, 270);
    ExpectStamped(Load(output() / "b.tga"), PatternPicture(120, 80, 2), layer, 70, 50);
    // The marks remember the last picture of the list and their place on it.
    EXPECT_EQ(job.imageMark.base.pictureWidth, 120);
    EXPECT_EQ(job.imageMark.base.pictureHeight, 80);
    EXPECT_EQ(job.imageMark.base.x, 70);
}

TEST_F(BatchJobTest, TextLiesOverTheImageMarkWhereTheyOverlap) {
    if (!IsInstalledFamily("DejaVu Sans")) GTEST_SKIP() << "DejaVu Sans is not installed";
    AddPicture("p.bmp", 500, 300, 6);
    SetRedImageMark(200, 100, Center);
    job.textMark.colour = RgbColour{0, 0, 255};
    SetTextMark(u"MMMM", FontSpec{48, 700, false, 0, u"DejaVu Sans"}, Center);

    ASSERT_EQ(job.RunBatch(ui).written, 1);
    const CRasterImage result = Load(output() / "p.bmp");
    const CTextLayer& text = job.textMark.layer;
    const int32_t textLeft = (500 - text.Width()) / 2;
    const int32_t textTop = (300 - text.Height()) / 2;
    int32_t solidText = 0;
    int32_t bareImage = 0;
    for (int32_t y = 0; y < text.Height(); ++y) {
        for (int32_t x = 0; x < text.Width(); ++x) {
            // Only where the text lies over the 200 x 100 image mark at (150, 100).
            const int32_t imageX = textLeft + x - 150;
            const int32_t imageY = textTop + y - 100;
            if (imageX < 0 || imageY < 0 || imageX >= 200 || imageY >= 100) continue;
            const uint8_t alpha = text.PixelAt(x, y)[3];
            const uint32_t got = Bgr(result, textLeft + x, textTop + y);
            if (alpha == 255) {
                ++solidText;
                EXPECT_EQ(got, 0x0000FFu) << x << ", " << y;  // blue
            } else if (alpha == 0) {
                ++bareImage;
                EXPECT_EQ(got, Bgr(job.imageMark.layer, imageX, imageY)) << x << ", " << y;
            }
        }
    }
    EXPECT_GT(solidText, 100);
    EXPECT_GT(bareImage, 100);
}

TEST_F(BatchJobTest, ResultsDoNotDependOnRepeatedRunsOrTheNumberOfJobs) {
    for (int32_t i = 0; i < 7; ++i)
        AddPicture("p" + std::to_string(i) + ".bmp", 180 + 37 * i, 140 + 23 * i, i);
    AddPicture("q.tga", 90, 60, 9);
    WriteTextFile(source() / "broken.bmp", "BM not really");
    SetRedImageMark(60, 30, Right);
    job.imageMark.base.rotation = 30;
    job.imageMark.base.opacity = 60;
    if (IsInstalledFamily("DejaVu Sans")) {
        job.textMark.shadowEnabled = true;
        job.textMark.shadowDistance = 3;
        job.textMark.base.rotation = 45;
        SetTextMark(u"© Stampora", FontSpec{20, 400, true, 1, u"DejaVu Sans"}, Bottom);
    }
    auto runInto = [&](const std::string& folder, int32_t jobs) {
        fs::create_directory(dir.Path() / folder);
        ui.fields.outputDirectory = (dir.Path() / folder).string();
        job.jobs = jobs;
        EXPECT_EQ(job.RunBatch(ui).written, 8);
    };
    runInto("first", 1);
    const int32_t rotatedWidth = job.imageMark.base.markWidth;
    runInto("second", 1);
    EXPECT_EQ(job.imageMark.base.markWidth, rotatedWidth);
    runInto("parallel", 4);
    // A budget smaller than any picture: each is made alone, in turn.
    job.memoryBudget = 1;
    runInto("budget", 3);

    for (const auto& entry : fs::directory_iterator(dir.Path() / "first")) {
        const fs::path name = entry.path().filename();
        const std::vector<uint8_t> first = FileBytes(entry.path());
        EXPECT_EQ(FileBytes(dir.Path() / "second" / name), first) << name;
        EXPECT_EQ(FileBytes(dir.Path() / "parallel" / name), first) << name;
        EXPECT_EQ(FileBytes(dir.Path() / "budget" / name), first) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "parallel"), fs::directory_iterator()), 8);
}

TEST_F(BatchJobTest, NoPictureIsWrittenWithoutItsMarkWhenMemoryRunsOut) {
    AddPicture("large.bmp", 200, 150, 1);  // 24-bit: 90000 bytes; 32-bit: 120000
    AddPicture("small.bmp", 60, 40, 2);
    SetRedImageMark(20, 10, LeftTop);
    LimitPixelBlockBytes(100000);
    const BatchSummary summary = job.RunBatch(ui);
    LimitPixelBlockBytes(0);

    EXPECT_EQ(summary.written, 1);
    EXPECT_EQ(summary.stampFailed, 1);
    EXPECT_FALSE(summary.Complete());
    EXPECT_FALSE(fs::exists(output() / "large.bmp"));
    ExpectStamped(Load(output() / "small.bmp"), PatternPicture(60, 40, 2), job.imageMark.layer, 10, 10);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, "Batch finish!\n1 picture could not be watermarked.");

    // A mark larger than every picture is never made: each picture is
    // written without it, and nothing the size of the mark is held.
    fs::remove(output() / "small.bmp");
    fs::remove(source() / "large.bmp");
    job.imageMark.base.width = 1500;
    job.imageMark.base.height = 1000;
    job.imageMark.base.rotation = 30;
    job.imageMark.layer.Destroy();
    if (IsInstalledFamily("DejaVu Sans"))
        SetTextMark(std::u16string(150, u'A'), FontSpec{120, 400, false, 1, u"DejaVu Sans"});
    const BatchSummary tooLarge = job.RunBatch(ui);
    EXPECT_EQ(tooLarge.written, 1);
    EXPECT_EQ(tooLarge.markLeftOff, 1);
    EXPECT_TRUE(job.imageMark.layer.IsEmpty());
    EXPECT_TRUE(job.textMark.layer.IsEmpty());
}

TEST_F(BatchJobTest, ATextMarksShadowStaysInsideTheMargin) {
    if (!IsInstalledFamily("DejaVu Sans")) GTEST_SKIP() << "DejaVu Sans is not installed";
    CRasterImage original = SolidPicture(400, 300, 200, 200, 200);
    ASSERT_TRUE(original.Save((source() / "edge.bmp").string()));
    job.textMark.shadowEnabled = true;
    job.textMark.smooth = 40;
    SetTextMark(u"EDGE", FontSpec{48, 400, false, 1, u"DejaVu Sans"}, RightBottom);

    const BatchSummary summary = job.RunBatch(ui);
    ASSERT_TRUE(summary.Complete());
    const CRasterImage result = Load(output() / "edge.bmp");
    int32_t changedInMargin = 0;
    int32_t shadowNearEdge = 0;
    EachPixel(result, [&](int32_t x, int32_t y, const uint8_t*) {
        const bool changed = Bgr(result, x, y) != Bgr(original, x, y);
        if (x >= 390 || y >= 290) changedInMargin += changed;
        if (x >= 350 && x < 390 && y < 290) shadowNearEdge += changed;
    });
    EXPECT_EQ(changedInMargin, 0);
    EXPECT_GT(shadowNearEdge, 0);  // the blurred shadow reaches toward the margin
}

TEST_F(BatchJobTest, DamagedAndUnreadablePicturesCarryTheirReasons) {
    SetRedImageMark(10, 10, LeftTop);
    job.imageMark.RebuildLayer();
    CRasterImage work;
    // A reader that keeps the lines it could read and says so.
    const PictureReader partly = [](CRasterImage& picture, const std::string&, Status& status) {
        picture = PatternPicture(60, 600, 3);
        status.damage = "only 120 of 600 lines";
        return true;
    };
    const BatchFileResult damaged =
        WatermarkFile(work, "t.png", (output() / "t.bmp").string(), job.imageMark, job.textMark, -1, partly);
    EXPECT_EQ(damaged.outcome, BatchFileOutcome::Written);
    EXPECT_FALSE(damaged.Complete());
    EXPECT_EQ(FileResultLine("t.png", damaged), "t.png: written, damaged: only 120 of 600 lines");

    const PictureReader broken = [](CRasterImage&, const std::string&, Status& status) {
        return status.Fail(Domain::Read, "Premature end of JPEG file");
    };
    const BatchFileResult skipped =
        WatermarkFile(work, "b.jpg", (output() / "b.jpg").string(), job.imageMark, job.textMark, -1, broken);
    EXPECT_EQ(FileResultLine("b.jpg", skipped), "b.jpg: skipped: Premature end of JPEG file");
    EXPECT_FALSE(fs::exists(output() / "b.jpg"));
}

TEST_F(BatchJobTest, MarkNeedsTheMarginOnBothSides) {
    AddPicture("narrow.bmp", 110, 100, 1);
    AddPicture("wide.bmp", 111, 100, 2);
    SetRedImageMark(100, 50, LeftTop);
    const BatchSummary summary = job.RunBatch(ui);
    ASSERT_EQ(summary.written, 2);
    EXPECT_EQ(summary.markLeftOff, 1);
    EXPECT_FALSE(summary.Complete());
    EXPECT_EQ(ui.messages[0].first, "Batch finish!\n1 picture was too small for a mark, which was left off.");
    ExpectStamped(Load(output() / "narrow.bmp"), PatternPicture(110, 100, 1), CRasterImage(), 0, 0);
    ExpectStamped(Load(output() / "wide.bmp"), PatternPicture(111, 100, 2), job.imageMark.layer, 10, 10);
}

TEST_F(BatchJobTest, SaveFailuresAreCountedAndReported) {
    AddPicture("a.bmp", 40, 30, 1);
    AddPicture("b.bmp", 40, 30, 2);
    AddPicture("c.bmp", 40, 30, 3);
    fs::create_directories(output() / "a.bmp");
    fs::create_directories(output() / "b.bmp");

    const BatchSummary summary = job.RunBatch(ui);

    EXPECT_EQ(summary.state, BatchRunState::Finished);
    EXPECT_EQ(summary.written, 1);
    EXPECT_EQ(summary.saveFailed, 2);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, "Batch finish!\n2 pictures could not be saved.");
    EXPECT_EQ(ui.messages[0].second, "All Finish");
    EXPECT_TRUE(fs::is_directory(output() / "a.bmp"));
}

// An output folder that takes no files is refused once, before any picture
// is read, instead of failing every picture.
TEST_F(BatchJobTest, AnOutputFolderThatTakesNoFilesIsRefusedOnce) {
    AddPicture("a.bmp", 40, 30, 1);
    ui.fields.outputDirectory = (dir.Path() / "no-such-folder").string();

    const BatchSummary summary = job.RunBatch(ui);

    EXPECT_EQ(summary.state, BatchRunState::OutputNotWritable);
    EXPECT_TRUE(job.fileList.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, "Cannot write into the output directory " + ui.fields.outputDirectory +
                                        ": No such file or directory");
    EXPECT_EQ(ui.messages[0].second, "Error");
    EXPECT_FALSE(fs::exists(dir.Path() / "no-such-folder"));
}

TEST_F(BatchJobTest, EmptyFieldsAreRefusedBeforeAnythingRuns) {
    AddPicture("a.bmp", 40, 30, 1);
    ui.fields.sourceDirectory.clear();
    EXPECT_EQ(job.RunBatch(ui).state, BatchRunState::NotStarted);
    ui.fields.sourceDirectory = source().string();
    ui.fields.outputDirectory.clear();
    EXPECT_EQ(job.RunBatch(ui).state, BatchRunState::NotStarted);

    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0], (std::pair<std::string, std::string>{kEmptySourceText, "Error"}));
    EXPECT_EQ(ui.messages[1], (std::pair<std::string, std::string>{kEmptyOutputText, "Error"}));
    EXPECT_EQ(ui.events, (std::vector<std::string>{"read", "message", "read", "message"}));
    EXPECT_TRUE(fs::is_empty(output()));

    // A field that cannot be read stops the run silently: the interface has
    // already pointed at it.
    ui = RecordingBatchUi{};
    ui.readSucceeds = false;
    ui.fields = BatchFields{source().string(), output().string(), kAllTypes};
    EXPECT_EQ(job.RunBatch(ui).state, BatchRunState::NotStarted);
    EXPECT_EQ(ui.events, std::vector<std::string>{"read"});
}

TEST_F(BatchJobTest, ReplacingOriginalsNeedsTheUsersConsent) {
    AddPicture("a.bmp", 80, 60, 1);
    const std::vector<uint8_t> original = FileBytes(source() / "a.bmp");
    SetRedImageMark(20, 10, LeftTop);
    ui.fields.outputDirectory = source().string() + "/";

    EXPECT_EQ(job.RunBatch(ui).state, BatchRunState::Declined);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(FileBytes(source() / "a.bmp"), original);
    EXPECT_TRUE(ui.progress.empty());

    ui.replaceOriginals = true;
    EXPECT_EQ(job.RunBatch(ui).written, 1);
    EXPECT_EQ(ui.questions.size(), 2u);
    ExpectStamped(Load(source() / "a.bmp"), PatternPicture(80, 60, 1), job.imageMark.layer, 10, 10);
}

TEST_F(BatchJobTest, EmptyFolderSaysSoMissingFolderStaysSilent) {
    EXPECT_EQ(job.RunBatch(ui).state, BatchRunState::NoFile);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], (std::pair<std::string, std::string>{"There is no file!", "Error"}));
    EXPECT_EQ(ui.icons[0], MessageIcon::None);
    EXPECT_EQ(ui.events, (std::vector<std::string>{"read", "disable", "message", "enable"}));

    ui = RecordingBatchUi{};
    ui.fields = BatchFields{(dir.Path() / "missing").string(), output().string(), kAllTypes};
    EXPECT_EQ(job.RunBatch(ui).state, BatchRunState::SourceNotListed);
    EXPECT_EQ(ui.events, (std::vector<std::string>{"read", "disable", "enable"}));
    EXPECT_EQ(job.fileCount, 0);
}

TEST_F(BatchJobTest, PathsLongerThanTheClassicLimitAreProcessedWhole) {
    fs::path deep = source();
    for (int i = 0; i < 4; ++i) deep /= std::string(60, static_cast<char>('a' + i));
    fs::create_directories(deep);
    const std::string name = std::string(200, 'n') + ".bmp";
    ASSERT_TRUE(PatternPicture(30, 20, 1).Save((deep / name).string()));
    ASSERT_GT((deep / name).string().size(), 500u);
    ui.fields.sourceDirectory = deep.string();

    EXPECT_EQ(job.RunBatch(ui).written, 1);
    EXPECT_TRUE(fs::exists(output() / name));
}

}  // namespace
