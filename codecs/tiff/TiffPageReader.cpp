#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "codecs/DecodeLimits.h"
#include "codecs/ImageCodec.h"
#include "codecs/metadata/ExifOrientation.h"
#include "codecs/tiff/Tiff_pvt.h"

namespace stampora {

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
    uint16_t compression = COMPRESSION_NONE;
    uint16_t orientation = ORIENTATION_TOPLEFT;
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
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &p.compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &p.orientation);
    return p;
}

// The depth a page is read into directly, or 0 when libtiff's RGBA reader
// must take it.
int32_t DirectDepth(const PageLayout& p) {
    if (p.sampleFormat != SAMPLEFORMAT_UINT) return 0;
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
        for (int c = 0; c < 3; ++c)
            bgra[c] = static_cast<uint8_t>(std::min(255u, (bgra[c] * 255u + a / 2) / a));
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
        for (int32_t i = 0; i < count; ++i)
            eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
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

// How many bytes of pixels one byte of stored data can expand to under a
// compression: deflate 1032, LZW a 4096-byte string per 12-bit code,
// PackBits 128 bytes per 2, fax and JPEG coding a few bits per line or
// block; anything else is given a generous bound. Uncompressed pages may be
// cut short and keep their lines, but not claim far more than they hold.
uint64_t MaxExpansion(const PageLayout& p) {
    switch (p.compression) {
        case COMPRESSION_NONE:
            return 128;
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
            return 1032;
        case COMPRESSION_LZW:
            return 2731;
        case COMPRESSION_PACKBITS:
            return 64;
        case COMPRESSION_CCITTRLE:
        case COMPRESSION_CCITTRLEW:
        case COMPRESSION_CCITTFAX3:
        case COMPRESSION_CCITTFAX4:
            return 8 * (uint64_t{p.width} / 8 + 1);
        case COMPRESSION_JPEG:
        case COMPRESSION_OJPEG:
            return 8192;
        default:
            return uint64_t{1} << 16;
    }
}

// The bytes of stored data the page's strips or tiles really have in the
// file: each one's count cut at the end of the file, all together at most
// the file.
uint64_t StoredBytes(TIFF* tiff, const PageLayout& p, uint64_t fileSize) {
    uint64_t* counts = nullptr;
    uint64_t* offsets = nullptr;
    const bool found = p.tiled ? TIFFGetField(tiff, TIFFTAG_TILEBYTECOUNTS, &counts) &&
                                     TIFFGetField(tiff, TIFFTAG_TILEOFFSETS, &offsets)
                               : TIFFGetField(tiff, TIFFTAG_STRIPBYTECOUNTS, &counts) &&
                                     TIFFGetField(tiff, TIFFTAG_STRIPOFFSETS, &offsets);
    if (!found || counts == nullptr || offsets == nullptr) return 0;
    const uint32_t pieces = p.tiled ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    uint64_t total = 0;
    for (uint32_t i = 0; i < pieces && total < fileSize; ++i) {
        if (offsets[i] < fileSize) total += std::min(counts[i], fileSize - offsets[i]);
    }
    return std::min(total, fileSize);
}

bool PageDataCanHold(TIFF* tiff, const PageLayout& p, uint64_t fileSize, Status& status) {
    const uint64_t lineBytes = (uint64_t{p.width} * p.samples * p.bits + 7) / 8;
    const uint64_t claimed = lineBytes * p.height;
    const uint64_t stored = StoredBytes(tiff, p, fileSize);
    if (claimed / MaxExpansion(p) <= stored) return true;
    return status.Fail(Domain::Read, "the page claims " + std::to_string(p.width) + " x " +
                                         std::to_string(p.height) + " pixels, more than its " +
                                         std::to_string(stored) + " bytes of data can hold");
}

// A tile is at most a little larger than the page it covers (tiles are
// multiples of 16 and some writers use a fixed size even for small pages),
// and no single tile may ask for more than a generous buffer: the reader
// allocates one tile and a band of tile rows before reading any data.
bool TilesFitPage(TIFF* tiff, const PageLayout& p, Status& status) {
    if (!p.tiled) return true;
    constexpr uint64_t kAnyPageMayUse = 1024;
    constexpr uint64_t kMaxTileBytes = uint64_t{256} << 20;
    uint32_t tileWidth = 0;
    uint32_t tileLength = 0;
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength);
    const auto fits = [&](uint64_t side, uint64_t page) {
        return side > 0 && side <= (std::max(page, kAnyPageMayUse) + 15) / 16 * 16;
    };
    const uint64_t tileBytes = uint64_t{tileWidth} * tileLength * p.samples * p.bits / 8;
    if (fits(tileWidth, p.width) && fits(tileLength, p.height) && tileBytes <= kMaxTileBytes) return true;
    return status.Fail(Domain::Read, "the page's tiles of " + std::to_string(tileWidth) + " x " +
                                         std::to_string(tileLength) + " pixels do not fit its " +
                                         std::to_string(p.width) + " x " + std::to_string(p.height));
}

// Reads a stripped page line by line.
uint32_t ReadStripLines(TIFF* tiff, const PageLayout& p, int32_t bpp, CRasterImage& image) {
    const tmsize_t lineBytes = TIFFScanlineSize(tiff);
    std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
    uint32_t done = 0;
    for (; done < p.height; ++done) {
        if (TIFFReadScanline(tiff, line.data(), done, 0) < 0) break;
        StoreLine(p, line.data(), image.Row(static_cast<int32_t>(done)), p.width, bpp);
    }
    return done;
}

// Reads a tiled page one row of tiles at a time: the tiles are put side by
// side into a band of whole lines, which are then stored like a strip's.
// Tile widths are multiples of 16, so every tile starts on a whole byte.
uint32_t ReadTileLines(TIFF* tiff, const PageLayout& p, int32_t bpp, CRasterImage& image) {
    uint32_t tileWidth = 0;
    uint32_t tileLength = 0;
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength);
    const tmsize_t tileBytes = TIFFTileSize(tiff);
    const tmsize_t tileRowBytes = TIFFTileRowSize(tiff);
    if (tileWidth == 0 || tileLength == 0 || tileBytes <= 0 || tileRowBytes <= 0) return 0;
    const uint64_t pixelBits = uint64_t{p.samples} * p.bits;
    const size_t bandLineBytes = static_cast<size_t>((uint64_t{p.width} + tileWidth) * pixelBits / 8 + 1);
    std::vector<uint8_t> tile(static_cast<size_t>(tileBytes));
    // Tile lines below the page's last line are never stored.
    const uint32_t bandRows = std::min(tileLength, p.height);
    std::vector<uint8_t> band(bandLineBytes * bandRows);
    uint32_t done = 0;
    for (uint32_t top = 0; top < p.height; top += tileLength) {
        for (uint32_t left = 0; left < p.width; left += tileWidth) {
            if (TIFFReadTile(tiff, tile.data(), left, top, 0, 0) < 0) return done;
            const size_t at = static_cast<size_t>(uint64_t{left} * pixelBits / 8);
            for (uint32_t r = 0; r < bandRows; ++r) {
                std::memcpy(band.data() + r * bandLineBytes + at,
                            tile.data() + r * static_cast<size_t>(tileRowBytes),
                            static_cast<size_t>(tileRowBytes));
            }
        }
        const uint32_t rows = std::min(tileLength, p.height - top);
        for (uint32_t r = 0; r < rows; ++r) {
            StoreLine(p, band.data() + r * bandLineBytes, image.Row(static_cast<int32_t>(top + r)), p.width,
                      bpp);
        }
        done = top + rows;
    }
    return done;
}

bool ReadDirect(TIFF* tiff, const PageLayout& p, int32_t bpp, CRasterImage& image, Status& status) {
    const size_t needed = (static_cast<size_t>(p.width) * p.samples * p.bits + 7) / 8;
    const tmsize_t lineBytes = p.tiled ? TIFFTileRowSize(tiff) : TIFFScanlineSize(tiff);
    if (lineBytes <= 0 || (!p.tiled && static_cast<size_t>(lineBytes) < needed)) {
        return status.Fail(Domain::Read, "the page's line layout is inconsistent");
    }
    if (!image.Create(static_cast<int32_t>(p.width), static_cast<int32_t>(p.height), bpp)) {
        return status.Fail(Domain::Read, "not enough memory for the picture");
    }
    if (bpp <= 8) SetPagePalette(tiff, p, image);
    const uint32_t done = p.tiled ? ReadTileLines(tiff, p, bpp, image) : ReadStripLines(tiff, p, bpp, image);
    // A page that breaks off keeps the lines before the break.
    if (done == 0) {
        image.Destroy();
        return false;
    }
    if (done < p.height) status.damage = LinesDamage(done, p.height);
    return true;
}

// libtiff's RGBA reader fills 32-bit words (red in the low byte) bottom line
// first, which is exactly the memory order of a 32-bit picture. It is told
// the page is stored top line first, so the lines come as stored and the
// page's orientation is applied afterwards like every other page's.
bool ReadThroughRgba(TIFF* tiff, const PageLayout& p, CRasterImage& image, Status& status) {
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tiff, message)) return status.Fail(Domain::Read, message);
    TIFFRGBAImage reader;
    if (!TIFFRGBAImageBegin(&reader, tiff, 0, message)) return status.Fail(Domain::Read, message);
    const bool hasAlpha = reader.alpha != 0;
    bool ok = image.Create(static_cast<int32_t>(p.width), static_cast<int32_t>(p.height), 32);
    bool whole = false;
    if (ok) {
        reader.orientation = ORIENTATION_TOPLEFT;
        reader.req_orientation = ORIENTATION_BOTLEFT;
        auto* raster = reinterpret_cast<uint32_t*>(image.Pixels());
        // A page that breaks off leaves the rest of the picture transparent.
        whole = TIFFRGBAImageGet(&reader, raster, p.width, p.height) != 0;
    }
    TIFFRGBAImageEnd(&reader);
    if (!ok) return status.Fail(Domain::Read, "not enough memory for the picture");
    if (!whole) status.damage = "the page is damaged";
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

bool ReadTiffPage(TIFF* tiff, TiffMemoryFile& file, CRasterImage& image, Status& status) {
    file.decoderWarning.clear();
    const PageLayout p = LayoutOf(tiff);
    if (!IsDecodableSize(p.width, p.height)) {
        return status.Fail(Domain::Read, "the page has an impossible size (" + std::to_string(p.width) +
                                             " x " + std::to_string(p.height) + ")");
    }
    if (!TilesFitPage(tiff, p, status) || !PageDataCanHold(tiff, p, file.size, status)) return false;
    const int32_t bpp = DirectDepth(p);
    const bool read =
        bpp != 0 ? ReadDirect(tiff, p, bpp, image, status) : ReadThroughRgba(tiff, p, image, status);
    if (!read) {
        if (status.Error().empty())
            status.failure = {Domain::Read,
                              file.lastError.empty() ? "the page holds no readable line" : file.lastError};
        return false;
    }
    if (!status.damage.empty() && !file.lastError.empty()) status.damage += " (" + file.lastError + ")";
    if (status.damage.empty()) status.damage = file.decoderWarning;
    if (!ApplyExifOrientation(image, p.orientation))
        return status.Fail(Domain::Read, "not enough memory to turn the page upright");
    return true;
}

}  // namespace stampora
