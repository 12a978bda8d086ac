#include "image/RasterImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "image/LittleEndian.h"
#include "image/MaskedChannel.h"
#include "platform/PixelMemory.h"

namespace stampora {

namespace {

bool IsValidDepth(int32_t bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

}  // namespace

CRasterImage::CRasterImage(const CRasterImage& other) : CPlacedObject() {
    Assign(other);
}

CRasterImage& CRasterImage::operator=(const CRasterImage& other) {
    return Assign(other);
}

CRasterImage::~CRasterImage() {
    Destroy();
}

void CRasterImage::Swap(CRasterImage& other) noexcept {
    std::swap(offsetX, other.offsetX);
    std::swap(offsetY, other.offsetY);
    std::swap(header, other.header);
    std::swap(pixels, other.pixels);
    std::swap(rows, other.rows);
    std::swap(redMask, other.redMask);
    std::swap(greenMask, other.greenMask);
    std::swap(blueMask, other.blueMask);
    std::swap(palette, other.palette);
    std::swap(stride, other.stride);
}

bool CRasterImage::Create(int32_t width, int32_t height, int32_t bpp) {
    DibInfoHeader h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bpp > 0 && bpp <= 0xFFFF ? bpp : 0);
    h.biCompression = BI_RGB;
    return Create(&h);
}

bool CRasterImage::Create(const DibInfoHeader* given) {
    if (given == nullptr || given->biWidth <= 0 || given->biHeight <= 0) return false;
    if (given->biCompression != BI_RGB && given->biCompression != BI_BITFIELDS) return false;
    const int32_t bpp = given->biBitCount;
    if (!IsValidDepth(bpp)) return false;

    DibInfoHeader h{};
    h.biSize = 40;
    h.biWidth = given->biWidth;
    h.biHeight = given->biHeight;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bpp);
    h.biCompression = given->biCompression;
    h.biXPelsPerMeter = given->biXPelsPerMeter;
    h.biYPelsPerMeter = given->biYPelsPerMeter;

    uint32_t masks[3] = {0, 0, 0};
    if (bpp == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
        if (given->biCompression == BI_BITFIELDS) {
            // The masks are the three words that follow the 40-byte header.
            const uint8_t* after = reinterpret_cast<const uint8_t*>(given) + 40;
            masks[0] = LoadLE32(after);
            masks[1] = LoadLE32(after + 4);
            masks[2] = LoadLE32(after + 8);
        }
    } else {
        h.biCompression = BI_RGB;
    }

    Destroy();
    return Allocate(h, masks);
}

bool CRasterImage::Allocate(const DibInfoHeader& h, uint32_t masks[3]) {
    const size_t lineBytes = DibStride(h.biWidth, h.biBitCount);
    size_t total = 0;
    if (__builtin_mul_overflow(lineBytes, static_cast<size_t>(h.biHeight), &total) ||
        total > static_cast<size_t>(PTRDIFF_MAX) / 2) {
        return false;
    }
    auto* buffer = static_cast<uint8_t*>(AllocatePixelMemory(total));
    auto* table = new (std::nothrow) uint8_t*[static_cast<size_t>(h.biHeight)];
    PaletteColour* entries = nullptr;
    if (h.biBitCount <= 8) entries = new (std::nothrow) PaletteColour[size_t{1} << h.biBitCount];
    if (buffer == nullptr || table == nullptr || (h.biBitCount <= 8 && entries == nullptr)) {
        FreePixelMemory(buffer, total);
        delete[] table;
        delete[] entries;
        return false;
    }

    header = h;
    pixels = buffer;
    rows = table;
    palette = entries;
    stride = lineBytes;
    redMask = masks[0];
    greenMask = masks[1];
    blueMask = masks[2];
    uint8_t* row = pixels + (static_cast<size_t>(h.biHeight) - 1) * stride;
    for (int32_t y = 0; y < h.biHeight; ++y, row -= stride) rows[y] = row;
    if (palette != nullptr) ResetGrayPalette();
    return true;
}

void CRasterImage::Destroy() {
    delete[] palette;
    FreePixelMemory(pixels, PixelBytes());
    delete[] rows;
    palette = nullptr;
    pixels = nullptr;
    rows = nullptr;
    header = DibInfoHeader{};
    redMask = greenMask = blueMask = 0;
    stride = 0;
}

CRasterImage& CRasterImage::Assign(const CRasterImage& other) {
    if (&other == this || other.IsEmpty()) return *this;
    DibInfoHeader* block = other.NewDibHeader();
    if (block != nullptr && Create(block)) {
        std::memcpy(pixels, other.pixels, PixelBytes());
        if (palette != nullptr) std::memcpy(palette, other.palette, sizeof(PaletteColour) * PaletteSize());
        offsetX = other.offsetX;
        offsetY = other.offsetY;
    }
    delete[] reinterpret_cast<uint8_t*>(block);
    return *this;
}

uint32_t CRasterImage::ReadPixel(int32_t x, int32_t y) const {
    if (IsEmpty() || !Contains(x, y)) return 0;
    const uint8_t* p = PixelAt(x, y);
    switch (header.biBitCount) {
        case 1:
            return (*p >> (7 - (x & 7))) & 1u;
        case 4:
            return (*p >> ((x & 1) ? 0 : 4)) & 0x0Fu;
        case 8:
            return *p;
        case 16:
            return LoadLE16(p);
        case 24:
            return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
        case 32:
            return LoadLE32(p);
        default:
            return 0;
    }
}

bool CRasterImage::SetPalette(int32_t first, int32_t count, const PaletteColour* entries) {
    if (IsEmpty() || header.biBitCount > 8 || first < 0 || entries == nullptr || palette == nullptr)
        return false;
    const int32_t n = PaletteSize();
    for (int32_t i = 0; i < count && first + i < n; ++i) palette[first + i] = entries[i];
    return true;
}

void CRasterImage::CopyPaletteFrom(const CRasterImage& other) {
    if (IsEmpty() || header.biBitCount > 8 || other.Bpp() != Bpp() || other.palette == nullptr) return;
    std::memcpy(palette, other.palette, sizeof(PaletteColour) * PaletteSize());
}

void CRasterImage::ResetGrayPalette() {
    if (IsEmpty() || header.biBitCount > 8 || palette == nullptr) return;
    const int32_t n = PaletteSize();
    const int32_t step = 255 / (n - 1);
    for (int32_t i = 0; i < n; ++i) {
        const auto level = static_cast<uint8_t>(step * i);
        palette[i] = PaletteColour{level, level, level, 0};
    }
}

void CRasterImage::FillAlpha(uint8_t alpha) {
    if (IsEmpty() || header.biBitCount != 32) return;
    for (int32_t y = 0; y < header.biHeight; ++y) {
        uint8_t* p = rows[y] + 3;
        for (int32_t x = 0; x < header.biWidth; ++x, p += 4) *p = alpha;
    }
}

bool CRasterImage::PromoteDepth(int32_t target, Status* status) {
    const auto fail = [&](const char* reason) {
        return status != nullptr && status->Fail(Domain::Mark, reason);
    };
    if (IsEmpty()) return fail("there is no picture");
    if (target != 24 && target != 32) return fail("a picture is made 24- or 32-bit only");
    if (target == Bpp()) return true;

    CRasterImage old;
    Swap(old);
    offsetX = old.offsetX;
    offsetY = old.offsetY;
    if (!Create(old.Width(), old.Height(), target)) {
        // Out of memory: keep the picture as it was rather than lose it.
        Swap(old);
        return fail(target == 32 ? "not enough memory to make the picture 32-bit"
                                 : "not enough memory to make the picture 24-bit");
    }

    const int32_t w = Width();
    const int32_t h = Height();
    const int32_t oldBpp = old.Bpp();
    const int step = target / 8;
    uint32_t opaque[256] = {};
    if (oldBpp == 8) {
        for (int i = 0; i < 256; ++i) {
            const PaletteColour& c = old.palette[i];
            opaque[i] = c.rgbBlue | (uint32_t{c.rgbGreen} << 8) | (uint32_t{c.rgbRed} << 16) | 0xFF000000u;
        }
    }
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* src = old.Row(y);
        uint8_t* dst = Row(y);
        if (oldBpp == 24 && target == 32) {
            // Eight pixels at a time: three little-endian 64-bit words in
            // (24 bytes), four out (32 bytes), each holding two pixels.
            int32_t x = 0;
            constexpr uint64_t kOpaque = 0xFF000000FF000000ull;
            constexpr uint64_t kLow = 0xFFFFFFull;
            for (; x + 8 <= w; x += 8, src += 24, dst += 32) {
                const uint64_t a = LoadLE64(src);
                const uint64_t b = LoadLE64(src + 8);
                const uint64_t c = LoadLE64(src + 16);
                StoreLE64(dst, (a & kLow) | ((a << 8) & (kLow << 32)) | kOpaque);
                StoreLE64(dst + 8, (((a >> 48) | (b << 16)) & kLow) | (((b >> 8) & kLow) << 32) | kOpaque);
                StoreLE64(dst + 16, ((b >> 32) & kLow) | ((((b >> 56) | (c << 8)) & kLow) << 32) | kOpaque);
                StoreLE64(dst + 24, ((c >> 16) & kLow) | ((c >> 40) << 32) | kOpaque);
            }
            for (; x < w; ++x, src += 3, dst += 4) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                dst[3] = 255;
            }
        } else if (oldBpp == 32 && target == 24) {
            for (int32_t x = 0; x < w; ++x, src += 4, dst += 3) std::memcpy(dst, src, 3);
        } else if (oldBpp == 8 && target == 32) {
            // Each index picks a ready-made opaque pixel.
            for (int32_t x = 0; x < w; ++x, dst += 4) StoreLE32(dst, opaque[src[x]]);
        } else if (oldBpp <= 8) {
            for (int32_t x = 0; x < w; ++x, dst += step) {
                const PaletteColour& c = old.palette[old.ReadPixel(x, y)];
                dst[0] = c.rgbBlue;
                dst[1] = c.rgbGreen;
                dst[2] = c.rgbRed;
            }
        } else {  // 16 bits
            for (int32_t x = 0; x < w; ++x, src += 2, dst += step) {
                const uint32_t word = LoadLE16(src);
                if (old.greenMask == 0x03E0 && old.redMask == 0x7C00 && old.blueMask == 0x001F) {
                    dst[2] = static_cast<uint8_t>((word >> 7) & 0xF8);
                    dst[1] = static_cast<uint8_t>((word >> 2) & 0xF8);
                    dst[0] = static_cast<uint8_t>((word << 3) & 0xFF);
                } else if (old.greenMask == 0x07E0 && old.redMask == 0xF800 && old.blueMask == 0x001F) {
                    dst[2] = static_cast<uint8_t>((word >> 8) & 0xF8);
                    dst[1] = static_cast<uint8_t>((word >> 3) & 0xFC);
                    dst[0] = static_cast<uint8_t>((word << 3) & 0xFF);
                } else {
                    dst[2] = WidenMaskedChannel(word, old.redMask);
                    dst[1] = WidenMaskedChannel(word, old.greenMask);
                    dst[0] = WidenMaskedChannel(word, old.blueMask);
                }
            }
        }
    }
    if (target == 32 && oldBpp != 24 && oldBpp != 8) FillAlpha(255);
    return true;
}

size_t CRasterImage::DibHeaderBytes() const {
    if (IsEmpty()) return 0;
    return 40 + (Bpp() <= 8 ? sizeof(PaletteColour) * PaletteSize() : 12);
}

DibInfoHeader* CRasterImage::NewDibHeader() const {
    if (IsEmpty()) return nullptr;
    const size_t bytes = DibHeaderBytes();
    auto* block = new (std::nothrow) uint8_t[bytes];
    if (block == nullptr) return nullptr;
    std::memcpy(block, &header, 40);
    if (Bpp() <= 8) {
        std::memcpy(block + 40, palette, bytes - 40);
    } else {
        StoreLE32(block + 40, redMask);
        StoreLE32(block + 44, greenMask);
        StoreLE32(block + 48, blueMask);
    }
    return reinterpret_cast<DibInfoHeader*>(block);
}

}  // namespace stampora
