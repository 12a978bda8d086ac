#include "image/ResizeImage.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

// A separable resampler: every source line is filtered horizontally once,
// into a small ring of filtered lines, and each destination line is a
// weighted sum of the ring's lines. Pixels are handled as four floats
// (blue, green, red, alpha), colour premultiplied by alpha.

namespace {

constexpr int kChannels = 4;

// Catmull-Rom cubic: interpolating, sharp, with small negative lobes.
double CatmullRom(double x) {
    x = std::fabs(x);
    if (x < 1.0) return (1.5 * x - 2.5) * x * x + 1.0;
    if (x < 2.0) return ((-0.5 * x + 2.5) * x - 4.0) * x + 2.0;
    return 0.0;
}
constexpr double kKernelRadius = 2.0;

// Per destination position: the first source position it reads, how many
// contiguous ones, and their normalised weights.
struct FilterTable {
    std::vector<int32_t> first;
    std::vector<int32_t> count;
    std::vector<size_t> offset;
    std::vector<float> weights;
    int32_t maxCount = 0;
};

// Destination pixel i covers source span [i * scale, (i + 1) * scale); the
// kernel is centred on that span's middle and, when shrinking, stretched by
// the reduction factor so that it averages every source pixel it covers.
// Taps beyond the picture take the edge pixel, as if the edge went on.
FilterTable BuildFilterTable(int32_t sourceSize, int32_t destSize) {
    FilterTable table;
    const double scale = static_cast<double>(sourceSize) / destSize;
    const double stretch = std::max(scale, 1.0);
    const double support = kKernelRadius * stretch;
    table.first.resize(static_cast<size_t>(destSize));
    table.count.resize(static_cast<size_t>(destSize));
    table.offset.resize(static_cast<size_t>(destSize));
    std::vector<double> raw;
    for (int32_t i = 0; i < destSize; ++i) {
        const double centre = (i + 0.5) * scale;
        const auto low = static_cast<int64_t>(std::floor(centre - support));
        const auto high = static_cast<int64_t>(std::ceil(centre + support));
        const int64_t first = std::clamp<int64_t>(low, 0, sourceSize - 1);
        const int64_t last = std::clamp<int64_t>(high, 0, sourceSize - 1);
        raw.assign(static_cast<size_t>(last - first + 1), 0.0);
        double sum = 0.0;
        for (int64_t j = low; j <= high; ++j) {
            const double w = CatmullRom((static_cast<double>(j) + 0.5 - centre) / stretch);
            if (w == 0.0) continue;
            raw[static_cast<size_t>(std::clamp<int64_t>(j, 0, sourceSize - 1) - first)] += w;
            sum += w;
        }
        // Zero weights at either end are dropped.
        size_t begin = 0, end = raw.size();
        while (begin + 1 < end && raw[begin] == 0.0) ++begin;
        while (end > begin + 1 && raw[end - 1] == 0.0) --end;
        table.first[static_cast<size_t>(i)] = static_cast<int32_t>(first + static_cast<int64_t>(begin));
        table.count[static_cast<size_t>(i)] = static_cast<int32_t>(end - begin);
        table.offset[static_cast<size_t>(i)] = table.weights.size();
        for (size_t k = begin; k < end; ++k) table.weights.push_back(static_cast<float>(raw[k] / sum));
        table.maxCount = std::max(table.maxCount, static_cast<int32_t>(end - begin));
    }
    return table;
}

// One channel of a 16-bit word as selected by a mask.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    float maxValue = 0.0f;
};

MaskChannel DescribeMask(uint32_t mask) {
    MaskChannel channel;
    channel.mask = mask;
    if (mask == 0) return channel;
    channel.shift = std::countr_zero(mask);
    channel.maxValue = static_cast<float>(mask >> channel.shift);
    return channel;
}

class PixelFormat {
public:
    explicit PixelFormat(const CRasterImage& image)
        : bpp(image.Bpp()),
          blue(DescribeMask(image.BlueMask())),
          green(DescribeMask(image.GreenMask())),
          red(DescribeMask(image.RedMask())) {}

    // Source line -> premultiplied floats.
    void Load(const uint8_t* in, int32_t width, float* out) const {
        if (bpp == 32) {
            for (int32_t x = 0; x < width; ++x, in += 4, out += 4) {
                const float alpha = in[3];
                const float factor = alpha * (1.0f / 255.0f);
                out[0] = in[0] * factor;
                out[1] = in[1] * factor;
                out[2] = in[2] * factor;
                out[3] = alpha;
            }
        } else if (bpp == 24) {
            for (int32_t x = 0; x < width; ++x, in += 3, out += 4) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
                out[3] = 255.0f;
            }
        } else {
            for (int32_t x = 0; x < width; ++x, in += 2, out += 4) {
                const uint32_t word = static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8);
                out[0] = Expand(word, blue);
                out[1] = Expand(word, green);
                out[2] = Expand(word, red);
                out[3] = 255.0f;
            }
        }
    }

    // Filtered floats -> destination line, rounded and clamped.
    void Store(const float* in, int32_t width, uint8_t* out) const {
        if (bpp == 32) {
            for (int32_t x = 0; x < width; ++x, in += 4, out += 4) {
                const uint8_t alpha = ToByte(in[3]);
                if (alpha == 0) {
                    std::memset(out, 0, 4);
                    continue;
                }
                const float factor = 255.0f / in[3];
                out[0] = ToByte(in[0] * factor);
                out[1] = ToByte(in[1] * factor);
                out[2] = ToByte(in[2] * factor);
                out[3] = alpha;
            }
        } else if (bpp == 24) {
            for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
                out[0] = ToByte(in[0]);
                out[1] = ToByte(in[1]);
                out[2] = ToByte(in[2]);
            }
        } else {
            for (int32_t x = 0; x < width; ++x, in += 4, out += 2) {
                const uint32_t word = Narrow(in[0], blue) | Narrow(in[1], green) | Narrow(in[2], red);
                out[0] = static_cast<uint8_t>(word);
                out[1] = static_cast<uint8_t>(word >> 8);
            }
        }
    }

private:
    static uint8_t ToByte(float v) {
        if (!(v > 0.0f)) return 0;
        if (v >= 254.5f) return 255;
        return static_cast<uint8_t>(v + 0.5f);
    }
    static float Expand(uint32_t word, const MaskChannel& c) {
        if (c.mask == 0) return 0.0f;
        return static_cast<float>((word & c.mask) >> c.shift) * (255.0f / c.maxValue);
    }
    static uint32_t Narrow(float v, const MaskChannel& c) {
        if (c.mask == 0 || !(v > 0.0f)) return 0;
        const float scaled = std::min(v, 255.0f) * (c.maxValue / 255.0f) + 0.5f;
        return (static_cast<uint32_t>(scaled) << c.shift) & c.mask;
    }

    int32_t bpp;
    MaskChannel blue, green, red;
};

void FilterLine(const float* source, const FilterTable& table, int32_t destWidth, float* out) {
    for (int32_t i = 0; i < destWidth; ++i, out += kChannels) {
        const float* w = table.weights.data() + table.offset[static_cast<size_t>(i)];
        const float* s = source + static_cast<size_t>(table.first[static_cast<size_t>(i)]) * kChannels;
        const int32_t count = table.count[static_cast<size_t>(i)];
        float b = 0.0f, g = 0.0f, r = 0.0f, a = 0.0f;
        for (int32_t k = 0; k < count; ++k, s += kChannels) {
            b += w[k] * s[0];
            g += w[k] * s[1];
            r += w[k] * s[2];
            a += w[k] * s[3];
        }
        out[0] = b;
        out[1] = g;
        out[2] = r;
        out[3] = a;
    }
}

bool Resample(const CRasterImage& source, CRasterImage& dest) {
    const int32_t sourceWidth = source.Width(), sourceHeight = source.Height();
    const int32_t destWidth = dest.Width(), destHeight = dest.Height();
    const FilterTable columns = BuildFilterTable(sourceWidth, destWidth);
    const FilterTable lines = BuildFilterTable(sourceHeight, destHeight);
    const PixelFormat format(source);

    const size_t destFloats = static_cast<size_t>(destWidth) * kChannels;
    const auto ringSize = static_cast<size_t>(lines.maxCount);
    std::vector<float> sourceLine(static_cast<size_t>(sourceWidth) * kChannels);
    std::vector<float> ring(ringSize * destFloats);
    std::vector<float> sum(destFloats);

    int32_t filteredUpTo = 0;  // source lines [0, filteredUpTo) have been through the ring
    for (int32_t y = 0; y < destHeight; ++y) {
        const int32_t first = lines.first[static_cast<size_t>(y)];
        const int32_t count = lines.count[static_cast<size_t>(y)];
        for (; filteredUpTo < first + count; ++filteredUpTo) {
            format.Load(source.Row(filteredUpTo), sourceWidth, sourceLine.data());
            float* slot = ring.data() + (static_cast<size_t>(filteredUpTo) % ringSize) * destFloats;
            FilterLine(sourceLine.data(), columns, destWidth, slot);
        }
        std::fill(sum.begin(), sum.end(), 0.0f);
        const float* w = lines.weights.data() + lines.offset[static_cast<size_t>(y)];
        for (int32_t k = 0; k < count; ++k) {
            const float weight = w[k];
            const float* slot = ring.data() + (static_cast<size_t>(first + k) % ringSize) * destFloats;
            float* acc = sum.data();
            for (size_t i = 0; i < destFloats; ++i) acc[i] += weight * slot[i];
        }
        format.Store(sum.data(), destWidth, dest.Row(y));
    }
    return true;
}

}  // namespace

bool ResizeImage(CRasterImage& image, int32_t newWidth, int32_t newHeight) {
    if (image.IsEmpty() || newWidth <= 0 || newHeight <= 0) return false;
    if (image.Bpp() != 16 && image.Bpp() != 24 && image.Bpp() != 32) return false;
    if (newWidth == image.Width() && newHeight == image.Height()) return true;

    // The new picture takes the old header (depth, masks, resolution).
    std::unique_ptr<uint8_t[]> headerBlock(reinterpret_cast<uint8_t*>(image.NewDibHeader()));
    if (!headerBlock) return false;
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(headerBlock.get());
    header->biWidth = newWidth;
    header->biHeight = newHeight;
    CRasterImage resized;
    if (!resized.Create(header)) return false;

    try {
        Resample(image, resized);
    } catch (const std::bad_alloc&) {
        return false;
    }
    resized.offsetX = image.offsetX;
    resized.offsetY = image.offsetY;
    image.Swap(resized);
    return true;
}
