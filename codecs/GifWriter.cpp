#include <gif_lib.h>

#include <vector>

#include "codecs/ColorQuantizer.h"
#include "codecs/GifCodec.h"
#include "platform/FileIo.h"

namespace {

int WriteToFile(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<SafeFileWriter*>(gif->UserData);
    if (length <= 0) return 0;
    return out->Write(data, static_cast<size_t>(length)) ? length : 0;
}

// A palette picture's indices, one byte per pixel.
void IndicesOf(const CRasterImage& image, IndexedPicture& out) {
    out.width = image.Width();
    out.height = image.Height();
    out.palette.assign(image.Palette(), image.Palette() + image.PaletteSize());
    out.indices.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    for (int32_t y = 0; y < out.height; ++y) {
        uint8_t* line = out.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(out.width);
        for (int32_t x = 0; x < out.width; ++x) line[x] = static_cast<uint8_t>(image.ReadPixel(x, y));
    }
}

// GIF colour tables hold a power of two entries, 2 to 256.
ColorMapObject* MakeColourTable(const std::vector<PaletteColour>& palette) {
    int count = 2;
    while (count < static_cast<int>(palette.size())) count *= 2;
    std::vector<GifColorType> colours(static_cast<size_t>(count), GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.size(); ++i) {
        colours[i] = GifColorType{palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue};
    }
    return GifMakeMapObject(count, colours.data());
}

bool Encode(GifFileType* gif, const IndexedPicture& picture) {
    ColorMapObject* table = MakeColourTable(picture.palette);
    if (table == nullptr) return false;
    const bool transparent = picture.transparentIndex >= 0;
    EGifSetGifVersion(gif, transparent);
    bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, table->BitsPerPixel, 0, table) == GIF_OK;
    GifFreeMapObject(table);
    if (ok && transparent) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.DelayTime = 0;
        control.TransparentColor = picture.transparentIndex;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
    for (int32_t y = 0; ok && y < picture.height; ++y) {
        // giflib takes non-const lines but only reads them.
        auto* line = const_cast<GifPixelType*>(picture.indices.data() +
                                               static_cast<size_t>(y) * static_cast<size_t>(picture.width));
        ok = EGifPutLine(gif, line, picture.width) == GIF_OK;
    }
    return ok;
}

}  // namespace

bool CGifCodec::SaveFile(const std::string& path, const ImageList& images, const CImageProperties*) {
    status = FileStatus();
    const CRasterImage* image = images.First();
    if (image == nullptr || image->IsEmpty()) return status.Fail("there is no picture to save");
    if (image->Width() > 0xFFFF || image->Height() > 0xFFFF)
        return status.Fail("GIF files hold at most 65535 x 65535 pixels");
    IndexedPicture picture;
    if (image->Bpp() <= 8) {
        IndicesOf(*image, picture);
    } else if (!QuantizePicture(*image, picture)) {
        return status.Fail("not enough memory to reduce the picture to 256 colours");
    }

    SafeFileWriter out(path);
    if (!out.Open()) return status.Fail(WriteFailure("cannot create the file"));
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToFile, &error);
    if (gif == nullptr) return status.Fail(GifErrorString(error));
    const bool encoded = Encode(gif, picture);
    const int encodeError = gif->Error;
    // Closing writes the trailer and frees the handle whatever happened.
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    if (!encoded || !closed) {
        out.Fail();
        return status.Fail(GifErrorString(!encoded ? encodeError : error));
    }
    return out.Commit() || status.Fail(WriteFailure("cannot finish the file"));
}
