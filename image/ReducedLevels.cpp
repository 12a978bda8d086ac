#include "image/ReducedLevels.h"

#include <algorithm>
#include <cstring>

#include "image/DrawingSurface.h"

namespace stampora {

namespace {

// Colour channels of one pixel spread into 16-bit lanes, so four pixels add
// up without carrying into each other.
inline uint32_t LowLanes(uint32_t p) {
    return p & 0x00FF00FFu;
}
inline uint32_t HighLanes(uint32_t p) {
    return (p >> 8) & 0x00FF00FFu;
}

inline uint32_t Average4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    const uint32_t low =
        ((LowLanes(a) + LowLanes(b) + LowLanes(c) + LowLanes(d) + 0x00020002u) >> 2) & 0x00FF00FFu;
    const uint32_t high =
        ((HighLanes(a) + HighLanes(b) + HighLanes(c) + HighLanes(d) + 0x00020002u) >> 2) & 0x00FF00FFu;
    return low | (high << 8);
}

inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t w) {
    const uint32_t low = ((LowLanes(a) * (256 - w) + LowLanes(b) * w) >> 8) & 0x00FF00FFu;
    const uint32_t high = ((HighLanes(a) * (256 - w) + HighLanes(b) * w) >> 8) & 0x00FF00FFu;
    return low | (high << 8);
}

// Pixel x of a line of 24- or 32-bit pixels as an opaque 0xAARRGGBB word.
template <int Bytes>
inline uint32_t PixelWord(const uint8_t* line, int32_t x) {
    if constexpr (Bytes == 4) {
        uint32_t word;
        std::memcpy(&word, line + static_cast<size_t>(x) * 4, 4);
        return word | 0xFF000000u;
    } else {
        const uint8_t* p = line + static_cast<size_t>(x) * 3;
        return 0xFF000000u | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
}

template <int Bytes>
void HalveLines(const CRasterImage& picture, CRasterImage& half, int32_t firstLine, int32_t endLine) {
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    const int32_t pairs = width / 2;
    for (int32_t y = firstLine; y < endLine; ++y) {
        const uint8_t* upper = picture.Row(2 * y);
        const uint8_t* lower = picture.Row(std::min(2 * y + 1, height - 1));
        auto* out = reinterpret_cast<uint32_t*>(half.Row(y));
        for (int32_t x = 0; x < pairs; ++x) {
            out[x] = Average4(PixelWord<Bytes>(upper, 2 * x), PixelWord<Bytes>(upper, 2 * x + 1),
                              PixelWord<Bytes>(lower, 2 * x), PixelWord<Bytes>(lower, 2 * x + 1));
        }
        // An odd last column stands for both of its pair.
        if (pairs < half.Width()) {
            const uint32_t a = PixelWord<Bytes>(upper, width - 1);
            const uint32_t b = PixelWord<Bytes>(lower, width - 1);
            out[pairs] = Average4(a, a, b, b);
        }
    }
}

// One source line position and the weight (0 ... 256) of the line below it.
struct Tap {
    int32_t first;
    int32_t second;
    uint32_t weight;
};

// Bilinear taps for destination positions [from, to) of a stretch of
// sourceSize over destSize, sampling at pixel centres.
std::vector<Tap> MakeTaps(int64_t from, int64_t to, int64_t sourceSize, int64_t destSize) {
    std::vector<Tap> taps;
    taps.reserve(static_cast<size_t>(to - from));
    for (int64_t d = from; d < to; ++d) {
        // Centre of d in source pixels, in 1/256ths, minus half a pixel.
        const int64_t centre = ((2 * d + 1) * sourceSize * 256) / (2 * destSize) - 128;
        const int64_t clamped = std::clamp<int64_t>(centre, 0, (sourceSize - 1) * 256);
        const auto first = static_cast<int32_t>(clamped >> 8);
        const auto second = static_cast<int32_t>(std::min<int64_t>(first + 1, sourceSize - 1));
        taps.push_back({first, second, static_cast<uint32_t>(clamped & 255)});
    }
    return taps;
}

// Each source line is blended across once, into one of two lines kept for
// the destination lines that fall between the same pair.
template <int Bytes>
void DrawSmoothLines(const CRasterImage& image, CRasterImage& surface, const PixelRect& clip,
                     const std::vector<Tap>& columns, const std::vector<Tap>& lines) {
    std::vector<uint32_t> across[2] = {std::vector<uint32_t>(columns.size()),
                                       std::vector<uint32_t>(columns.size())};
    int32_t held[2] = {-1, -1};
    // The slot holding source line `y` across, filled when needed, never
    // the slot `keep`.
    const auto slotFor = [&](int32_t y, int keep) {
        for (int i = 0; i < 2; ++i)
            if (held[i] == y) return i;
        const int i = keep == 0 ? 1 : keep == 1 ? 0 : held[0] == -1 || held[1] != -1 ? 0 : 1;
        const uint8_t* row = image.Row(y);
        uint32_t* out = across[i].data();
        for (const Tap& column : columns)
            *out++ = Lerp(PixelWord<Bytes>(row, column.first), PixelWord<Bytes>(row, column.second),
                          column.weight);
        held[i] = y;
        return i;
    };
    for (int32_t y = clip.top; y < clip.bottom; ++y) {
        const Tap& line = lines[static_cast<size_t>(y - clip.top)];
        const int upper = slotFor(line.first, held[0] == line.second ? 0 : held[1] == line.second ? 1 : -1);
        const int lower = slotFor(line.second, upper);
        const uint32_t* top = across[upper].data();
        const uint32_t* bottom = across[lower].data();
        auto* out = reinterpret_cast<uint32_t*>(surface.Row(y)) + clip.left;
        for (size_t x = 0; x < columns.size(); ++x)
            out[x] = Lerp(top[x], bottom[x], line.weight) | 0xFF000000u;
    }
}

// Averages a grid of 4 x 4 samples spread over each destination pixel's
// footprint: a fair reduction for any ratio, for when no reduced level is at
// hand.
constexpr int32_t kGrid = 4;

std::vector<int32_t> GridTaps(int64_t from, int64_t to, int64_t sourceSize, int64_t destSize) {
    std::vector<int32_t> taps;
    taps.reserve(static_cast<size_t>((to - from) * kGrid));
    for (int64_t d = from; d < to; ++d) {
        for (int32_t j = 0; j < kGrid; ++j) {
            const int64_t s = ((d * kGrid + j) * 2 + 1) * sourceSize / (2 * kGrid * destSize);
            taps.push_back(static_cast<int32_t>(std::clamp<int64_t>(s, 0, sourceSize - 1)));
        }
    }
    return taps;
}

template <int Bytes>
void DrawGridLines(const CRasterImage& image, CRasterImage& surface, const PixelRect& clip,
                   const std::vector<int32_t>& columns, const std::vector<int32_t>& lines) {
    const int32_t width = clip.right - clip.left;
    for (int32_t y = clip.top; y < clip.bottom; ++y) {
        const int32_t* lineTaps = &lines[static_cast<size_t>(y - clip.top) * kGrid];
        auto* out = reinterpret_cast<uint32_t*>(surface.Row(y)) + clip.left;
        for (int32_t x = 0; x < width; ++x) {
            const int32_t* columnTaps = &columns[static_cast<size_t>(x) * kGrid];
            uint32_t low = 0;
            uint32_t high = 0;
            for (int32_t i = 0; i < kGrid; ++i) {
                const uint8_t* line = image.Row(lineTaps[i]);
                for (int32_t j = 0; j < kGrid; ++j) {
                    const uint32_t p = PixelWord<Bytes>(line, columnTaps[j]);
                    low += LowLanes(p);
                    high += HighLanes(p);
                }
            }
            // 16 samples of at most 255 fit each 16-bit lane.
            out[x] = 0xFF000000u | (((low + 0x00080008u) >> 4) & 0x00FF00FFu) |
                     ((((high + 0x00080008u) >> 4) & 0x00FF00FFu) << 8);
        }
    }
}

}  // namespace

bool HalveImage(const CRasterImage& picture, CRasterImage& half) {
    if (picture.IsEmpty() || (picture.Bpp() != 32 && picture.Bpp() != 24)) return false;
    const int32_t halfH = (picture.Height() + 1) / 2;
    if (!half.Create((picture.Width() + 1) / 2, halfH, 32)) return false;
    if (picture.Bpp() == 32) {
        HalveLines<4>(picture, half, 0, halfH);
    } else {
        HalveLines<3>(picture, half, 0, halfH);
    }
    return true;
}

bool CReducedLevels::Build(const CRasterImage& picture) {
    levels.clear();
    if (picture.IsEmpty() || (picture.Bpp() != 32 && picture.Bpp() != 24)) return true;
    const CRasterImage* previous = &picture;
    // Images are copied, not moved: room for every level is made first so
    // no level is copied and `previous` stays valid. Halving 32-bit sides
    // reaches 8 pixels within 32 steps.
    levels.reserve(32);
    while (previous->Width() > 8 || previous->Height() > 8) {
        levels.emplace_back();
        if (!HalveImage(*previous, levels.back())) {
            levels.clear();
            return false;
        }
        previous = &levels.back();
    }
    return true;
}

size_t CReducedLevels::MemoryBytes() const {
    size_t bytes = 0;
    for (const CRasterImage& level : levels) bytes += level.PixelBytes();
    return bytes;
}

const CRasterImage& CReducedLevels::SourceFor(const CRasterImage& picture, int32_t displayWidth,
                                              int32_t displayHeight) const {
    const CRasterImage* best = &picture;
    for (const CRasterImage& level : levels) {
        if (level.Width() < displayWidth || level.Height() < displayHeight) break;
        best = &level;
    }
    return *best;
}

void DrawSmoothToDC(const CRasterImage& image, CDrawingSurface& dc, const PixelRect& dest) {
    if (image.IsEmpty() || (image.Bpp() != 32 && image.Bpp() != 24) || dc.IsEmpty() || IsEmptyRect(dest))
        return;
    const PixelRect clip = dc.ClipToSurface(dest);
    if (IsEmptyRect(clip)) return;
    const PixelRect& area = dc.Area();
    const int64_t destW = int64_t{dest.right} - dest.left;
    const int64_t destH = int64_t{dest.bottom} - dest.top;
    const int64_t firstDx = int64_t{clip.left} + area.left - dest.left;
    const int64_t firstDy = int64_t{clip.top} + area.top - dest.top;
    if (image.Width() >= 2 * destW || image.Height() >= 2 * destH) {
        const std::vector<int32_t> columns =
            GridTaps(firstDx, firstDx + (clip.right - clip.left), image.Width(), destW);
        const std::vector<int32_t> lines =
            GridTaps(firstDy, firstDy + (clip.bottom - clip.top), image.Height(), destH);
        if (image.Bpp() == 32) {
            DrawGridLines<4>(image, dc.Image(), clip, columns, lines);
        } else {
            DrawGridLines<3>(image, dc.Image(), clip, columns, lines);
        }
        return;
    }
    const std::vector<Tap> columns =
        MakeTaps(firstDx, firstDx + (clip.right - clip.left), image.Width(), destW);
    const std::vector<Tap> lines =
        MakeTaps(firstDy, firstDy + (clip.bottom - clip.top), image.Height(), destH);
    if (image.Bpp() == 32) {
        DrawSmoothLines<4>(image, dc.Image(), clip, columns, lines);
    } else {
        DrawSmoothLines<3>(image, dc.Image(), clip, columns, lines);
    }
}

}  // namespace stampora
