#include <algorithm>
#include <string>
#include <vector>

#include "codecs/metadata/ExifProperties.h"
#include "codecs/tiff/TiffCodec.h"
#include "codecs/tiff/TiffPageTags.h"
#include "codecs/tiff/Tiff_pvt.h"
#include "image/RowConversion.h"
#include "platform/FileIo.h"

namespace stampora {

namespace {

void SetLayout(TIFF* tiff, const CRasterImage& image, bool grey, bool alpha) {
    const int32_t bpp = image.Bpp();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.Width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.Height()));
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    if (bpp <= 8) {
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(bpp));
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(1));
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE);
        if (grey && bpp == 8) TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    } else {
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(8));
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(alpha ? 4 : 3));
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        if (alpha) {
            const uint16_t kinds[1] = {EXTRASAMPLE_UNASSALPHA};
            TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, static_cast<uint16_t>(1), kinds);
        }
    }
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
}

bool WriteColourMap(TIFF* tiff, const CRasterImage& image) {
    const size_t count = static_cast<size_t>(image.PaletteSize());
    std::vector<uint16_t> red(count), green(count), blue(count);
    for (size_t i = 0; i < count; ++i) {
        red[i] = static_cast<uint16_t>(image.Palette()[i].rgbRed * 257);
        green[i] = static_cast<uint16_t>(image.Palette()[i].rgbGreen * 257);
        blue[i] = static_cast<uint16_t>(image.Palette()[i].rgbBlue * 257);
    }
    return TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data()) == 1;
}

// The file's lines: palette and grey lines as stored, colour lines turned
// from blue-green-red into red-green-blue order.
bool WriteLines(TIFF* tiff, const CRasterImage& image, bool alpha) {
    const int32_t bpp = image.Bpp();
    const size_t channels = alpha ? 4 : 3;
    std::vector<uint8_t> line(bpp <= 8 ? image.Stride() : static_cast<size_t>(image.Width()) * channels);
    for (int32_t y = 0; y < image.Height(); ++y) {
        if (bpp <= 8) {
            std::copy(image.Row(y), image.Row(y) + image.Stride(), line.begin());
        } else {
            if (channels == 4) {
                RowToBgra(image, y, line.data());
            } else {
                RowToBgr(image, y, line.data());
            }
            for (size_t i = 0; i < line.size(); i += channels) std::swap(line[i], line[i + 2]);
        }
        if (TIFFWriteScanline(tiff, line.data(), static_cast<uint32_t>(y), 0) < 0) return false;
    }
    return true;
}

// Writes one page, with its own tags, and closes its directory, so that
// the file never holds a directory without a picture.
bool WritePage(TIFF* tiff, const CRasterImage& image, const TiffPageTags& tags) {
    const bool grey = image.Bpp() <= 8 && HasGreyRampPalette(image);
    const bool alpha = !IsOpaque(image);
    SetLayout(tiff, image, grey, alpha);
    WriteTiffPageTags(tiff, tags);
    return (image.Bpp() > 8 || grey || WriteColourMap(tiff, image)) && WriteLines(tiff, image, alpha) &&
           TIFFWriteDirectory(tiff) == 1;
}

}  // namespace

bool CTiffCodec::SaveFile(const std::string& path, const ImageList& images,
                          const CImageProperties* properties) {
    status = {};
    for (size_t i = 0; i < images.Size(); ++i) {
        if (images.At(i)->IsEmpty()) return status.Fail(Domain::Write, "there is no picture to save");
    }
    if (images.Empty()) return status.Fail(Domain::Write, "there is no picture to save");
    std::vector<TiffPageTags> pageTags;
    if (properties != nullptr) pageTags = properties->tiffPages;
    pageTags.resize(std::max(pageTags.size(), images.Size()));
    std::vector<uint8_t> encoded;
    TiffMemoryFile file;
    file.writeData = &encoded;
    TIFF* tiff = OpenTiffInMemory(file, "w");
    if (tiff == nullptr)
        return status.Fail(Domain::Write, file.lastError.empty() ? "not enough memory" : file.lastError);
    bool ok = true;
    for (size_t i = 0; ok && i < images.Size(); ++i) ok = WritePage(tiff, *images.At(i), pageTags[i]);
    TIFFClose(tiff);
    if (!ok || encoded.empty())
        return status.Fail(Domain::Write,
                           file.lastError.empty() ? "the picture could not be encoded" : file.lastError);
    if (properties != nullptr) AddExifToTiffFile(encoded, *properties);

    SafeFileWriter out(path);
    if (!out.Open()) return status.Fail(Domain::Write, WriteFailure(out, "cannot create the file"));
    if (!out.Write(encoded.data(), encoded.size()))
        return status.Fail(Domain::Write, WriteFailure(out, "cannot write the file"));
    return Publish(out);
}

}  // namespace stampora
