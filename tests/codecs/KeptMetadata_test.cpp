// The batch tool's copies keep what the source picture carried.
#include "codecs/metadata/KeptMetadata.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <latch>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/TestPaths.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

// What exiftool reads in a file: "[Group] Tag: value" lines, or with
// `options` such as "-b -ICC_Profile" the item's bytes.
std::string ExifTool(const fs::path& path, const std::string& options = "-a -G1 -S") {
    const std::string command = "exiftool " + options + " '" + path.string() + "' 2>/dev/null";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, got);
        pclose(pipe);
    }
    return text;
}

class KeptMetadataTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.Path() / "source");
        fs::copy_file(FixturePath("jpeg/camera.jpg"), dir.Path() / "source" / "camera.jpg");
        fs::copy_file(FixturePath("tiff/dpi300.tif"), dir.Path() / "source" / "dpi300.tif");
        for (const char* name : {"png/kept-metadata.png", "tiff/kept-metadata.tif", "gif/comment.gif"})
            fs::copy_file(FixturePath(name), dir.Path() / "source" / fs::path(name).filename());
    }

    // Runs the tool with a text mark, and `option` when not empty, into
    // the folder `output`.
    void Run(const std::string& option, const std::string& output) {
        const fs::path said = dir.Path() / (output + ".txt");
        const std::string command = std::string(STAMPORA_BINARY_DIR) + "/stampora-batch --text x --size 8 " +
                                    option + " '" + (dir.Path() / "source").string() + "' '" +
                                    (dir.Path() / output).string() + "' >'" + said.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        std::ifstream text(said);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << command << "\n"
            << std::string(std::istreambuf_iterator<char>(text), {});
    }

    ScratchDir dir;
};

// The first reads of a process may come from several workers at once; exiv2's
// XMP toolkit, started by whichever came first, crashed now and then when two
// did. Each try is a fresh process, so each starts exiv2 anew.
TEST(KeptMetadataWorkers, ReadSideBySideFromTheFirstRead) {
    std::ifstream file(FixturePath("jpeg/camera.jpg"), std::ios::binary);
    const std::vector<uint8_t> source{std::istreambuf_iterator<char>(file), {}};
    for (int attempt = 0; attempt < 24; ++attempt) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            constexpr int kWorkers = 12;
            std::latch start(kWorkers);
            std::vector<size_t> kept(kWorkers);
            std::vector<std::thread> workers;
            for (int i = 0; i < kWorkers; ++i) {
                workers.emplace_back([&, i] {
                    std::vector<uint8_t> segments;
                    start.arrive_and_wait();
                    stampora::KeptJpegSegments(source, 80, 60, stampora::MetadataKept::All, segments);
                    kept[static_cast<size_t>(i)] = segments.size();
                });
            }
            for (std::thread& worker : workers) worker.join();
            const bool same =
                kept.front() > 0 && std::count(kept.begin(), kept.end(), kept.front()) == kWorkers;
            std::_Exit(same ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "attempt " << attempt;
    }
}

// Run plainly and with --strip-metadata (whose preset entry the option
// tests read back), each copy keeps what its source carried or, stripped,
// only its colour profile and resolution, as another tool reads them.
TEST_F(KeptMetadataTest, CopiesKeepWhatTheirSourcesCarriedOrOnlyTheEssentials) {
    Run("", "all");
    Run("--strip-metadata", "bare");
    const fs::path source = dir.Path() / "source";
    const std::string camera = ExifTool(source / "camera.jpg");
    const std::string kept = ExifTool(dir.Path() / "all" / "camera.jpg");
    const std::string stripped = ExifTool(dir.Path() / "bare" / "camera.jpg");
    for (const char* line :
         {"[IFD0] Model: SC-1\n", "[ExifIFD] DateTimeOriginal: 2026:06:01 12:34:56\n",
          "[GPS] GPSLatitude: 48 deg 51' 24.00\"\n", "[IPTC] Caption-Abstract: A test picture\n",
          "[File] Comment: Shot for the tests\n"}) {
        EXPECT_THAT(camera, HasSubstr(line));
        EXPECT_THAT(kept, HasSubstr(line));
    }
    // The pixels were turned on loading: upright, and 80 wide.
    for (const char* line : {"[IFD0] Orientation: Horizontal (normal)\n", "[ExifIFD] ExifImageWidth: 80\n",
                             "[ExifIFD] ExifImageHeight: 120\n"})
        EXPECT_THAT(kept, HasSubstr(line));
    for (const char* gone : {"GPS", "[XMP", "[IPTC]", "Comment:", "Orientation:"})
        EXPECT_THAT(stripped, Not(HasSubstr(gone)));
    // The TIFF keeps its 300 dots per inch.
    const std::string tiff = ExifTool(dir.Path() / "all" / "dpi300.tif");
    EXPECT_THAT(tiff, HasSubstr("[IFD0] XResolution: 300\n"));
    EXPECT_THAT(tiff, HasSubstr("[IFD0] ResolutionUnit: inches\n"));

    // What each copy keeps whatever is stripped: no alpha channel it never had,
    // its colour description and its resolution.
    const std::map<std::string, std::vector<std::string>> kLook = {
        {"camera.jpg", {"[IFD0] XResolution: 240\n", "[IFD0] ResolutionUnit: inches\n"}},
        {"kept-metadata.png",
         {"[PNG] ColorType: RGB\n", "[PNG] Gamma: 1\n", "[PNG-pHYs] PixelsPerUnitX: 11811"}},
        {"kept-metadata.tif",
         {"[IFD0] BitsPerSample: 8 8 8\n", "[IFD0] XResolution: 300", "[IFD0] WhitePoint: 0.3127"}}};
    for (const auto& [name, look] : kLook) {
        const std::string profile = ExifTool(source / name, "-b -ICC_Profile");
        ASSERT_GT(profile.size(), 500u) << name;
        const std::string all = ExifTool(dir.Path() / "all" / name);
        for (const char* line : {"[IFD0] Make: Stampora Camera Works", "[XMP-dc] Creator: Ann Example"})
            EXPECT_THAT(all, HasSubstr(line)) << name;
        const std::string bare = ExifTool(dir.Path() / "bare" / name);
        EXPECT_THAT(bare, Not(HasSubstr("Stampora Camera Works")));
        EXPECT_THAT(bare, Not(HasSubstr("Ann Example")));
        for (const char* folder : {"all", "bare"}) {
            const fs::path copy = dir.Path() / folder / name;
            EXPECT_EQ(ExifTool(copy, "-b -ICC_Profile"), profile) << copy;
            const std::string items = ExifTool(copy);
            for (const std::string& line : look) EXPECT_THAT(items, HasSubstr(line)) << copy;
        }
    }
    const std::string png = ExifTool(dir.Path() / "all" / "kept-metadata.png");
    for (const char* line : {"[PNG] Author: Ann Example", "[PNG] Copyright: (c) 2026 Ann Example",
                             "[PNG] Description: A test picture"})
        EXPECT_THAT(png, HasSubstr(line));
    EXPECT_THAT(ExifTool(dir.Path() / "all" / "comment.gif"), HasSubstr("Comment: Drawn for the tests"));
    EXPECT_THAT(ExifTool(dir.Path() / "bare" / "comment.gif"), Not(HasSubstr("Comment:")));
}

// Coordinates in the EXIF GPS directory, XMP exif:GPS* and the IPTC
// Extension's places all leave, in both JPEG paths and in a TIFF; the
// places' names stay.
TEST_F(KeptMetadataTest, StrippingLocationLeavesNoCoordinateAnywhere) {
    fs::remove_all(dir.Path() / "source");
    fs::create_directories(dir.Path() / "source");
    fs::copy_file(FixturePath("jpeg/xmp-location.jpg"), dir.Path() / "source" / "a.jpg");
    fs::copy_file(FixturePath("tiff/xmp-location.tif"), dir.Path() / "source" / "b.tif");
    Run("--strip-gps", "normal");
    Run("--strip-gps --lossless-jpeg", "blocks");
    for (const char* copy : {"normal/a.jpg", "normal/b.tif", "blocks/a.jpg"}) {
        const std::string tags = ExifTool(dir.Path() / copy);
        EXPECT_THAT(tags, Not(HasSubstr("GPS"))) << copy;
        for (const char* kept : {"Paris", "Sydney", "Ann Example"})
            EXPECT_THAT(tags, HasSubstr(kept)) << copy;
    }
}

}  // namespace
