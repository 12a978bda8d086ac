// Runs the built stampora-batch program on real folders.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/BatchTestSupport.h"
#include "codecs/PictureFiles.h"
#include "image/RasterImage.h"
#include "platform/FontCatalog.h"
#include "support/TestPaths.h"

namespace {

namespace fs = std::filesystem;
using batchtest::Bgr;
using batchtest::FileBytes;
using batchtest::PatternPicture;
using batchtest::SolidPicture;
using batchtest::WriteTextFile;

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class BatchToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        tool = fs::path(STAMPORA_BINARY_DIR) / "stampora-batch";
        ASSERT_TRUE(fs::exists(tool)) << tool << " is missing: build the stampora-batch target first";
        fs::create_directory(source());
    }

    fs::path source() const { return dir.Path() / "source"; }
    fs::path output() const { return dir.Path() / "output"; }

    // Runs the tool in the scratch folder with standard error not a terminal,
    // after the shell command `before`.
    ToolRun Run(const std::vector<std::string>& arguments, const std::string& before = "true") {
        std::string command =
            "cd " + Quoted(dir.Path().string()) + " && " + before + " && " + Quoted(tool.string());
        for (const std::string& argument : arguments) command += " " + Quoted(argument);
        command += " >" + Quoted(dir.File("stdout.txt")) + " 2>" + Quoted(dir.File("stderr.txt"));
        ToolRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        const auto out = FileBytes(dir.File("stdout.txt"));
        const auto err = FileBytes(dir.File("stderr.txt"));
        run.out.assign(out.begin(), out.end());
        run.err.assign(err.begin(), err.end());
        return run;
    }

    void AddPicture(const std::string& name, int32_t width, int32_t height, int32_t seed) {
        ASSERT_TRUE(PatternPicture(width, height, seed).Save((source() / name).string()));
    }

    static CRasterImage Load(const fs::path& path) {
        CRasterImage picture;
        EXPECT_TRUE(picture.Load(path.string())) << path;
        return picture;
    }

    ScratchDir dir;
    fs::path tool;
};

TEST_F(BatchToolTest, ImageMarkOptionsPlaceTheMark) {
    AddPicture("photo.bmp", 400, 300, 1);
    ASSERT_TRUE(SolidPicture(40, 20, 255, 0, 0).Save(dir.File("logo.bmp")));

    const ToolRun run = Run({"--image", dir.File("logo.bmp"), "--image-align", "right-bottom",
                             source().string(), output().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("photo.bmp: written"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 written, 0 skipped"), std::string::npos) << run.out;

    const CRasterImage result = Load(output() / "photo.bmp");
    const CRasterImage original = PatternPicture(400, 300, 1);
    ASSERT_EQ(result.Width(), 400);
    EXPECT_EQ(Bgr(result, 350, 270), 0xFF0000u);
    EXPECT_EQ(Bgr(result, 389, 289), 0xFF0000u);
    EXPECT_EQ(Bgr(result, 349, 270), Bgr(original, 349, 270));
    EXPECT_EQ(Bgr(result, 350, 269), Bgr(original, 350, 269));
    EXPECT_EQ(Bgr(result, 390, 290), Bgr(original, 390, 290));

    // best: a tenth of the mark's own size; half opacity blends with the photo.
    ASSERT_TRUE(SolidPicture(400, 200, 0, 0, 255).Save(dir.File("big.bmp")));
    ASSERT_EQ(Run({"--image", dir.File("big.bmp"), "--image-size", "best", "--image-opacity", "50",
                   "--image-align", "left-top", source().string(), output().string()})
                  .status,
              0);
    const CRasterImage half = Load(output() / "photo.bmp");
    const uint8_t* blended = half.PixelAt(20, 15);
    const uint8_t* photo = original.PixelAt(20, 15);
    EXPECT_NEAR(blended[0], (255 + photo[0]) / 2, 2);
    EXPECT_NEAR(blended[2], photo[2] / 2, 2);
    EXPECT_EQ(Bgr(half, 50, 15), Bgr(original, 50, 15));
    EXPECT_EQ(Bgr(half, 20, 30), Bgr(original, 20, 30));

    // A mark without room for its margin is left off, and the tool says so.
    const ToolRun tooLarge = Run(
        {"--image", dir.File("big.bmp"), "--image-size", "390x100", source().string(), output().string()});
    EXPECT_EQ(tooLarge.status, 1);
    EXPECT_NE(tooLarge.out.find("too small for a mark"), std::string::npos) << tooLarge.out;
    EXPECT_NE(tooLarge.out.find("photo.bmp: written without the image mark"), std::string::npos)
        << tooLarge.out;
    const CRasterImage unmarked = Load(output() / "photo.bmp");
    int32_t changed = 0;
    for (int32_t y = 0; y < 300; ++y) {
        for (int32_t x = 0; x < 400; ++x) changed += Bgr(unmarked, x, y) != Bgr(original, x, y);
    }
    EXPECT_EQ(changed, 0);
}

TEST_F(BatchToolTest, TextMarkOptionsReachTheMark) {
    if (!IsInstalledFamily("DejaVu Sans")) GTEST_SKIP() << "DejaVu Sans is not installed";
    AddPicture("photo.bmp", 400, 300, 2);
    const ToolRun run =
        Run({"--text", "Stampora", "--font", "DejaVu Sans", "--size", "28", "--style", "bold", "--color",
             "00FF00", "--text-align", "left-top", source().string(), output().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const CRasterImage result = Load(output() / "photo.bmp");
    const CRasterImage original = PatternPicture(400, 300, 2);
    int32_t green = 0;
    int32_t changedOutside = 0;
    for (int32_t y = 0; y < 300; ++y) {
        for (int32_t x = 0; x < 400; ++x) {
            const bool nearTopLeft = x >= 10 && y >= 10 && x < 260 && y < 70;
            if (Bgr(result, x, y) == 0x00FF00u && nearTopLeft) ++green;
            if (!nearTopLeft && Bgr(result, x, y) != Bgr(original, x, y)) ++changedOutside;
        }
    }
    EXPECT_GT(green, 200);
    EXPECT_EQ(changedOutside, 0);

    EXPECT_EQ(
        Run({"--text", "x", "--font", "No Such Family 123", source().string(), output().string()}).status, 2);
}

TEST_F(BatchToolTest, ExitStatusSaysWhatHappened) {
    ASSERT_TRUE(SolidPicture(10, 10, 255, 0, 0).Save(dir.File("logo.bmp")));
    const std::vector<std::string> mark = {"--image", dir.File("logo.bmp")};
    auto withMark = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), mark.begin(), mark.end());
        return Run(arguments);
    };
    EXPECT_EQ(Run({}).status, 2);
    EXPECT_EQ(Run({"--opacity", "50", source().string()}).status, 2);  // text option without --text
    EXPECT_EQ(Run({"--text", "x", "--opacity", "101", source().string()}).status, 2);
    EXPECT_EQ(Run({"--bogus", source().string()}).status, 2);
    EXPECT_EQ(Run({"--types", "jpg,webp", source().string()}).status, 2);
    EXPECT_EQ(Run({"--image", dir.File("missing.png"), source().string(), output().string()}).status, 2);
    EXPECT_EQ(withMark({"", output().string()}).status, 2);
    const ToolRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--image-align"), std::string::npos);

    // Nothing to stamp is refused rather than copying every picture unmarked.
    AddPicture("a.bmp", 40, 30, 1);
    const ToolRun nothing = Run({source().string(), output().string()});
    EXPECT_EQ(nothing.status, 2);
    EXPECT_NE(nothing.err.find("nothing to stamp"), std::string::npos) << nothing.err;
    // A missing source is refused before any output folder is made.
    const ToolRun missing = withMark({dir.File("missing"), output().string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(output()));

    // No file of the chosen types: README and notes.e are no pictures' names.
    WriteTextFile(source() / "README", "");
    WriteTextFile(source() / "notes.e", "");
    const ToolRun none = withMark({"--types", "jpg,tga", source().string(), output().string()});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("There is no file!"), std::string::npos) << none.err;

    // A picture that cannot be saved: its output name is taken by a folder.
    AddPicture("b.bmp", 40, 30, 2);
    fs::create_directories(output() / "b.bmp");
    const ToolRun failed = withMark({"--types", "bmp", source().string(), output().string()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.out.find("b.bmp: FAILED"), std::string::npos) << failed.out;
    EXPECT_NE(failed.out.find("1 picture could not be saved."), std::string::npos) << failed.out;
    EXPECT_TRUE(fs::exists(output() / "a.bmp"));
    fs::remove_all(output() / "b.bmp");

    // A file that is no picture is skipped with the reader's reason.
    WriteTextFile(source() / "c.bmp", "BM but no more");
    const ToolRun skipped = withMark({"--types", "bmp", source().string(), output().string()});
    EXPECT_EQ(skipped.status, 1);
    EXPECT_NE(skipped.out.find("c.bmp: skipped: "), std::string::npos) << skipped.out;
    fs::remove(source() / "c.bmp");

    EXPECT_EQ(withMark({"--types", "bmp,tga", source().string(), output().string()}).status, 0);
}

TEST_F(BatchToolTest, SpecialFilesAreSkippedAndParallelSavesKeepTheMask) {
    for (int32_t i = 0; i < 600; ++i) AddPicture("p" + std::to_string(i) + ".bmp", 12, 12, i);
    ASSERT_EQ(::mkfifo((source() / "pipe.jpg").c_str(), 0600), 0);
    ASSERT_TRUE(SolidPicture(1, 1, 255, 0, 0).Save(dir.File("logo.bmp")));

    // The shell's umask applies to the tool alone.
    const ToolRun run = Run(
        {"--jobs", "4", "--image", dir.File("logo.bmp"), source().string(), output().string()}, "umask 022");
    ASSERT_EQ(run.status, 0) << run.err;
    int32_t files = 0;
    int32_t wrongMode = 0;
    for (const auto& entry : fs::directory_iterator(output())) {
        ++files;
        wrongMode += (fs::status(entry.path()).permissions() & fs::perms::all) != fs::perms(0644);
    }
    EXPECT_EQ(files, 600);
    EXPECT_EQ(wrongMode, 0);
}

TEST_F(BatchToolTest, ReplacingOriginalsNeedsInPlace) {
    AddPicture("a.bmp", 60, 40, 1);
    ASSERT_TRUE(SolidPicture(10, 10, 255, 0, 0).Save(dir.File("logo.bmp")));
    const std::vector<uint8_t> original = FileBytes(source() / "a.bmp");

    const ToolRun refused =
        Run({"--image", dir.File("logo.bmp"), source().string(), source().string() + "/."});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("--in-place"), std::string::npos) << refused.err;
    EXPECT_EQ(FileBytes(source() / "a.bmp"), original);

    EXPECT_EQ(
        Run({"--in-place", "--image", dir.File("logo.bmp"), source().string(), source().string()}).status, 0);
    EXPECT_EQ(Bgr(Load(source() / "a.bmp"), 45, 25), 0xFF0000u);
}

TEST_F(BatchToolTest, OutputDefaultsToTheEditorsOutputDirectory) {
    AddPicture("a.bmp", 30, 20, 1);
    const fs::path configured = dir.Path() / "configured out";
    WriteTextFile(dir.Path() / "config.ini", "[Setting]\nOutputDir=" + configured.string() + "\n");
    ASSERT_TRUE(SolidPicture(5, 5, 255, 0, 0).Save(dir.File("logo.bmp")));
    ASSERT_EQ(Run({"--image", dir.File("logo.bmp"), source().string()}).status, 0);
    EXPECT_TRUE(fs::exists(configured / "a.bmp"));
}

TEST_F(BatchToolTest, ParallelJobsWriteTheSameBytesAsOne) {
    for (int32_t i = 0; i < 8; ++i)
        AddPicture("p" + std::to_string(i) + (i % 2 ? ".bmp" : ".tga"), 360 + 11 * i, 160 + 7 * i, i);
    ASSERT_TRUE(SolidPicture(30, 20, 200, 30, 60).Save(dir.File("logo.bmp")));
    std::vector<std::string> marks = {
        "--image", dir.File("logo.bmp"), "--image-rotation", "20", "--image-opacity", "70", "--image-align",
        "center"};
    if (IsInstalledFamily("DejaVu Sans")) {
        for (const char* option :
             {"--text", "© Stampora 2026", "--rotation", "15", "--shadow", "--shadow-distance", "3",
              "--shadow-smooth", "4", "--text-align", "bottom", "--color", "FFFFFF"}) {
            marks.push_back(option);
        }
    }
    auto runWith = [&](const std::string& jobs, const fs::path& folder) {
        std::vector<std::string> arguments = marks;
        arguments.insert(arguments.end(), {"--jobs", jobs, source().string(), folder.string()});
        const ToolRun run = Run(arguments);
        EXPECT_EQ(run.status, 0) << run.out;
    };
    runWith("1", dir.Path() / "one");
    runWith("4", dir.Path() / "four");
    int32_t compared = 0;
    for (const auto& entry : fs::directory_iterator(dir.Path() / "one")) {
        EXPECT_EQ(FileBytes(dir.Path() / "four" / entry.path().filename()), FileBytes(entry.path()))
            << entry.path();
        ++compared;
    }
    EXPECT_EQ(compared, 8);
}

}  // namespace

TEST_F(BatchToolTest, LosslessJpegKeepsThePictureAwayFromTheMark) {
    fs::copy_file(FixturePath("jpeg-blocks/q92-444.jpg"), source() / "photo.jpg");
    ASSERT_TRUE(SolidPicture(20, 10, 255, 0, 0).Save(dir.File("logo.bmp")));
    ASSERT_EQ(Run({"--lossless-jpeg", "--image", dir.File("logo.bmp"), source().string(), output().string()})
                  .status,
              0);
    const CRasterImage original = Load(source() / "photo.jpg");
    const CRasterImage result = Load(output() / "photo.jpg");
    // Far from the mark every block is the source's, so the pixels are too;
    // a re-encode at another quality would change them.
    int32_t changed = 0;
    for (int32_t y = 0; y < 48; ++y) {
        for (int32_t x = 0; x < 64; ++x) changed += Bgr(result, x, y) != Bgr(original, x, y);
    }
    EXPECT_EQ(changed, 0);
    const uint8_t* mark = result.PixelAt(121, 78);  // the logo's middle
    EXPECT_GT(mark[2], 230);
    EXPECT_LT(mark[1], 25);
}
