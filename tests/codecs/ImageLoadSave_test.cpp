// Choosing a codec by extension, and what Load and Save promise around it:
// a failed load changes nothing, a failed save leaves the old file as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <vector>

#include "codecs/CodecFactory.h"
#include "codecs/ImageFormat.h"
#include "codecs/PictureFiles.h"
#include "image/RasterImage.h"
#include "platform/Utf8Path.h"
#include "support/TestPaths.h"
#include "support/TestPictures.h"

using namespace stampora;

namespace fs = std::filesystem;

namespace {

// Makes every write past `bytes` fail the way a full disk does, for as long
// as it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limited = previous;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
};

}  // namespace

TEST(ImageFormatTable, ExtensionsAfterTheLastDot) {
    for (const auto& [path, format] : {std::pair{"photo.JPG", FormatJpeg},
                                       {"a.b.jpeg", FormatJpeg},
                                       {"x.Jpe", FormatJpeg},
                                       {"archive.tar.tga", FormatTga},
                                       {"scan.DIB", FormatBmp},
                                       {"scan.rle", FormatBmp},
                                       {"scan.TIFF", FormatTiff}})
        EXPECT_EQ(FormatFromPath(path), format) << path;
    for (const char* none : {"dir.bmp/picture", "noextension", "trailing.", "x.jp", "x.jpgx", "scan.pcx"}) {
        EXPECT_EQ(FormatFromPath(none), FormatUnknown) << none;
    }
    // Every format has a codec.
    for (const FormatEntry& format : AllFormats())
        EXPECT_NE(GetCodecFactory().CreateCodec(format.id), nullptr) << format.name;
    EXPECT_EQ(GetCodecFactory().CreateCodec(FormatUnknown), nullptr);
}

TEST(ImageFormatTable, TheDesktopFileOffersTheMimeTypesOfEveryFormatRead) {
    std::string expected = "MimeType=";
    for (const FormatEntry& format : AllFormats()) {
        if (format.reads) expected += format.mimeTypes;
    }
    const std::string desktop = FileText(FixturePath("../../app/resources/stampora.desktop"));
    EXPECT_NE(desktop.find("\n" + expected + "\n"), std::string::npos)
        << "app/resources/stampora.desktop should have the line\n"
        << expected;
}

TEST(ImageLoadSave, FilesAreReadByTheirFirstBytesAndSavedByTheirExtension) {
    ScratchDir dir;
    CRasterImage picture = NoiseImage(5, 4, 24, 7);
    // Names of any script are the names on disk.
    for (const char* name : {"café ☕.bmp", "café ☕.png", "写真.TGA"}) {
        ASSERT_TRUE(picture.Save(dir.File(name))) << name;
        ASSERT_TRUE(fs::exists(dir.Path() / PathFromUtf8(name))) << name;
    }
    // A picture under a wrong or missing extension still opens.
    for (const char* name : {"bmp.pcx", "bmp.dib", "bmp", "bmp.", "png.jpg", "png.jpe"}) {
        fs::copy_file(dir.File(std::string("café ☕.") + (name[0] == 'b' ? "bmp" : "png")), dir.File(name));
        CRasterImage loaded;
        EXPECT_TRUE(loaded.Load(dir.File(name))) << name;
        EXPECT_TRUE(SamePixels(loaded, picture)) << name;
    }
    for (const char* name : {"x.pcx", "x.psd", "x.xpm", "x", "x."})
        EXPECT_FALSE(picture.Save(dir.File(name))) << name;
    // TGA has no signature: only its extension names it.
    CRasterImage kept;
    ASSERT_TRUE(kept.Load(dir.File("写真.TGA")));
    EXPECT_TRUE(SamePixels(kept, picture));
    fs::copy_file(dir.File("写真.TGA"), dir.File("tga.pcx"));
    Status status;
    EXPECT_FALSE(kept.Load(dir.File("tga.pcx"), nullptr, &status));
    EXPECT_EQ(status.Error(), "not a picture format Stampora reads");
    EXPECT_FALSE(picture.Save(dir.File("icon.ico"), -1, &status));
    EXPECT_EQ(status.Error(), "this format cannot be written");
    EXPECT_FALSE(kept.Load(dir.File("missing.bmp"), nullptr, &status));
    EXPECT_EQ(status.Error(), "No such file or directory");
    EXPECT_EQ(kept.Width(), 5);
    EXPECT_EQ(FileNamesIn(dir.Path()).size(), 10u);

    CRasterImage empty;
    EXPECT_FALSE(empty.Save(dir.File("empty.bmp")));
    EXPECT_FALSE(picture.Save(""));
}

TEST(ImageLoadSave, FailedSavesLeaveTheOldFileAndNoTemporaryFile) {
    ScratchDir dir;
    for (const char* name : {"kept.bmp", "kept.tga"}) {
        const std::string path = dir.File(name);
        ASSERT_TRUE(NoiseImage(4, 4, 24, 7).Save(path));
        const std::vector<uint8_t> before = FileBytes(path);
        {
            // A disk that fills up halfway through the new file.
            FileSizeLimit full(1000);
            CRasterImage large = NoiseImage(200, 100, 24, 7);
            Status status;
            EXPECT_FALSE(large.Save(path, -1, &status)) << name;
            EXPECT_EQ(status.Error(), "cannot write the file: File too large") << name;
        }
        EXPECT_EQ(FileBytes(path), before) << name;
    }
    EXPECT_EQ(FileNamesIn(dir.Path()), (std::vector<std::string>{"kept.bmp", "kept.tga"}));

    // A target in a folder that does not exist.
    Status status;
    EXPECT_FALSE(NoiseImage(4, 4, 24, 7).Save(dir.File("missing/x.tga"), -1, &status));
    EXPECT_EQ(status.Error(), "cannot create the file: No such file or directory");
}
