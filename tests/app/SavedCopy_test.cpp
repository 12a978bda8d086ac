// The editor's saved copy keeps what its source carried, as the batch's
// copies do: metadata, colour profile, chroma sampling, every frame of an
// animation, with the marks where the user put them.
// GCC takes the choosers' queued answers for maybe uninitialised once
// exiv2's headers are in the same file: a false warning.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "app/EditorTestSupport.h"
#pragma GCC diagnostic pop
#include <exiv2/exiv2.hpp>

#include "app/MainFrame.h"
#include "app/settings/OutputDirectory.h"
#include "codecs/metadata/SourceQuality.h"
#include "platform/PixelMemory.h"
#include "text/FontCatalog.h"

namespace {

// The copy's EXIF and ICC profile as exiv2 reads them.
struct Metadata {
    Exiv2::ExifData exif;
    std::string profile;
    std::string Text(const char* key) const {
        const auto found = exif.findKey(Exiv2::ExifKey(key));
        return found == exif.end() ? "" : found->toString();
    }
};

Metadata Read(const std::string& path) {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    Metadata metadata{image->exifData(), ""};
    if (image->iccProfileDefined()) {
        const Exiv2::DataBuf* profile = image->iccProfile();
        metadata.profile.assign(reinterpret_cast<const char*>(profile->pData_),
                                static_cast<size_t>(profile->size_));
    }
    return metadata;
}

class SavedCopyTest : public ::testing::Test, protected EditorSession {
protected:
    SavedCopyTest() {
        std::filesystem::create_directories(dir.Path() / "out");
        outputDirectory = dir.File("out");
    }
    void Open(const std::string& path) {
        ASSERT_TRUE(frame.OpenPath(QString::fromStdString(path)));
        ASSERT_TRUE(frame.Canvas()->Document().loaded);
    }
    void SaveAs(const std::string& path) {
        choosers.saveFiles.push_back(QString::fromStdString(path));
        frame.Action(CommandId::kSaveAs)->trigger();
    }
    // A small red mark, taken onto the open picture.
    void TakeRedLogo() {
        ImageWatermark logo;
        logo.source = UniformImage(8, 6, 24, 0xFF0000);
        logo.base.width = 8;
        logo.base.height = 6;
        logo.base.enabled = true;
        frame.Canvas()->TakeImageMark(logo);
    }

    MainFrame frame;
};

TEST_F(SavedCopyTest, ACameraJpegKeepsItsMetadataProfileAndSamplingWithTheMarkAsShown) {
    if (!IsInstalledFamily("DejaVu Sans")) GTEST_SKIP() << "DejaVu Sans is not installed";
    const std::string camera = FixturePath("jpeg/camera.jpg");
    Open(camera);
    TextWatermark text;
    text.text = u"Hi";
    text.font = {12, 400, false, 1, u"DejaVu Sans"};
    text.base.enabled = true;
    frame.Canvas()->TakeTextMark(text);
    ASSERT_TRUE(frame.Canvas()->Marks().PlacedText().shown);
    frame.Action(CommandId::kSave)->trigger();
    SaveAs(dir.File("copy.png"));
    EXPECT_TRUE(messages.messages.empty());

    // Which items a copy keeps is checked with the copies themselves; here,
    // that the editor's save takes that path.
    const Metadata source = Read(camera);
    const Metadata copy = Read(dir.File("out/camera.jpg"));
    ASSERT_FALSE(source.Text("Exif.Image.Model").empty());
    EXPECT_EQ(copy.Text("Exif.Image.Model"), source.Text("Exif.Image.Model"));
    EXPECT_EQ(copy.Text("Exif.Image.Orientation"), "1");  // the pixels are already upright
    EXPECT_EQ(copy.profile, source.profile);
    const auto sampling = JpegFileSampling(dir.File("out/camera.jpg"));
    ASSERT_TRUE(sampling.has_value());
    EXPECT_EQ(sampling->horizontal * 10 + sampling->vertical, 11);  // 4:4:4 as it came

    // A lossless copy holds exactly the composed picture the canvas shows
    // (an opaque one is stored without its alpha).
    CRasterImage png;
    ASSERT_TRUE(png.Load(dir.File("copy.png")));
    ASSERT_TRUE(png.PromoteDepth(32));
    EXPECT_TRUE(SamePixels(png, frame.Canvas()->ComposeForSave()));
    EXPECT_EQ(Read(dir.File("copy.png")).Text("Exif.Image.Model"), source.Text("Exif.Image.Model"));
}

TEST_F(SavedCopyTest, AnAnimationSavedInItsFormatKeepsEveryFrameWithTheMarkWhereItWasPut) {
    for (const char* name : {"gif/animated-5.gif", "newformats/animated-5.webp"}) {
        const std::string animation = FixturePath(name);
        Open(animation);
        TakeRedLogo();
        const WatermarkBase& mark = frame.Canvas()->Marks().PlacedImage().made.base;
        const std::string copy =
            dir.File(std::string("copy") + std::filesystem::path(name).extension().string());
        SaveAs(copy);
        EXPECT_TRUE(messages.messages.empty()) << name;

        ImageList before, after;
        CImageProperties sourceTiming, copyTiming;
        ASSERT_TRUE(CPictureFiles::LoadFrames(before, animation, &sourceTiming, nullptr));
        ASSERT_TRUE(CPictureFiles::LoadFrames(after, copy, &copyTiming, nullptr));
        ASSERT_EQ(after.Size(), before.Size()) << name;
        ASSERT_GT(after.Size(), 1u);
        EXPECT_EQ(copyTiming.frameDelays, sourceTiming.frameDelays);
        for (size_t i = 0; i < after.Size(); ++i) {
            const uint8_t* p = after.At(i)->PixelAt(mark.x + 4, mark.y + 3);
            // WebP is stored lossy: red within a little.
            EXPECT_TRUE(p[2] > 224 && p[1] < 32 && p[0] < 32) << name << " frame " << i;
        }
    }
}

TEST_F(SavedCopyTest, APictureThatCannotTakeItsMarksForWantOfMemoryIsNotSaved) {
    // 200 x 100 at 24 bits is 60000 bytes; at 32 bits, 80000.
    Open(WritePicture(dir, "a.bmp", 200, 100));
    TakeRedLogo();
    LimitPixelBlockBytes(70000);
    frame.Action(CommandId::kSave)->trigger();
    LimitPixelBlockBytes(0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].text.find("not enough memory"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/a.bmp")));
}

}  // namespace
