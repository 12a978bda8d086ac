// Runs the built stampora-batch program on real folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "batch/BatchTestSupport.h"
#include "codecs/ImageFormat.h"
#include "codecs/PictureFiles.h"
#include "codecs/metadata/SourceQuality.h"
#include "image/RasterImage.h"
#include "platform/FileIo.h"
#include "support/MarkMeasure.h"
#include "support/TestPaths.h"
#include "text/FontCatalog.h"

using namespace stampora;
using ::testing::HasSubstr;
using ::testing::Not;

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

class BatchToolTest : public batchtest::BatchFolderTest {
protected:
    void SetUp() override {
        tool = fs::path(STAMPORA_BINARY_DIR) / "stampora-batch";
        ASSERT_TRUE(fs::exists(tool)) << tool << " is missing: build the stampora-batch target first";
    }

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
        run.out = FileText(dir.File("stdout.txt"));
        run.err = FileText(dir.File("stderr.txt"));
        return run;
    }

    fs::path tool;
};

TEST_F(BatchToolTest, ImageMarkOptionsReachTheMark) {
    AddPicture("photo.bmp", 400, 300, 1);
    const CRasterImage original = PatternPicture(400, 300, 1);

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
    EXPECT_THAT(tooLarge.out, HasSubstr("too small for a mark"));
    EXPECT_THAT(tooLarge.out, HasSubstr("photo.bmp: written without the image mark"));
    EXPECT_EQ(DifferenceOf(Load(output() / "photo.bmp"), original).worst, 0);
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
    EachPixel(result, [&](int32_t x, int32_t y, const uint8_t*) {
        const bool nearTopLeft = x >= 10 && y >= 10 && x < 260 && y < 70;
        green += nearTopLeft && Bgr(result, x, y) == 0x00FF00u;
        changedOutside += !nearTopLeft && Bgr(result, x, y) != Bgr(original, x, y);
    });
    EXPECT_GT(green, 200);
    EXPECT_EQ(changedOutside, 0);

    EXPECT_EQ(
        Run({"--text", "x", "--font", "No Such Family 123", source().string(), output().string()}).status, 2);

    // A character no font has (U+10FFFD) is drawn as an empty box and told
    // of once, by the run's own layer and by layers made for each picture.
    AddPicture("second.bmp", 300, 200, 3);
    for (const char* size : {"28", "10%"}) {
        const ToolRun missing =
            Run({"--text", "a \xF4\x8F\xBF\xBD", "--size", size, source().string(), output().string()});
        EXPECT_EQ(missing.status, 0);
        EXPECT_EQ(missing.err.rfind("Warning: no font has U+10FFFD\n", 0), 0u) << missing.err;
        EXPECT_EQ(missing.err.find("no font", 10), std::string::npos) << missing.err;
    }
}

TEST_F(BatchToolTest, ExitStatusSaysWhatHappened) {
    ASSERT_TRUE(SolidPicture(10, 10, 255, 0, 0).Save(dir.File("logo.bmp")));
    const std::vector<std::string> mark = {"--image", dir.File("logo.bmp")};
    auto withMark = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), mark.begin(), mark.end());
        return Run(arguments);
    };
    const ToolRun refused = Run({"--bogus", source().string()});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err.rfind("stampora-batch: unknown option --bogus", 0), 0u) << refused.err;
    EXPECT_EQ(Run({"--image", dir.File("missing.png"), source().string(), output().string()}).status, 2);
    EXPECT_EQ(withMark({"", output().string()}).status, 2);
    const ToolRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("--image-align"));
    EXPECT_THAT(help.out, HasSubstr("--placements FILE"));

    // Nothing to stamp is refused rather than copying every picture unmarked.
    AddPicture("a.bmp", 40, 30, 1);
    const ToolRun nothing = Run({source().string(), output().string()});
    EXPECT_EQ(nothing.status, 2);
    EXPECT_THAT(nothing.err, HasSubstr("nothing to stamp"));
    // A missing source is refused before any output folder is made.
    const ToolRun missing = withMark({dir.File("missing"), output().string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_THAT(missing.err, HasSubstr("No such file or directory"));
    EXPECT_FALSE(fs::exists(output()));
    // An output folder that cannot be made at all, with the system's reason.
    const std::string underFile = (source() / "a.bmp" / "out").string();
    const ToolRun notMade = withMark({source().string(), underFile});
    EXPECT_EQ(notMade.status, 2);
    EXPECT_THAT(notMade.err,
                HasSubstr("cannot create the output directory " + underFile + "\nNot a directory"));
    EXPECT_EQ(notMade.out, "");
    // Writing over the originals needs --in-place.
    const std::vector<uint8_t> original = FileBytes(source() / "a.bmp");
    const ToolRun overOriginals = withMark({source().string(), source().string() + "/."});
    EXPECT_EQ(overOriginals.status, 2);
    EXPECT_THAT(overOriginals.err, HasSubstr("--in-place"));
    EXPECT_EQ(FileBytes(source() / "a.bmp"), original);

    // No file of the chosen types: README and notes.e are no pictures' names.
    WriteTextFile(source() / "README", "");
    WriteTextFile(source() / "notes.e", "");
    const ToolRun none = withMark({"--types", "jpg,tga", source().string(), output().string()});
    EXPECT_EQ(none.status, 1);
    EXPECT_THAT(none.err, HasSubstr("There is no file!"));
}

TEST_F(BatchToolTest, LinesComeInNameOrderWithNamesQuotedAndDepthNoted) {
    // A name that would move the cursor and recolour the terminal.
    const std::string hostile = "a\nb\033[31m'q.bmp";
    AddPicture(hostile, 60, 40, 1);
    fs::copy_file(FixturePath("png/rgb16.png"), source() / "deep.png");
    fs::copy_file(FixturePath("tiff/rgba16.tif"), source() / "deep.tif");
    AddPicture("big.bmp", 3000, 2000, 2);  // started first, finished last, told second
    ASSERT_TRUE(SolidPicture(4, 4, 255, 0, 0).Save(dir.File("logo.bmp")));
    const ToolRun run =
        Run({"--jobs", "2", "--image", dir.File("logo.bmp"), source().string(), output().string()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;

    // GNU ls quotes the name the same way.
    std::string quoted;
    std::FILE* ls = ::popen(("ls --quoting-style=shell-escape " + Quoted(source().string())).c_str(), "r");
    ASSERT_NE(ls, nullptr);
    for (int c = std::fgetc(ls); c != EOF && c != '\n'; c = std::fgetc(ls)) quoted += static_cast<char>(c);
    ::pclose(ls);
    ASSERT_NE(quoted.find("$'\\n'"), std::string::npos) << quoted;
    EXPECT_EQ(run.out.substr(0, run.out.find("; results")),
              quoted +
                  ": written\nbig.bmp: written\ndeep.png: written at 8 bits per channel\n"
                  "deep.tif: written at 8 bits per channel\n4 written");
    EXPECT_THAT(run.out, HasSubstr("\n2 pictures were written at 8 bits per channel.\n"));
}

// A link in the output folder never carries a copy out of it: not onto its
// own original (unless originals may be replaced), not onto any other file.
TEST_F(BatchToolTest, OutputLinksNeverLeadOutOfTheOutputFolder) {
    AddPicture("a.bmp", 60, 40, 1);
    AddPicture("b.bmp", 60, 40, 2);
    AddPicture("c.bmp", 60, 40, 3);
    fs::create_directories(output());
    fs::create_directories(dir.Path() / "elsewhere");
    WriteTextFile(dir.Path() / "elsewhere" / "victim.bmp", "victim");
    fs::create_symlink(source() / "a.bmp", output() / "a.bmp");
    fs::create_symlink("../elsewhere/victim.bmp", output() / "b.bmp");
    // Nor is a folder made through a linked subfolder.
    fs::create_directories(source() / "sub" / "deep");
    AddPicture("sub/deep/d.bmp", 60, 40, 4);
    fs::create_symlink("../elsewhere", output() / "sub");
    ASSERT_TRUE(SolidPicture(10, 10, 255, 0, 0).Save(dir.File("logo.bmp")));
    const std::vector<uint8_t> original = FileBytes(source() / "a.bmp");
    const std::vector<std::string> arguments = {"--recursive", "--image", dir.File("logo.bmp"),
                                                source().string(), output().string()};

    const ToolRun run = Run(arguments);
    EXPECT_EQ(run.status, 1);
    const std::string refused = ": FAILED (could not save): ";
    for (const std::string& line : {"a.bmp" + refused + "cannot create the file: " + kLinkToSourceText,
                                    "b.bmp" + refused + "cannot create the file: " + kLinkOutsideText,
                                    "sub/deep/d.bmp" + refused + kFolderOutsideText})
        EXPECT_THAT(run.out, HasSubstr(line));
    EXPECT_EQ(FileBytes(source() / "a.bmp"), original);
    EXPECT_EQ(FileText(dir.Path() / "elsewhere" / "victim.bmp"), "victim");
    EXPECT_FALSE(fs::exists(dir.Path() / "elsewhere" / "deep"));
    EXPECT_EQ(Bgr(Load(output() / "c.bmp"), 45, 25), 0xFF0000u);

    std::vector<std::string> inPlace = arguments;
    inPlace.insert(inPlace.begin(), "--in-place");
    EXPECT_EQ(Run(inPlace).status, 1);
    EXPECT_EQ(Bgr(Load(source() / "a.bmp"), 45, 25), 0xFF0000u);
    EXPECT_EQ(FileText(dir.Path() / "elsewhere" / "victim.bmp"), "victim");
}

// A list may come from any stream, one name a line (blank lines aside); a
// preset replaces only a regular file.
TEST_F(BatchToolTest, ListsComeFromPipesPresetsReplaceOnlyRegularFiles) {
    AddPicture("a.bmp", 200, 150, 1);
    AddPicture("b.bmp", 200, 150, 2);
    const ToolRun fifo =
        Run({"--files-from", "list.fifo", "--text", "x", source().string(), output().string()},
            "mkfifo list.fifo && (printf 'b.bmp\\n\\n' >list.fifo &)");
    EXPECT_EQ(fifo.status, 0) << fifo.out << fifo.err;
    EXPECT_TRUE(fs::exists(output() / "b.bmp"));
    EXPECT_FALSE(fs::exists(output() / "a.bmp"));

    ASSERT_EQ(::mkfifo(dir.File("preset.ini").c_str(), 0600), 0);
    const ToolRun preset = Run({"--save-preset", "preset.ini", "--text", "x"});
    EXPECT_EQ(preset.status, 2);
    EXPECT_THAT(preset.err, HasSubstr("cannot write the preset preset.ini: not a regular file but a FIFO"));
    EXPECT_TRUE(fs::is_fifo(dir.Path() / "preset.ini"));
}

TEST_F(BatchToolTest, OutputDefaultsToTheEditorsOutputDirectory) {
    AddPicture("a.bmp", 30, 20, 1);
    const fs::path configured = dir.Path() / "configured out";
    WriteTextFile(dir.Path() / "config.ini", "[Setting]\nOutputDir=" + configured.string() + "\n");
    ASSERT_TRUE(SolidPicture(5, 5, 255, 0, 0).Save(dir.File("logo.bmp")));
    ASSERT_EQ(Run({"--image", dir.File("logo.bmp"), source().string()}).status, 0);
    EXPECT_TRUE(fs::exists(configured / "a.bmp"));
}

// Every file below a folder, by its path inside it, with its bytes.
std::map<std::string, std::vector<uint8_t>> TreeBytes(const fs::path& folder) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).string()] = FileBytes(entry.path());
    }
    return files;
}

TEST_F(BatchToolTest, ShardsOfATreeTogetherMakeOneRun) {
    fs::create_directories(source() / "2024" / "june");
    AddPicture("a.bmp", 120, 90, 1);
    AddPicture("b.TIFF", 130, 80, 2);
    AddPicture("2024/c.tga", 110, 70, 3);
    AddPicture("2024/june/d.png", 100, 100, 4);
    AddPicture("2024/june/e.tif", 140, 60, 5);
    // A link to a folder outside (or above) the tree is not walked, and an
    // output folder inside the tree never is.
    fs::create_directories(dir.Path() / "elsewhere");
    ASSERT_TRUE(PatternPicture(90, 90, 6).Save((dir.Path() / "elsewhere" / "x.bmp").string()));
    fs::create_directory_symlink(dir.Path() / "elsewhere", source() / "linked");
    fs::create_directory_symlink(source(), source() / "2024" / "loop");
    ASSERT_TRUE(SolidPicture(20, 10, 255, 0, 0).Save(dir.File("logo.bmp")));
    const std::vector<std::string> marks = {"--image", dir.File("logo.bmp"), "--recursive"};

    auto runInto = [&](const fs::path& folder, std::vector<std::string> extra) {
        std::vector<std::string> arguments = marks;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.insert(arguments.end(), {source().string(), folder.string()});
        const ToolRun run = Run(arguments);
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        return run;
    };
    runInto(dir.Path() / "whole", {});
    const auto whole = TreeBytes(dir.Path() / "whole");
    EXPECT_EQ(whole.size(), 5u);
    EXPECT_EQ(whole.count("2024/june/e.tif"), 1u);
    EXPECT_EQ(Load(dir.Path() / "whole" / "2024" / "june" / "d.png").Width(), 100);

    std::map<std::string, std::vector<uint8_t>> shards;
    for (const char* shard : {"1/3", "2/3", "3/3"}) {
        const fs::path folder = dir.Path() / (std::string("shard") + shard[0]);
        runInto(folder, {"--shard", shard});
        for (auto& [name, bytes] : TreeBytes(folder)) EXPECT_TRUE(shards.emplace(name, bytes).second) << name;
    }
    EXPECT_EQ(shards, whole);
    // Run twice into a folder of the tree: the first run's results are not
    // taken as pictures by the second.
    runInto(source() / "marked", {});
    const ToolRun again = runInto(source() / "marked", {});
    EXPECT_THAT(again.out, HasSubstr("5 written"));
    EXPECT_THAT(again.out, HasSubstr("left out marked: it is the output directory"));
    EXPECT_EQ(TreeBytes(source() / "marked"), whole);

    // More shares than pictures: the empty ones are done, not failed.
    const ToolRun empty = runInto(dir.Path() / "shard9", {"--shard", "99/99"});
    EXPECT_THAT(empty.out, HasSubstr("0 written"));
}

TEST_F(BatchToolTest, SkipExistingResumesAnInterruptedRun) {
    for (int32_t i = 0; i < 4; ++i) AddPicture("p" + std::to_string(i) + ".bmp", 100, 80, i);
    ASSERT_TRUE(SolidPicture(20, 10, 0, 0, 255).Save(dir.File("logo.bmp")));
    const std::vector<std::string> arguments = {"--skip-existing", "--image", dir.File("logo.bmp"),
                                                source().string(), output().string()};
    ASSERT_EQ(Run(arguments).status, 0);
    // As a killed run leaves it: one output missing, one older than its source,
    // one newer but cut short.
    fs::remove(output() / "p1.bmp");
    fs::last_write_time(output() / "p2.bmp",
                        fs::last_write_time(source() / "p2.bmp") - std::chrono::hours(1));
    fs::resize_file(output() / "p3.bmp", 100);
    const auto kept = fs::last_write_time(output() / "p0.bmp");

    const ToolRun resumed = Run(arguments);
    EXPECT_EQ(resumed.status, 0) << resumed.out;
    EXPECT_THAT(resumed.out, HasSubstr("p0.bmp: up to date\np1.bmp: written\np2.bmp: written\np3.bmp: "
                                       "written\n3 written, 1 up to date; results in"));
    EXPECT_EQ(fs::last_write_time(output() / "p0.bmp"), kept);
    EXPECT_EQ(Load(output() / "p1.bmp").Width(), 100);

    // Whole outputs of the newer formats are known as such too.
    for (const char* name : {"camera.webp", "camera.heic", "alpha-q80.avif", "camera.jxl"})
        fs::copy_file(FixturePath(std::string("newformats/") + name), source() / name);
    ASSERT_EQ(Run(arguments).status, 0);
    const ToolRun newer = Run(arguments);
    EXPECT_THAT(newer.out, HasSubstr("0 written, 8 up to date"));
}

TEST_F(BatchToolTest, FilesFromTakesTheListGiven) {
    fs::create_directory(source() / "sub");
    AddPicture("a.bmp", 100, 80, 1);
    AddPicture("b.bmp", 100, 80, 2);
    AddPicture("sub/c d.bmp", 100, 80, 3);
    ASSERT_TRUE(SolidPicture(20, 10, 0, 0, 255).Save(dir.File("logo.bmp")));
    // NUL-separated from standard input, as find -print0 gives it; one name
    // outside the source folder, whose output would land outside the output.
    const std::string list = std::string("sub/c d.bmp") + '\0' + (source() / "a.bmp").string() + '\0' +
                             "../logo.bmp" + '\0' + "gone.bmp";
    WriteTextFile(dir.File("list.bin"), list);
    const ToolRun run = Run({"--files-from", "-", "--null", "--image", dir.File("logo.bmp"),
                             source().string(), output().string()},
                            "exec <list.bin");
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_THAT(run.out, HasSubstr("../logo.bmp: skipped: not inside the source directory"));
    // One summary, each skipped file counted by its own reason.
    EXPECT_THAT(run.out,
                HasSubstr("2 written; results in " + output().string() +
                          "\n1 file was skipped: no such file.\n1 file was skipped: not inside the source "
                          "directory.\n"));
    EXPECT_THAT(run.out, Not(HasSubstr("not a readable picture")));
    EXPECT_THAT(run.out, Not(HasSubstr("Batch finish!")));
    EXPECT_TRUE(fs::exists(output() / "sub" / "c d.bmp"));
    EXPECT_TRUE(fs::exists(output() / "a.bmp"));
    EXPECT_FALSE(fs::exists(output() / "b.bmp"));
    EXPECT_FALSE(fs::exists(dir.Path() / "logo.bmp.out"));

    EXPECT_EQ(Run({"--files-from", "missing.txt", "--text", "x", source().string()}).status, 2);
}

TEST_F(BatchToolTest, PlacementsMoveAMarkOnOnePictureOnly) {
    for (const char* name : {"a,b.bmp", "c.bmp"})
        ASSERT_TRUE(SolidPicture(200, 150, 255, 255, 255).Save((source() / name).string()));
    ASSERT_TRUE(SolidPicture(20, 10, 255, 0, 0).Save(dir.File("logo.bmp")));
    const std::vector<std::string> mark = {"--image", dir.File("logo.bmp"), source().string()};
    auto run = [&](const std::string& folder, std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), mark.begin(), mark.end());
        arguments.push_back((dir.Path() / folder).string());
        return Run(arguments);
    };
    ASSERT_EQ(run("anchored", {}).status, 0);
    WriteTextFile(dir.File("places.csv"), "\"a,b.bmp\",image,30,40\n");
    ASSERT_EQ(run("placed", {"--placements", "places.csv"}).status, 0);
    const markmeasure::Box box =
        markmeasure::BoxOf(Load(dir.Path() / "placed" / "a,b.bmp"), markmeasure::IsRed);
    EXPECT_EQ(std::vector<int32_t>({box.left, box.top, box.Width(), box.Height()}),
              std::vector<int32_t>({30, 40, 20, 10}));
    EXPECT_EQ(FileBytes(dir.File("placed/c.bmp")), FileBytes(dir.File("anchored/c.bmp")));

    // A mark put beyond the edge is moved in, never lost; a line naming no
    // picture of the run is told by its line, and the run goes on.
    WriteTextFile(dir.File("places.csv"), "c.bmp,image,1000,-50\ngone.bmp,text,5,5\ngone.bmp,image,1,1\n");
    const ToolRun unmatched = run("again", {"--placements", "places.csv"});
    const markmeasure::Box edge =
        markmeasure::BoxOf(Load(dir.Path() / "again" / "c.bmp"), markmeasure::IsRed);
    EXPECT_EQ(std::vector<int32_t>({edge.left, edge.top}), std::vector<int32_t>({180, 0}));
    EXPECT_EQ(unmatched.status, 1);
    EXPECT_THAT(unmatched.out, HasSubstr("places.csv:2: no selected picture is named gone.bmp\n"
                                         "places.csv:3: no selected picture is named gone.bmp"));
    EXPECT_TRUE(fs::exists(dir.Path() / "again" / "a,b.bmp"));
    // The path that keeps a JPEG's blocks places the mark alike.
    ASSERT_TRUE(SolidPicture(200, 150, 255, 255, 255).Save((source() / "d.jpg").string()));
    WriteTextFile(dir.File("places.csv"), "d.jpg,image,64,48\n");
    ASSERT_EQ(run("kept", {"--lossless-jpeg", "--placements", "places.csv"}).status, 0);
    const markmeasure::Box kept = markmeasure::BoxOf(Load(dir.Path() / "kept" / "d.jpg"), markmeasure::IsRed);
    EXPECT_NEAR(kept.left, 64, 1);
    EXPECT_NEAR(kept.top, 48, 1);
    // A malformed line stops the run before anything is made.
    WriteTextFile(dir.File("places.csv"), "c.bmp,image,1,1\nc.bmp,logo,1,1\n");
    const ToolRun malformed = run("never", {"--placements", "places.csv"});
    EXPECT_EQ(malformed.status, 2);
    EXPECT_THAT(malformed.err, HasSubstr("places.csv:2: the mark must be text or image"));
    EXPECT_FALSE(fs::exists(dir.Path() / "never"));
}

TEST_F(BatchToolTest, PresetsKeepTheOptionsAndTheCommandLineWins) {
    AddPicture("photo.bmp", 300, 200, 1);
    ASSERT_TRUE(SolidPicture(40, 20, 255, 0, 0).Save(dir.File("logo.bmp")));
    fs::create_directory(dir.Path() / "elsewhere");
    const ToolRun saved = Run({"--save-preset", "preset.ini", "--image", "logo.bmp", "--image-align",
                               "left-top", "--image-opacity", "100", "--text", "two\\lines\nhere", "--shadow",
                               "--types", "bmp,tif", "--quality", "90", "--jobs", "2"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    const std::string text = FileText(dir.File("preset.ini"));
    EXPECT_THAT(text, HasSubstr("[Image]\nimage=\"" + dir.File("logo.bmp") + "\"\nimage-align=\"left-top\""));
    EXPECT_THAT(text, HasSubstr("shadow=\"on\"\ntext=\"two\\\\lines\\nhere\""));
    EXPECT_THAT(text, HasSubstr("[Output]\nquality=\"90\"\ntypes=\"bmp,tif\""));
    EXPECT_THAT(text, Not(HasSubstr("jobs")));

    // Loaded from another folder; the anchor given on the command line wins.
    const std::string preset = dir.File("preset.ini");
    ASSERT_EQ(Run({"--preset", preset, "--text", "x", "--text-align", "left-top", "--image-align",
                   "right-bottom", "--save-preset", "again.ini", source().string(), output().string()},
                  "cd elsewhere")
                  .status,
              0);
    const CRasterImage result = Load(output() / "photo.bmp");
    EXPECT_EQ(Bgr(result, 285, 185), 0xFF0000u);
    EXPECT_NE(Bgr(result, 15, 15), 0xFF0000u);
    const std::string againText = FileText(dir.Path() / "elsewhere" / "again.ini");
    EXPECT_THAT(againText, HasSubstr("image-align=\"right-bottom\""));
    EXPECT_THAT(againText, HasSubstr("text=\"x\""));

    // Anything but the options of a preset is refused where it stands, and
    // nothing runs.
    const std::pair<std::string, std::string> refusals[] = {
        {"[Text]\nsize=huge\n", "bad.ini:2: bad value 'huge' for size"},
        {"[Text]\ntext=\"x\"\ncolour=\"FFFFFF\"\n", "bad.ini:3: unknown key 'colour' in [Text]"},
        {"[Output]\nsize=\"8\"\n", "bad.ini:2: 'size' belongs in [Text]"},
        {"; mine\ntext=\"x\"\n", "bad.ini:2: 'text' stands before any section"},
        {"[Watermark]\ntext=\"x\"\n", "bad.ini:1: unknown section"},
        {"[Text]\ntext=\"x\n", "bad.ini:2: the value of 'text' has no closing quote"},
        {"[Text]\nshadow=\"yes\"\n", "bad.ini:2: bad value 'yes' for shadow"},
        {"[Text]\nsize=8\nSIZE=9\n", "bad.ini:3: 'size' is given twice"},
        {"", ""},  // a program's first bytes
    };
    for (const auto& [content, reason] : refusals) {
        const auto program = FileBytes(tool);
        WriteTextFile(dir.File("bad.ini"),
                      content.empty() ? std::string(program.begin(), program.begin() + 300) : content);
        const ToolRun bad = Run({"--preset", "bad.ini", source().string(), output().string() + "2"});
        EXPECT_EQ(bad.status, 2) << content;
        EXPECT_THAT(bad.err, HasSubstr("stampora-batch: " + (reason.empty() ? "bad.ini:1: " : reason)));
    }
    EXPECT_FALSE(fs::exists(output().string() + "2"));
    EXPECT_EQ(Run({"--preset", "missing.ini", "--text", "x", source().string()}).status, 2);
}

TEST_F(BatchToolTest, VersionAndVerboseReport) {
    const ToolRun version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("stampora-batch ", 0), 0u) << version.out;

    AddPicture("photo.bmp", 300, 200, 1);
    ASSERT_TRUE(SolidPicture(40, 20, 255, 0, 0).Save(dir.File("logo.bmp")));
    const ToolRun run =
        Run({"--verbose", "--image", dir.File("logo.bmp"), source().string(), output().string()});
    ASSERT_EQ(run.status, 0);
    EXPECT_THAT(run.out, HasSubstr("photo.bmp: written\n  180.1 KB, image mark 40x20, "));
    EXPECT_THAT(run.out, HasSubstr(" s\n"));

    // --quality source: each JPEG at its own quality, others at 80.
    fs::copy_file(FixturePath("jpeg/quality92-420.jpg"), source() / "q92.jpg");
    const ToolRun source92 = Run({"--verbose", "--quality", "source", "--image", dir.File("logo.bmp"),
                                  source().string(), output().string()});
    ASSERT_EQ(source92.status, 0) << source92.out;
    EXPECT_THAT(source92.out, HasSubstr(", source quality 92, "));
    EXPECT_EQ(JpegFileQuality((output() / "q92.jpg").string()), 92);
}

}  // namespace

// Marks sized by each picture, tiled and filled in, checked on the written files.
class MarkFittingToolTest : public BatchToolTest {
protected:
    void AddPlain(const std::string& name, int32_t width, int32_t height) {
        ASSERT_TRUE(SolidPicture(width, height, 255, 255, 255).Save((source() / name).string()));
    }
};

TEST_F(MarkFittingToolTest, TilesCoverEveryQuadrantWholeOrCutByTheEdge) {
    AddPlain("wide.png", 640, 400);
    ASSERT_TRUE(SolidPicture(50, 30, 255, 0, 0).Save(dir.File("logo.png")));
    const ToolRun run = Run({"--image", dir.File("logo.png"), "--tile", "--tile-gap", "20,3%",
                             "--image-align", "center", source().string(), output().string()});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const CRasterImage result = Load(output() / "wide.png");
    EXPECT_GT(CountPixels(result, markmeasure::IsRed), 40000);
    EXPECT_TRUE(markmeasure::RunsAreWholeOrEdgeCut(result, markmeasure::IsRed, 50, 30));
    EXPECT_TRUE(markmeasure::IsRed(result.PixelAt(295, 185)));  // the centred tile

    // A gap that would place more tiles than allowed fails that picture only.
    ASSERT_TRUE(SolidPicture(1, 1, 255, 0, 0).Save(dir.File("dot.png")));
    const ToolRun dense = Run({"--image", dir.File("dot.png"), "--tile", "--tile-gap", "0", source().string(),
                               (dir.Path() / "dense").string()});
    EXPECT_EQ(dense.status, 1);
    EXPECT_THAT(dense.out, HasSubstr("256000 tiles"));
    EXPECT_FALSE(fs::exists(dir.Path() / "dense" / "wide.png"));
}

TEST_F(MarkFittingToolTest, WorkersShareFittedLayersAndNumberInListOrder) {
    if (!IsInstalledFamily("DejaVu Sans")) GTEST_SKIP() << "DejaVu Sans is not installed";
    const int32_t sides[][2] = {{300, 200}, {640, 480}, {300, 200}, {800, 500}, {640, 480}, {300, 200}};
    for (int32_t i = 0; i < 6; ++i) AddPlain("p" + std::to_string(i) + ".png", sides[i][0], sides[i][1]);
    ASSERT_TRUE(SolidPicture(30, 20, 255, 0, 0).Save(dir.File("logo.png")));
    auto run = [&](const std::string& jobs, const std::string& folder) {
        return Run({"--text", "#{n} {name} {width}x{height}", "--size", "6%", "--image", dir.File("logo.png"),
                    "--image-size", "x10%", "--tile", "--jobs", jobs, source().string(),
                    (dir.Path() / folder).string()})
            .status;
    };
    ASSERT_EQ(run("1", "one"), 0);
    ASSERT_EQ(run("4", "four"), 0);
    for (int32_t i = 0; i < 6; ++i) {
        const std::string name = "p" + std::to_string(i) + ".png";
        EXPECT_EQ(FileBytes(dir.Path() / "one" / name), FileBytes(dir.Path() / "four" / name)) << name;
    }
}

// A picture whose blocks cannot be kept says so on its own line, and the
// summary counts it; a mark sized to each picture keeps the blocks.
TEST_F(BatchToolTest, LosslessJpegSaysWhyAPictureWasReEncodedWhole) {
    fs::copy_file(FixturePath("jpeg-blocks/q92-444.jpg"), source() / "photo.jpg");
    fs::copy_file(FixturePath("jpeg/cmyk.jpg"), source() / "print.jpg");
    ASSERT_TRUE(SolidPicture(20, 10, 255, 0, 0).Save(dir.File("logo.bmp")));
    const ToolRun run = Run({"--lossless-jpeg", "--image", dir.File("logo.bmp"), "--image-size", "10%",
                             source().string(), output().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("photo.jpg: written\n"));
    EXPECT_THAT(run.out, HasSubstr("print.jpg: written, re-encoded whole: CMYK\n"));
    EXPECT_THAT(run.out, HasSubstr("1 JPEG was re-encoded whole"));
}

TEST_F(BatchToolTest, AutomaticPlaceAndColourFollowEachPicture) {
    uint32_t seed = 99;
    const CRasterImage half = PaintedImage(480, 320, 24, [&](int32_t x, int32_t, uint8_t* p) {
        seed = seed * 1664525u + 1013904223u;
        p[0] = p[1] = p[2] = static_cast<uint8_t>(x < 240 ? seed >> 24 : 128);
    });
    ASSERT_TRUE(half.Save((source() / "half.bmp").string()));
    ASSERT_TRUE(SolidPicture(480, 320, 0x20, 0x20, 0x20).Save((source() / "dark.bmp").string()));
    ASSERT_TRUE(SolidPicture(480, 320, 0xE0, 0xE0, 0xE0).Save((source() / "light.bmp").string()));
    const ToolRun run = Run({"--text", "Mark", "--size", "10%", "--color", "auto", "--outline", "10%",
                             "--text-align", "auto", "--verbose", source().string(), output().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("text mark at Right Top, text black"));
    EXPECT_THAT(run.out, HasSubstr("text mark at Left Top, text white"));

    // White text on the dark picture, black on the light one.
    const auto extreme = [](const CRasterImage& picture, bool brightest) {
        uint8_t found = brightest ? 0 : 255;
        EachPixel(picture, [&](int32_t, int32_t, const uint8_t* p) {
            found = brightest ? std::max(found, p[1]) : std::min(found, p[1]);
        });
        return found;
    };
    EXPECT_EQ(extreme(Load(output() / "dark.bmp"), true), 255);
    EXPECT_EQ(extreme(Load(output() / "light.bmp"), false), 0);
}
