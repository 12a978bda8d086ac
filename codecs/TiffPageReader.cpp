#include "codecs/TiffPageReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/DecodeLimits.h"

namespace {

struct PageLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t samples = 1;
    uint16_t bits = 1;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    uint16_t extraKind = EXTRASAMPLE_UNSPECIFIED;
    bool hasExtra = false;
    bool tiled = false;
};

PageLayout LayoutOf(TIFF* tiff) {
    PageLayout p;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &p.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &p.height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &p.samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &p.bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &p.planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &p.sampleFormat);
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &p.photometric)) {
        p.photometric = p.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    }
    uint16_t extraCount = 0;
    uint16_t* extraKinds = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds) && extraCount > 0 && extraKinds) {
        p.hasExtra = true;
        p.extraKind = extraKinds[0];
    }
    p.tiled = TIFFIsTiled(tiff) != 0;
    return p;
}

// The depth a page is read into directly, or 0 when libtiff's RGBA reader
// must take it.
int32_t DirectDepth(const PageLayout& p) {
    if (p.tiled || p.sampleFormat != SAMPLEFORMAT_UINT) return 0;
    if (p.planar != PLANARCONFIG_CONTIG && p.samples > 1) return 0;
    switch (p.photometric) {
        case PHOTOMETRIC_PALETTE:
            return p.samples == 1 && (p.bits == 1 || p.bits == 4 || p.bits == 8) ? p.bits : 0;
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_MINISWHITE:
            if (p.samples != 1) return 0;
            if (p.bits == 1) return 1;
            return p.bits == 4 || p.bits == 8 || p.bits == 16 ? 8 : 0;
        case PHOTOMETRIC_RGB:
            if (p.bits != 8 && p.bits != 16) return 0;
            if (p.samples == 3) return 24;
            if (p.samples == 4) return p.hasExtra && p.extraKind != EXTRASAMPLE_UNSPECIFIED ? 32 : 24;
            return 0;
        default:
            return 0;
    }
}

uint8_t Sample(const uint8_t* line, uint16_t bits, size_t i) {
    if (bits == 8) return line[i];
    uint16_t v;
    std::memcpy(&v, line + 2 * i, sizeof v);
    return static_cast<uint8_t>((v + 128u) / 257u);
}

void Unpremultiply(uint8_t* bgra, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, bgra += 4) {
        const unsigned a = bgra[3];
        if (a == 0 || a == 255) continue;
        for (int c = 0; c < 3; ++c) bgra[c] = static_cast<uint8_t>(std::min(255u, (bgra[c] * 255u + a / 2) / a));
    }
}

void SetPagePalette(TIFF* tiff, const PageLayout& p, CRasterImage& image) {
    PaletteColour* palette = image.Palette();
    const int32_t count = image.PaletteSize();
    if (p.photometric == PHOTOMETRIC_PALETTE) {
        uint16_t* red = nullptr;
        uint16_t* green = nullptr;
        uint16_t* blue = nullptr;
        std::memset(palette, 0, sizeof(PaletteColour) * static_cast<size_t>(count));
        if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) return;
        // Some writers store 8-bit values in the 16-bit table.
        bool eightBit = true;
        for (int32_t i = 0; i < count; ++i) eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
        const int shift = eightBit ? 0 : 8;
        for (int32_t i = 0; i < count; ++i) {
            palette[i].rgbRed = static_cast<uint8_t>(red[i] >> shift);
            palette[i].rgbGreen = static_cast<uint8_t>(green[i] >> shift);
            palette[i].rgbBlue = static_cast<uint8_t>(blue[i] >> shift);
        }
    } else if (p.photometric == PHOTOMETRIC_MINISWHITE) {
        for (int32_t i = 0; i < count; ++i) {
            const auto level = static_cast<uint8_t>(255 - 255 * i / (count - 1));
            palette[i] = PaletteColour{level, level, level, 0};
        }
    }
}

// Turns one decoded line into the picture's line.
void StoreLine(const PageLayout& p, const uint8_t* line, uint8_t* row, uint32_t width, int32_t bpp) {
    if (bpp <= 8 && p.bits == static_cast<uint16_t>(bpp)) {
        std::memcpy(row, line, (static_cast<size_t>(width) * bpp + 7) / 8);
        return;
    }
    if (bpp == 8) {
        for (uint32_t x = 0; x < width; ++x) {
            if (p.bits == 4) {
                const uint8_t nibble = (x & 1) ? (line[x / 2] & 0x0F) : (line[x / 2] >> 4);
                row[x] = static_cast<uint8_t>(nibble * 17);
            } else {
                row[x] = Sample(line, p.bits, x);
            }
        }
        return;
    }
    const size_t samples = p.samples;
    const size_t outBytes = static_cast<size_t>(bpp / 8);
    for (uint32_t x = 0; x < width; ++x) {
        const size_t i = x * samples;
        uint8_t* px = row + x * outBytes;
        px[0] = Sample(line, p.bits, i + 2);
        px[1] = Sample(line, p.bits, i + 1);
        px[2] = Sample(line, p.bits, i);
        if (bpp == 32) px[3] = Sample(line, p.bits, i + 3);
    }
    if (bpp == 32 && p.extraKind == EXTRASAMPLE_ASSOCALPHA) Unpremultiply(row, width);
}

bool ReadDirect(TIFF* tiff, const PageLayout& p, int32_t bpp, CRasterImage& image) {
    const tmsize_t lineBytes = TIFFScanlineSize(tiff);
    if (lineBytes <= 0) return false;
    const size_t needed = (static_cast<size_t>(p.width) * p.samples * p.bits + 7) / 8;
    if (static_cast<size_t>(lineBytes) < needed) return false;
    if (!image.Create(static_cast<int32_t>(p.width), static_cast<int32_t>(p.height), bpp)) return false;
    if (bpp <= 8) SetPagePalette(tiff, p, image);
    std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
    uint32_t done = 0;
    for (; done < p.height; ++done) {
        if (TIFFReadScanline(tiff, line.data(), done, 0) < 0) break;
        StoreLine(p, line.data(), image.Row(static_cast<int32_t>(done)), p.width, bpp);
    }
    // A page that breaks off keeps the lines before the break.
    if (done == 0) image.Destroy();
    return done > 0;
}

// libtiff's RGBA reader fills 32-bit words (red in the low byte) bottom line
// first, which is exactly the memory order of a 32-bit picture.
bool ReadThroughRgba(TIFF* tiff, const PageLayout& p, CRasterImage& image) {
    char message[1024];
    if (!TIFFRGBAImageOK(tiff, message)) return false;
    TIFFRGBAImage reader;
    if (!TIFFRGBAImageBegin(&reader, tiff, 0, message)) return false;
    const bool hasAlpha = reader.alpha != 0;
    bool ok = image.Create(static_cast<int32_t>(p.width), static_cast<int32_t>(p.height), 32);
    if (ok) {
        reader.req_orientation = ORIENTATION_BOTLEFT;
        auto* raster = reinterpret_cast<uint32_t*>(image.Pixels());
        // A page that breaks off leaves the rest of the picture transparent.
        TIFFRGBAImageGet(&reader, raster, p.width, p.height);
    }
    TIFFRGBAImageEnd(&reader);
    if (!ok) return false;
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* px = image.Row(y);
        for (int32_t x = 0; x < image.Width(); ++x, px += 4) std::swap(px[0], px[2]);
        if (hasAlpha) Unpremultiply(image.Row(y), p.width);
    }
    if (!hasAlpha) {
        CRasterImage opaque;
        if (opaque.Create(image.Width(), image.Height(), 24)) {
            for (int32_t y = 0; y < image.Height(); ++y) {
                const uint8_t* src = image.Row(y);
                uint8_t* dst = opaque.Row(y);
                for (int32_t x = 0; x < image.Width(); ++x) std::memcpy(dst + 3 * x, src + 4 * x, 3);
            }
            image.Swap(opaque);
        } else {
            image.FillAlpha(255);
        }
    }
    return true;
}

}  // namespace

bool ReadTiffPage(TIFF* tiff, CRasterImage& image) {
    const PageLayout p = LayoutOf(tiff);
    if (!IsDecodableSize(p.width, p.height)) return false;
    const int32_t bpp = DirectDepth(p);
    if (bpp != 0) return ReadDirect(tiff, p, bpp, image);
    return ReadThroughRgba(tiff, p, image);
}
