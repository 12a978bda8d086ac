// The 1/8 view read from DC coefficients against libjpeg's own 1/8 decode of
// files libjpeg wrote in each layout the view takes, cut into pieces that
// must join to the same picture, and every file it must leave to libjpeg.
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include "codecs/jpeg/JpegDcView.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "codecs/FormatTestSupport.h"
#include "support/TestPictures.h"

using namespace stampora;

namespace {

struct Layout {
    const char* name;
    int components;
    int lumaAcross, lumaDown;
    unsigned restartRows;
    bool progressive;
};

std::vector<uint8_t> Encode(const CRasterImage& picture, const Layout& layout) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.Width());
    cinfo.image_height = static_cast<JDIMENSION>(picture.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    if (layout.components == 1) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    cinfo.comp_info[0].h_samp_factor = layout.lumaAcross;
    cinfo.comp_info[0].v_samp_factor = layout.lumaDown;
    cinfo.restart_in_rows = static_cast<int>(layout.restartRows);
    if (layout.progressive) jpeg_simple_progression(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPROW>(picture.Row(static_cast<int32_t>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

// libjpeg's decode at 1/8 with the output the view has.
CRasterImage LibjpegEighth(const std::vector<uint8_t>& bytes) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.out_color_space = cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    CRasterImage picture;
    picture.Create(static_cast<int32_t>(cinfo.output_width), static_cast<int32_t>(cinfo.output_height),
                   cinfo.num_components == 1 ? 8 : 24);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = picture.Row(static_cast<int32_t>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return picture;
}

double MeanDifference(const CRasterImage& a, const CRasterImage& b) {
    const size_t bytes = static_cast<size_t>(a.Width()) * static_cast<size_t>(a.Bpp() / 8);
    double sum = 0;
    for (int32_t y = 0; y < a.Height(); ++y)
        for (size_t x = 0; x < bytes; ++x) sum += std::abs(a.Row(y)[x] - b.Row(y)[x]);
    return sum / (static_cast<double>(bytes) * a.Height());
}

// A photograph whose colours change only from one 16 x 16 square to the
// next, so reduced chroma holds nothing a DC coefficient does not.
CRasterImage SquaresOfColour(int32_t width, int32_t height) {
    CRasterImage picture = PhotoLikePicture(width, height, 24);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                picture.Row(y)[3 * x + c] = picture.Row(y / 16 * 16)[3 * (x / 16 * 16) + c];
    return picture;
}

}  // namespace

TEST(JpegDcView, MatchesLibjpegAtOneEighthInEveryLayoutItTakes) {
    // Sides that leave part-filled blocks and MCUs at the right and bottom.
    const CRasterImage picture = SquaresOfColour(403, 227);
    for (const Layout& layout : {Layout{"grey", 1, 1, 1, 0, false}, Layout{"4:4:4", 3, 1, 1, 0, false},
                                 Layout{"4:2:2", 3, 2, 1, 0, false}, Layout{"4:2:0", 3, 2, 2, 0, false},
                                 Layout{"4:2:0, restarts", 3, 2, 2, 2, false}}) {
        SCOPED_TRACE(layout.name);
        const std::vector<uint8_t> bytes = Encode(picture, layout);
        const CRasterImage expected = LibjpegEighth(bytes);
        CRasterImage whole;
        ASSERT_TRUE(ReadJpegDcView(bytes.data(), bytes.size(), whole, 1));
        ASSERT_EQ(whole.Width(), 51);
        ASSERT_EQ(whole.Height(), 29);
        ASSERT_EQ(whole.Bpp(), expected.Bpp());
        // Full-size chroma gives libjpeg's pixels exactly; libjpeg reads
        // reduced chroma at 2 x 2 from four coefficients, the view from one.
        EXPECT_LE(MeanDifference(whole, expected), layout.lumaAcross * layout.lumaDown == 1 ? 0.0 : 1.5);
        // Walked in pieces from guessed starts, or between restart markers,
        // and joined: the same picture.
        for (unsigned pieces : {2u, 5u, 13u}) {
            CRasterImage joined;
            ASSERT_TRUE(ReadJpegDcView(bytes.data(), bytes.size(), joined, pieces)) << pieces;
            EXPECT_EQ(MeanDifference(joined, whole), 0.0) << pieces;
        }
    }
}

TEST(JpegDcView, LeavesEveryOtherFileToLibjpeg) {
    const CRasterImage picture = PhotoLikePicture(160, 120, 24);
    const std::vector<uint8_t> clean = Encode(picture, Layout{"4:2:0", 3, 2, 2, 0, false});
    std::vector<uint8_t> cut(clean.begin(), clean.begin() + static_cast<ptrdiff_t>(clean.size() * 2 / 3));
    std::vector<uint8_t> altered = clean;
    for (size_t i = altered.size() / 2; i < altered.size() / 2 + 40; ++i) altered[i] ^= 0x5A;
    std::vector<uint8_t> trailing = clean;
    trailing.insert(trailing.end() - 2, {0x12, 0x34, 0x56});
    const std::vector<std::vector<uint8_t>> refused = {
        Encode(picture, Layout{"progressive", 3, 2, 2, 0, true}), cut, altered, trailing,
        FixtureBytes("corrupt/jpeg-altered-mid-stream.jpg")};
    for (size_t i = 0; i < refused.size(); ++i) {
        CRasterImage view;
        for (unsigned pieces : {1u, 3u})
            EXPECT_FALSE(ReadJpegDcView(refused[i].data(), refused[i].size(), view, pieces)) << i;
    }
}
