// The JPEG block rewrite against files cjpeg wrote: blocks outside the marks'
// MCUs must come back bit for bit, and the pixels under the marks must match
// the decode-stamp-encode path within JPEG's own round-trip error.
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include "batch/copy/LosslessJpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <exiv2/exiv2.hpp>
#include <filesystem>
#include <vector>

#include "batch/BatchTestSupport.h"
#include "codecs/PictureFiles.h"
#include "codecs/jpeg/JpegCoefficients.h"
#include "support/TestPaths.h"
#include "text/FontCatalog.h"
#include "watermark/StampOnto.h"
#include "watermark/text/MarkText.h"

using namespace stampora;

namespace {

// Every block of every component, as stored.
struct StoredBlocks {
    int32_t width = 0;
    int32_t height = 0;
    int32_t mcuWidth = 0;
    int32_t mcuHeight = 0;
    bool progressive = false;
    unsigned restartInterval = 0;
    struct Component {
        int32_t h = 0, v = 0, blocksWide = 0, blocksHigh = 0;
        std::vector<JCOEF> coefficients;  // DCTSIZE2 per block, row by row
        const JCOEF* At(int32_t bx, int32_t by) const {
            return coefficients.data() + (size_t(by) * blocksWide + bx) * DCTSIZE2;
        }
    };
    std::vector<Component> components;
    std::vector<std::vector<UINT16>> quantTables;
};

StoredBlocks ReadBlocks(const std::string& path) {
    const std::vector<uint8_t> bytes = batchtest::FileBytes(path);
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(&cinfo);
    StoredBlocks s;
    s.width = static_cast<int32_t>(cinfo.image_width);
    s.height = static_cast<int32_t>(cinfo.image_height);
    s.mcuWidth = cinfo.max_h_samp_factor * DCTSIZE;
    s.mcuHeight = cinfo.max_v_samp_factor * DCTSIZE;
    s.progressive = cinfo.progressive_mode;
    s.restartInterval = cinfo.restart_interval;
    for (int ci = 0; ci < cinfo.num_components; ++ci) {
        const jpeg_component_info& c = cinfo.comp_info[ci];
        StoredBlocks::Component component{c.h_samp_factor,
                                          c.v_samp_factor,
                                          static_cast<int32_t>(c.width_in_blocks),
                                          static_cast<int32_t>(c.height_in_blocks),
                                          {}};
        for (JDIMENSION row = 0; row < c.height_in_blocks; ++row) {
            JBLOCKARRAY line = cinfo.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&cinfo),
                                                             arrays[ci], row, 1, FALSE);
            component.coefficients.insert(component.coefficients.end(), line[0][0],
                                          line[0][0] + size_t{DCTSIZE2} * c.width_in_blocks);
        }
        s.components.push_back(std::move(component));
        s.quantTables.emplace_back(c.quant_table->quantval, c.quant_table->quantval + DCTSIZE2);
    }
    jpeg_destroy_decompress(&cinfo);
    return s;
}

// A 24 x 14 logo of varying colour at 80 % alpha, anchored at `alignment`.
ImageWatermark Logo(int32_t alignment) {
    ImageWatermark mark;
    mark.layer = PaintedImage(24, 14, 32, [](int32_t x, int32_t y, uint8_t* p) {
        p[0] = static_cast<uint8_t>(x * 10);
        p[1] = static_cast<uint8_t>(255 - y * 15);
        p[2] = 40;
        p[3] = 204;
    });
    mark.base.enabled = true;
    mark.base.opacity = 90;
    mark.base.alignment = alignment;
    mark.base.markWidth = mark.base.width = 24;
    mark.base.markHeight = mark.base.height = 14;
    return mark;
}

// A stored-pixel rectangle widened to whole MCUs.
struct McuRect {
    int32_t x0, y0, x1, y1;
    bool HoldsBlock(int32_t bx, int32_t by, const StoredBlocks& s, const StoredBlocks::Component& c) const {
        const int32_t px = bx * DCTSIZE * s.mcuWidth / (c.h * DCTSIZE),
                      py = by * DCTSIZE * s.mcuHeight / (c.v * DCTSIZE);
        return px >= x0 && px < x1 && py >= y0 && py < y1;
    }
};

McuRect McusUnder(const StoredBlocks& s, int32_t x, int32_t y, int32_t w, int32_t h) {
    return {x / s.mcuWidth * s.mcuWidth, y / s.mcuHeight * s.mcuHeight,
            (x + w + s.mcuWidth - 1) / s.mcuWidth * s.mcuWidth,
            (y + h + s.mcuHeight - 1) / s.mcuHeight * s.mcuHeight};
}

// Counts the blocks that differ, inside and outside the given MCUs.
void CountChanged(const StoredBlocks& a, const StoredBlocks& b, const std::vector<McuRect>& marked,
                  int& inside, int& outside) {
    inside = outside = 0;
    for (size_t ci = 0; ci < a.components.size(); ++ci) {
        const auto& ca = a.components[ci];
        const auto& cb = b.components[ci];
        for (int32_t by = 0; by < ca.blocksHigh; ++by) {
            for (int32_t bx = 0; bx < ca.blocksWide; ++bx) {
                const bool same = std::equal(ca.At(bx, by), ca.At(bx, by) + DCTSIZE2, cb.At(bx, by));
                const bool under = std::any_of(marked.begin(), marked.end(),
                                               [&](const McuRect& m) { return m.HoldsBlock(bx, by, a, ca); });
                if (!same) ++(under ? inside : outside);
            }
        }
    }
}

// The largest and the mean difference of any channel over the part of a
// rectangle inside the pictures.
void Difference(const CRasterImage& a, const CRasterImage& b, int32_t x0, int32_t y0, int32_t w, int32_t h,
                int& largest, double& mean) {
    largest = 0;
    int64_t sum = 0, pixels = 0;
    for (int32_t y = std::max(y0, 0); y < std::min(y0 + h, a.Height()); ++y) {
        for (int32_t x = std::max(x0, 0); x < std::min(x0 + w, a.Width()); ++x, ++pixels) {
            for (int k = 0; k < 3; ++k) {
                const int d = std::abs(a.PixelAt(x, y)[k] - b.PixelAt(x, y)[k]);
                largest = std::max(largest, d);
                sum += d;
            }
        }
    }
    mean = static_cast<double>(sum) / (3.0 * static_cast<double>(std::max<int64_t>(pixels, 1)));
}

// The decoded pixels under a mark's layer at (x, y) are as close to the
// in-memory stamped picture as the normal path's own encode brings them,
// give or take the source's coarser tables (quality 50 against the
// writer's 80).
void ExpectWithinNormalPathError(const CRasterImage& ours, const CRasterImage& theirs,
                                 const CRasterImage& reference, int32_t x, int32_t y, int32_t w = 24,
                                 int32_t h = 14) {
    int oursLargest = 0, theirsLargest = 0;
    double oursMean = 0, theirsMean = 0;
    Difference(ours, reference, x, y, w, h, oursLargest, oursMean);
    Difference(theirs, reference, x, y, w, h, theirsLargest, theirsMean);
    EXPECT_LE(oursMean, std::max(theirsMean * 2.0, 3.0)) << theirsMean;
    EXPECT_LE(oursLargest, std::max(theirsLargest * 2, 24)) << theirsLargest;
}

// A logo at the bottom right and a second one, in the text mark's place, at
// the top left: two separate areas are rewritten. Runs both paths on
// `source` and keeps what the tests compare.
struct TwoMarksRun {
    ImageWatermark logo = Logo(RightBottom);
    TextWatermark corner;
    BatchFileResult lossless;
    CRasterImage ours, theirs;  // the two paths' files, decoded upright
    CRasterImage reference;     // the source decoded and stamped in memory
    WatermarkBase placed[2];

    TwoMarksRun(const std::string& source, const ScratchDir& dir, MetadataKept kept = MetadataKept::All) {
        const ImageWatermark second = Logo(LeftTop);
        corner.base = second.base;
        static_cast<CRasterImage&>(corner.layer) = second.layer;
        CRasterImage work;
        lossless = WatermarkJpegBlocks(work, source, dir.File("lossless.jpg"), logo, corner, -1, kept);
        EXPECT_TRUE(WatermarkFile(work, source, dir.File("normal.jpg"), logo, corner, -1).Complete());
        EXPECT_TRUE(ours.Load(dir.File("lossless.jpg")));
        EXPECT_TRUE(theirs.Load(dir.File("normal.jpg")));
        EXPECT_TRUE(reference.Load(source));
        reference.PromoteDepth(32);
        const WatermarkBase* bases[2] = {&logo.base, &corner.base};
        const CRasterImage* layers[2] = {&logo.layer, &corner.layer};
        for (int i = 0; i < 2; ++i) {
            placed[i] = *bases[i];
            placed[i].PlaceByAlignment(reference.Width(), reference.Height());
            EXPECT_EQ(StampMark(reference, placed[i], *layers[i], true), MarkStamp::Stamped);
        }
    }
    // Every block outside the marks' MCUs is the source's, with its tables,
    // mode and restart interval (`placed` is on the stored picture).
    void ExpectBlocksKeptOutsideTheMarks(const std::string& source, const std::string& written) const {
        const StoredBlocks before = ReadBlocks(source);
        const StoredBlocks after = ReadBlocks(written);
        EXPECT_EQ(after.quantTables, before.quantTables);
        EXPECT_EQ(after.progressive, before.progressive);
        EXPECT_EQ(after.restartInterval, before.restartInterval);
        std::vector<McuRect> marked;
        for (const WatermarkBase& p : placed)
            marked.push_back(McusUnder(before, p.LayerX(), p.LayerY(), 24, 14));
        int inside = 0, outside = 0;
        CountChanged(before, after, marked, inside, outside);
        EXPECT_EQ(outside, 0);
        EXPECT_GT(inside, 0);
    }
    void ExpectCloseToTheNormalPath() const {
        for (const WatermarkBase& p : placed)
            ExpectWithinNormalPathError(ours, theirs, reference, p.LayerX(), p.LayerY());
    }
};

class LosslessJpegFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(LosslessJpegFiles, KeepsEveryBlockOutsideTheMarksAndMatchesTheNormalPathUnderThem) {
    ScratchDir dir;
    const std::string source = FixturePath(std::string("jpeg-blocks/") + GetParam());
    const TwoMarksRun run(source, dir);
    ASSERT_EQ(run.lossless.outcome, BatchFileOutcome::Written) << run.lossless.status.Error();
    ASSERT_EQ(run.lossless.status.Warning(Domain::Write), "");
    run.ExpectCloseToTheNormalPath();

    run.ExpectBlocksKeptOutsideTheMarks(source, dir.File("lossless.jpg"));
}

TEST_P(LosslessJpegFiles, WithNoMarkOnItCopiesEveryBlockInAFileNoLarger) {
    ScratchDir dir;
    const std::string source = FixturePath(std::string("jpeg-blocks/") + GetParam());
    CRasterImage work;
    const BatchFileResult done = WatermarkJpegBlocks(work, source, dir.File("copy.jpg"), ImageWatermark{},
                                                     TextWatermark{}, -1, MetadataKept::All);
    ASSERT_EQ(done.outcome, BatchFileOutcome::Written);
    ASSERT_EQ(done.status.Warning(Domain::Write), "");
    int inside = 0, outside = 0;
    CountChanged(ReadBlocks(source), ReadBlocks(dir.File("copy.jpg")), {}, inside, outside);
    EXPECT_EQ(outside, 0);
    // A baseline picture keeps its own Huffman tables, so every block costs
    // the bits it cost; a progressive one gets tables made for it.
    if (ReadBlocks(source).progressive) {
        EXPECT_LE(std::filesystem::file_size(dir.File("copy.jpg")),
                  std::filesystem::file_size(source) * 102 / 100);
    } else {
        EXPECT_EQ(batchtest::FileBytes(dir.File("copy.jpg")), batchtest::FileBytes(source));
    }
}

INSTANTIATE_TEST_SUITE_P(CjpegFiles, LosslessJpegFiles,
                         ::testing::Values("q92-444.jpg", "q75-422.jpg", "q50-420.jpg", "progressive-420.jpg",
                                           "restart-420.jpg"));

// Marks made for each picture take the block path too: a logo tiled with a
// 5-pixel margin and a text naming the file at 4 % of the shorter side. Only
// the blocks under their layers change, to the normal path's pixels.
TEST(LosslessJpeg, MarksFittedToThePictureKeepEveryOtherBlock) {
    if (!IsInstalledFamily("DejaVu Sans")) GTEST_SKIP() << "DejaVu Sans is not installed";
    ScratchDir dir;
    const std::string source = dir.File("photo.jpg");
    ASSERT_TRUE(batchtest::PatternPicture(480, 320, 3).Save(source));
    const ImageWatermark logo = Logo(LeftTop);
    const MarkFit tiled{
        0, FitSide::Shorter, {{5, false}, true, RelativeLength{100, false}, RelativeLength{80, false}}};
    TextWatermark name;
    name.base.enabled = true;
    name.base.alignment = RightBottom;
    name.params.text = "{name}";
    name.params.fontFace = "DejaVu Sans";
    const MarkFit named{4, FitSide::Shorter, {{5, false}, false, {}, {}}};
    CFittedImageMark image(logo, tiled);
    CFittedTextMark text(name, named);
    CRasterImage work;
    const BatchFileResult kept =
        WatermarkJpegBlocks(work, source, dir.File("blocks.jpg"), image, text, 1, -1, MetadataKept::None);
    ASSERT_EQ(kept.outcome, BatchFileOutcome::Written) << kept.status.Error();
    ASSERT_EQ(kept.status.Warning(Domain::Write), "");
    ASSERT_TRUE(WatermarkFile(work, source, dir.File("normal.png"), image, text, 1, -1).Complete());
    ASSERT_TRUE(WatermarkFile(work, source, dir.File("normal.jpg"), image, text, 1, -1).Complete());
    CRasterImage ours, theirs, reference;
    ASSERT_TRUE(ours.Load(dir.File("blocks.jpg")) && theirs.Load(dir.File("normal.jpg")) &&
                reference.Load(dir.File("normal.png")));

    // Where the normal path puts each layer on this picture.
    PreparedMark prepared[2];
    Status reason;
    ASSERT_TRUE(image.ForPicture(480, 320, prepared[0], reason));
    ASSERT_TRUE(
        text.ForPicture(FactsForPicture(source, 480, 320, CImageProperties{}, 1), prepared[1], reason));
    const MarkLayout* layouts[2] = {&tiled.layout, &named.layout};
    const StoredBlocks before = ReadBlocks(source);
    std::vector<McuRect> marked;
    for (int i = 0; i < 2; ++i) {
        prepared[i].base.PlaceByAlignment(480, 320);
        std::vector<TilePlace> places;
        ASSERT_EQ(LaidOutPlaces(prepared[i].base, *layouts[i], 480, 320, places, reason), MarkStamp::Stamped);
        EXPECT_EQ(places.size() > 1, i == 0);
        const int32_t w = prepared[i].layer->Width(), h = prepared[i].layer->Height();
        for (const TilePlace& p : places) {
            marked.push_back(McusUnder(before, p.x, p.y, w, h));
            ExpectWithinNormalPathError(ours, theirs, reference, p.x, p.y, w, h);
        }
    }
    int inside = 0, outside = 0;
    CountChanged(before, ReadBlocks(dir.File("blocks.jpg")), marked, inside, outside);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, 0);
}

// Automatic place and colour choose from a reduced view and still keep the
// blocks: on a picture whose left half is grain and right half dark and
// flat, the text goes right, in white, as the whole-picture path puts it.
TEST(LosslessJpeg, AutomaticPlaceAndColourKeepEveryOtherBlock) {
    if (!IsInstalledFamily("DejaVu Sans")) GTEST_SKIP() << "DejaVu Sans is not installed";
    ScratchDir dir;
    const std::string source = dir.File("halves.jpg");
    uint32_t seed = 7;
    ASSERT_TRUE(PaintedImage(2400, 1600, 24, [&](int32_t x, int32_t, uint8_t* p) {
                    seed = seed * 1664525u + 1013904223u;
                    p[0] = p[1] = p[2] = static_cast<uint8_t>(x < 1200 ? seed >> 24 : 40);
                }).Save(source, 90));
    TextWatermark words;
    words.base.enabled = true;
    words.base.alignment = AutoPlace;
    words.autoColour = true;
    words.params.text = "(c) Ann Lee";
    words.params.fontFace = "DejaVu Sans";
    const MarkFit fit{5, FitSide::Shorter, {{2, true}, false, {}, {}}};
    CFittedTextMark text(words, fit);
    const ImageWatermark noLogo;
    CFittedImageMark none(noLogo, fit);
    CRasterImage work;
    const BatchFileResult kept =
        WatermarkJpegBlocks(work, source, dir.File("blocks.jpg"), none, text, 1, -1, MetadataKept::None);
    ASSERT_EQ(kept.outcome, BatchFileOutcome::Written) << kept.status.Error();
    EXPECT_EQ(kept.status.Warning(Domain::Write), "");
    const BatchFileResult whole = WatermarkFile(work, source, dir.File("whole.jpg"), none, text, 1, -1);
    const auto choice = [](const std::string& told) { return told.substr(0, told.find(" (contrast")); };
    EXPECT_EQ(choice(kept.automatic), choice(whole.automatic));
    EXPECT_NE(kept.automatic.find("text mark at Right"), std::string::npos) << kept.automatic;
    EXPECT_NE(kept.automatic.find("white"), std::string::npos) << kept.automatic;
    int inside = 0, outside = 0;
    const StoredBlocks before = ReadBlocks(source);
    CountChanged(before, ReadBlocks(dir.File("blocks.jpg")), {McusUnder(before, 1200, 0, 1200, 1600)}, inside,
                 outside);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, 0);
}

class LosslessJpegOrientations : public ::testing::TestWithParam<int> {};

// The marks go where they appear on the upright picture; the blocks stay
// as stored, under the kept orientation item and comment.
TEST_P(LosslessJpegOrientations, StampsTheUprightPictureAndKeepsTheOrientationAndComment) {
    ScratchDir dir;
    const std::string source = FixturePath("jpeg-blocks/orientation-" + std::to_string(GetParam()) + ".jpg");
    const TwoMarksRun run(source, dir);
    ASSERT_EQ(run.lossless.outcome, BatchFileOutcome::Written) << run.lossless.status.Error();
    ASSERT_EQ(run.lossless.status.Warning(Domain::Write), "");
    const std::vector<uint8_t> bytes = batchtest::FileBytes(dir.File("lossless.jpg"));
    EXPECT_EQ(ReadJpegLayout(bytes).orientation, GetParam());
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin("kept"), std::end("kept") - 1), bytes.end());
    ASSERT_EQ(run.ours.Width(), 141);
    run.ExpectCloseToTheNormalPath();

    // Two MCUs away from the marks every block is the source's, so every
    // pixel decodes as the source's does.
    CRasterImage original;
    ASSERT_TRUE(original.Load(source));
    int32_t changed = 0;
    EachPixel(original, [&](int32_t x, int32_t y, const uint8_t*) {
        const bool near =
            std::any_of(std::begin(run.placed), std::end(run.placed), [&](const WatermarkBase& p) {
                return x > p.LayerX() - 32 && x < p.LayerX() + 24 + 32 && y > p.LayerY() - 32 &&
                       y < p.LayerY() + 14 + 32;
            });
        if (!near) changed += batchtest::Bgr(run.ours, x, y) != batchtest::Bgr(original, x, y);
    });
    EXPECT_EQ(changed, 0);
}

INSTANTIATE_TEST_SUITE_P(AllEight, LosslessJpegOrientations, ::testing::Range(1, 9));

bool Holds(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& part) {
    return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}
bool Holds(const std::vector<uint8_t>& bytes, const std::string& text) {
    return Holds(bytes, std::vector<uint8_t>(text.begin(), text.end()));
}

// The camera file (turned by its orientation item, with EXIF resolution and
// location, XMP, an ICC profile and IPTC) with its blocks kept: location
// leaves the file, not only its index, and the essentials are the profile,
// the resolution and the orientation the kept blocks still need.
TEST(LosslessJpeg, NarrowsTheMetadataOfABlockKeptFileAsAsked) {
    const std::string source = FixturePath("jpeg/camera.jpg");
    // GPSLatitude 48/1 51/1 2400/100, as the file stores it (little-endian).
    const std::vector<uint8_t> latitude{48, 0, 0, 0, 1,    0, 0, 0, 51,  0, 0, 0,
                                        1,  0, 0, 0, 0x60, 9, 0, 0, 100, 0, 0, 0};
    ASSERT_TRUE(Holds(batchtest::FileBytes(source), latitude));
    ScratchDir allDir;
    ASSERT_EQ(TwoMarksRun(source, allDir).lossless.status.Warning(Domain::Write), "");
    const StoredBlocks allKept = ReadBlocks(allDir.File("lossless.jpg"));
    for (const MetadataKept kept : {MetadataKept::NoGps, MetadataKept::Essential}) {
        SCOPED_TRACE(kept == MetadataKept::NoGps ? "--strip-gps" : "--strip-metadata");
        ScratchDir dir;
        const TwoMarksRun run(source, dir, kept);
        ASSERT_EQ(run.lossless.outcome, BatchFileOutcome::Written) << run.lossless.status.Error();
        ASSERT_EQ(run.lossless.status.Warning(Domain::Write), "");
        // The blocks are those written when everything is kept.
        const StoredBlocks blocks = ReadBlocks(dir.File("lossless.jpg"));
        ASSERT_EQ(blocks.components.size(), allKept.components.size());
        for (size_t ci = 0; ci < blocks.components.size(); ++ci)
            EXPECT_EQ(blocks.components[ci].coefficients, allKept.components[ci].coefficients);
        const std::vector<uint8_t> bytes = batchtest::FileBytes(dir.File("lossless.jpg"));
        EXPECT_EQ(ReadJpegLayout(bytes).orientation, 6);
        EXPECT_FALSE(Holds(bytes, latitude));
        EXPECT_TRUE(Holds(bytes, "ICC_PROFILE"));
        EXPECT_EQ(Holds(bytes, "Stampora Camera Works"), kept == MetadataKept::NoGps);
        EXPECT_EQ(Holds(bytes, "Ann Example"), kept == MetadataKept::NoGps);
        EXPECT_EQ(Holds(bytes, "Photoshop 3.0"), kept == MetadataKept::NoGps);

        auto image = Exiv2::ImageFactory::open(bytes.data(), static_cast<long>(bytes.size()));
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        for (const Exiv2::Exifdatum& item : exif) EXPECT_NE(item.groupName(), "GPSInfo") << item.key();
        const auto x = exif.findKey(Exiv2::ExifKey("Exif.Image.XResolution"));
        ASSERT_NE(x, exif.end());
        EXPECT_EQ(x->toString(), "240/1");
    }
}

std::string ThumbnailType(const std::vector<uint8_t>& bytes) {
    auto image = Exiv2::ImageFactory::open(bytes.data(), static_cast<long>(bytes.size()));
    image->readMetadata();
    return Exiv2::ExifThumbC(image->exifData()).mimeType();
}

// Even kept whole, the metadata loses what the marks made stale: the EXIF
// thumbnail (the picture without them) and the index of the pictures after
// the source's end, which the copy does not hold.
TEST(LosslessJpeg, DropsTheStaleThumbnailAndPictureIndexWhenKeepingAll) {
    ScratchDir dir;
    const std::string source = FixturePath("jpeg-blocks/thumbnail.jpg");
    const std::string multiPicture("MPF\0II*", 7);
    ASSERT_EQ(ThumbnailType(batchtest::FileBytes(source)), "image/jpeg");
    ASSERT_TRUE(Holds(batchtest::FileBytes(source), multiPicture));
    const TwoMarksRun run(source, dir);
    ASSERT_EQ(run.lossless.status.Warning(Domain::Write), "");
    run.ExpectBlocksKeptOutsideTheMarks(source, dir.File("lossless.jpg"));
    const std::vector<uint8_t> bytes = batchtest::FileBytes(dir.File("lossless.jpg"));
    EXPECT_EQ(ThumbnailType(bytes), "");
    EXPECT_FALSE(Holds(bytes, multiPicture));
    EXPECT_TRUE(Holds(bytes, "Stampora Camera Works"));
}

TEST(LosslessJpeg, GoesThroughTheNormalPathWhenBlocksCannotBeKept) {
    ScratchDir dir;
    const ImageWatermark logo = Logo(RightBottom);
    CRasterImage work;
    struct Case {
        std::string source, output, why;
    };
    const std::vector<Case> cases{
        {FixturePath("jpeg/cmyk.jpg"), "cmyk.jpg", "CMYK"},
        {FixturePath("jpeg-blocks/arithmetic.jpg"), "arith.jpg", "arithmetic coding"},
        {FixturePath("corrupt/jpeg-altered-mid-stream.jpg"), "altered.jpg", "the data is damaged"},
        // Not a JPEG saved as JPEG: no blocks to keep, nothing to say.
        {FixturePath("jpeg-blocks/q75-422.jpg"), "out.png", ""},
        {FixturePath("png/grey.png"), "png.jpg", ""},
    };
    for (const Case& c : cases) {
        if (!std::filesystem::exists(c.source)) continue;
        const std::string out = dir.File(c.output);
        const BatchFileResult result =
            WatermarkJpegBlocks(work, c.source, out, logo, TextWatermark{}, -1, MetadataKept::All);
        EXPECT_EQ(result.status.Warning(Domain::Write), c.why) << c.source;
        EXPECT_EQ(result.outcome, BatchFileOutcome::Written) << c.source << ": " << result.status.Error();
        EXPECT_EQ(result.status.damage.empty(), c.why != "the data is damaged") << c.source;
    }

    // A mark over nearly the whole picture.
    ImageWatermark big;
    big.layer.Create(130, 80, 32);
    big.base = logo.base;
    big.base.markWidth = big.base.width = 120;
    big.base.markHeight = big.base.height = 70;
    EXPECT_EQ(WatermarkJpegBlocks(work, FixturePath("jpeg-blocks/q75-422.jpg"), dir.File("big.jpg"), big,
                                  TextWatermark{}, -1, MetadataKept::All)
                  .status.Warning(Domain::Write),
              "the marks cover most of the picture");
}

// Cut-short files, and a zero quantisation step (decodable, but the forward
// transform would divide by it): refused with a reason, nothing written.
TEST(LosslessJpeg, RefusesDataItCannotRewriteWithoutWritingAnything) {
    const std::vector<uint8_t> good = batchtest::FileBytes(FixturePath("jpeg-blocks/q92-444.jpg"));
    struct Refused {
        std::vector<uint8_t> file;
        std::string why;  // empty: any reason
    };
    std::vector<Refused> refused;
    for (size_t cut : {size_t{2}, size_t{40}, good.size() / 2, good.size() - 2})
        refused.push_back({{good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)}, ""});
    Refused zeroStep{good, "the picture has a quantisation table with a zero step"};
    const uint8_t dqt[2] = {0xFF, 0xDB};
    const auto table =
        std::search(zeroStep.file.begin(), zeroStep.file.end(), std::begin(dqt), std::end(dqt));
    ASSERT_NE(table, zeroStep.file.end());
    table[5] = 0;  // after the length and the precision-and-slot byte: the DC step
    refused.push_back(zeroStep);

    const StoredAreaPainter paint = [](CRasterImage&, int32_t, int32_t, Status&) { return true; };
    for (const Refused& r : refused) {
        std::vector<uint8_t> output;
        Status reason;
        EXPECT_FALSE(RewriteJpegBlocks(r.file, {{60, 30, 10, 10}}, paint, output, reason)) << r.file.size();
        EXPECT_FALSE(reason.Error().empty());
        EXPECT_TRUE(r.why.empty() || reason.Error() == r.why) << reason.Error();
        EXPECT_TRUE(output.empty());
    }
}

}  // namespace
