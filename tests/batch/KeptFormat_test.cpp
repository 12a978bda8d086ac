// A watermarked copy keeps what the source's format carried: every frame of
// an animated GIF with its timing, a JPEG's chroma subsampling, and the
// metadata, written before the copy takes its name.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "batch/BatchTestSupport.h"
#include "batch/FileResultLine.h"
#include "batch/copy/WatermarkFile.h"
#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"
#include "codecs/gif/GifAnimation.h"
#include "codecs/metadata/SourceQuality.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

// The red 10 x 10 logo at the right bottom: on a 96 x 64 picture it covers
// x 76..85, y 44..53.
using batchtest::RedLogo;

bool InsideLogo(int32_t x, int32_t y) {
    return x >= 76 && x < 86 && y >= 44 && y < 54;
}

TEST(KeptFormat, AnAnimatedGifKeepsEveryFrameStampedWithItsTiming) {
    ScratchDir dir;
    const ImageWatermark logo = RedLogo();
    CRasterImage work;
    const std::string source = FixturePath("gif/animated-5.gif");
    const BatchFileResult result = WatermarkFile(work, source, dir.File("a.gif"), logo, TextWatermark(), -1);
    ASSERT_TRUE(result.Complete()) << result.status.Error();

    ImageList before, after;
    CImageProperties sourceTiming, copyTiming;
    ASSERT_TRUE(CPictureFiles::LoadFrames(before, source, &sourceTiming, nullptr));
    ASSERT_TRUE(CPictureFiles::LoadFrames(after, dir.File("a.gif"), &copyTiming, nullptr));
    ASSERT_EQ(after.Size(), 5u);
    EXPECT_EQ(copyTiming.frameDelays, sourceTiming.frameDelays);
    EXPECT_EQ(copyTiming.loopCount, 2u);
    for (size_t i = 0; i < after.Size(); ++i) {
        const CRasterImage& was = *before.At(i);
        const CRasterImage& is = *after.At(i);
        int32_t wrong = 0;
        EachPixel(is, [&](int32_t x, int32_t y, const uint8_t* q) {
            const uint8_t* p = was.PixelAt(x, y);
            if (InsideLogo(x, y)) {
                wrong += q[2] < 240 || q[1] > 15 || q[0] > 15 || q[3] != 255;
            } else if ((p[3] == 0) != (q[3] == 0)) {
                ++wrong;  // transparency stays where it was, and only there
            } else if (p[3] != 0) {
                wrong +=
                    std::abs(p[0] - q[0]) > 24 || std::abs(p[1] - q[1]) > 24 || std::abs(p[2] - q[2]) > 24;
            }
        });
        EXPECT_EQ(wrong, 0) << "frame " << i + 1;
    }
}

TEST(KeptFormat, AnAnimationOfManySmallFramesOnABigScreenIsWrittenWhole) {
    // 600 one-pixel frames on a 1024 x 1024 screen: as screens of their own
    // they would pass the memory limit; played one at a time, every frame is
    // stamped and written.
    ScratchDir dir;
    WriteBytes(dir.File("many.gif"), ManyFrameGif(1024, 1024, 600));
    CRasterImage work;
    const BatchFileResult result =
        WatermarkFile(work, dir.File("many.gif"), dir.File("out.gif"), RedLogo(), TextWatermark(), -1);
    ASSERT_TRUE(result.Complete()) << result.status.Error() << result.status.damage;

    GifAnimationPlayer copy;
    Status status;
    ASSERT_TRUE(copy.OpenFile(dir.File("out.gif"), status)) << status.Error();
    EXPECT_EQ(copy.FrameCount(), 600u);
    FrameArea changed;
    while (copy.Next(changed)) {
    }
    // The last frame shows the 600 black pixels drawn in turn, the clear
    // screen beside them, and the logo.
    const CRasterImage& last = copy.Screen();
    EXPECT_EQ(last.ReadPixel(599, 0), 0xFF000000u);
    EXPECT_EQ(last.ReadPixel(600, 0) >> 24, 0u);
    EXPECT_EQ(last.ReadPixel(1008, 1008), 0xFFFF0000u);
}

TEST(KeptFormat, JpegToJpegKeepsTheChromaSubsampling) {
    ScratchDir dir;
    const ImageWatermark logo = RedLogo();
    CRasterImage work;
    const struct {
        const char* fixture;
        int32_t horizontal, vertical;
    } kCases[] = {{"q50-420.jpg", 2, 2}, {"q75-422.jpg", 2, 1}, {"q92-444.jpg", 1, 1}};
    for (const auto& c : kCases) {
        const std::string output = dir.File(c.fixture);
        ASSERT_TRUE(WatermarkFile(work, FixturePath(std::string("jpeg-blocks/") + c.fixture), output, logo,
                                  TextWatermark(), 90)
                        .Complete());
        const std::optional<JpegSampling> sampling = JpegFileSampling(output);
        ASSERT_TRUE(sampling.has_value()) << c.fixture;
        EXPECT_EQ(sampling->horizontal, c.horizontal) << c.fixture;
        EXPECT_EQ(sampling->vertical, c.vertical) << c.fixture;
    }
    // Another format made into a JPEG gets the writer's default, 4:2:0.
    ASSERT_TRUE(
        WatermarkFile(work, FixturePath("gif/animated-5.gif"), dir.File("g.jpg"), logo, TextWatermark(), 90)
            .Complete());
    const std::optional<JpegSampling> sampling = JpegFileSampling(dir.File("g.jpg"));
    ASSERT_TRUE(sampling.has_value());
    EXPECT_EQ(sampling->horizontal * 10 + sampling->vertical, 22);
}

TEST(KeptFormat, ADamagedExifBlockIsKeptAsFarAsItReadsAndSaysWhy) {
    ScratchDir dir;
    const BatchFileResult result = batchtest::StampRedLogo(FixturePath("jpeg/exif-cut-in-gps.jpg"),
                                                           dir.File("a.jpg"), MetadataKept::All, 90);
    EXPECT_EQ(result.outcome, BatchFileOutcome::Written);
    EXPECT_FALSE(result.Complete());
    EXPECT_EQ(FileResultLine("a.jpg", result),
              "a.jpg: written, metadata: Directory GPSInfo: IFD entry 0 lies outside of the data buffer.");
    CRasterImage copy;
    CImageProperties metadata;
    ASSERT_TRUE(copy.Load(dir.File("a.jpg"), &metadata));
    EXPECT_EQ(metadata.exif.Text(ExifTag::Make), "Stampora Camera Works");  // read before the break
}

TEST(KeptFormat, EveryPageOfATiffIsStampedAndKeepsItsTags) {
    // Pages of 200 x 120, 160 x 100 and 90 x 90: the logo sits at each
    // page's own right bottom, and each page keeps what names it.
    ScratchDir dir;
    const BatchFileResult result =
        batchtest::StampRedLogo(FixturePath("tiff/three-pages.tif"), dir.File("p.tif"), MetadataKept::All);
    ASSERT_TRUE(result.Complete()) << result.status.Error() << result.status.damage
                                   << result.status.Warning(Domain::Metadata);

    ImageList pages;
    CImageProperties properties;
    Status status;
    ASSERT_TRUE(CPictureFiles::LoadFrames(pages, dir.File("p.tif"), &properties, &status)) << status.Error();
    ASSERT_EQ(pages.Size(), 3u);
    EXPECT_EQ(status.damage, "");
    for (const CRasterImage* page : {pages.At(0), pages.At(1), pages.At(2)})
        EXPECT_EQ(batchtest::Bgr(*page, page->Width() - 15, page->Height() - 15), 0xFF0000u) << page->Width();

    // libtiff walks the whole directory chain without a complaint.
    static int tiffComplaints = 0;
    TIFFSetErrorHandler([](const char*, const char*, va_list) { ++tiffComplaints; });
    TIFF* tiff = TIFFOpen(dir.File("p.tif").c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    const char* texts[3][2] = {{"first page", nullptr}, {nullptr, "second page"}, {nullptr, nullptr}};
    int page = 0;
    do {
        ASSERT_LT(page, 3);
        for (const uint32_t tag : {TIFFTAG_IMAGEDESCRIPTION, TIFFTAG_PAGENAME}) {
            const char* expected = texts[page][tag == TIFFTAG_PAGENAME];
            const char* text = nullptr;
            EXPECT_EQ(TIFFGetField(tiff, tag, &text) == 1, expected != nullptr) << page << " " << tag;
            if (expected != nullptr && text != nullptr) {
                EXPECT_STREQ(text, expected);
            }
        }
        float dpi = 0;
        EXPECT_TRUE(TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &dpi));
        EXPECT_EQ(dpi, 150.0f);
        ++page;
    } while (TIFFReadDirectory(tiff));
    EXPECT_EQ(page, 3);
    TIFFClose(tiff);
    EXPECT_EQ(tiffComplaints, 0);
}

TEST(KeptFormat, ACopyThatCannotTakeItsMetadataIsNeverPublished) {
    ScratchDir dir;
    const CRasterImage picture = batchtest::PatternPicture(20, 10, 1);
    ImageList frames(false);
    frames.Append(const_cast<CRasterImage*>(&picture));
    const FileFinisher refuses = [](const std::string&) {
        return std::string("exiv2: too large for a segment");
    };
    for (const char* name : {"new.jpg", "old.png", "old.tif"}) {
        const std::string path = dir.File(name);
        const bool existed = name[0] == 'o';
        if (existed) batchtest::WriteTextFile(path, "the good file");
        Status status;
        EXPECT_FALSE(CPictureFiles::Save(frames, path, CImageProperties(), &status, refuses)) << name;
        EXPECT_EQ(status.Error(), "exiv2: too large for a segment");
        if (existed) {
            EXPECT_EQ(FileText(path), "the good file") << name;
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
        }
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);  // no leftovers
}

}  // namespace
