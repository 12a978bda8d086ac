#include "image/palette/ColorQuantizer.h"

#include <unordered_map>

#include "image/RowConversion.h"
#include "image/palette/PaletteDither.h"
#include "image/palette/WuQuantizer.h"

namespace stampora {

namespace {

constexpr int kMaxColors = 256;

uint32_t ColourKey(const uint8_t* bgra) {
    return static_cast<uint32_t>(bgra[0]) | static_cast<uint32_t>(bgra[1]) << 8 |
           static_cast<uint32_t>(bgra[2]) << 16;
}

// Collects the distinct opaque colours while there are few enough to keep
// them all; notes whether any pixel is fully transparent.
struct ColourCensus {
    std::unordered_map<uint32_t, uint8_t> colours;
    bool overflowed = false;
    bool transparent = false;

    void Count(const uint8_t* bgra, int32_t width) {
        for (int32_t x = 0; x < width; ++x, bgra += 4) {
            if (bgra[3] == 0) {
                transparent = true;
                continue;
            }
            if (overflowed) continue;
            const auto [it, added] = colours.try_emplace(ColourKey(bgra), static_cast<uint8_t>(0));
            if (added && colours.size() > kMaxColors) overflowed = true;
        }
    }
    bool FitsExactly() const {
        return !overflowed && static_cast<int>(colours.size()) <= kMaxColors - (transparent ? 1 : 0);
    }
};

void MapExactly(const CRasterImage& image, ColourCensus& census, IndexedPicture& out,
                std::vector<uint8_t>& line) {
    for (auto& [key, index] : census.colours) {
        index = static_cast<uint8_t>(out.palette.size());
        PaletteColour entry{};
        entry.rgbBlue = static_cast<uint8_t>(key);
        entry.rgbGreen = static_cast<uint8_t>(key >> 8);
        entry.rgbRed = static_cast<uint8_t>(key >> 16);
        out.palette.push_back(entry);
    }
    if (census.transparent) {
        out.transparentIndex = static_cast<int32_t>(out.palette.size());
        out.palette.push_back(PaletteColour{});
    }
    for (int32_t y = 0; y < out.height; ++y) {
        RowToBgra(image, y, line.data());
        uint8_t* indices = out.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(out.width);
        for (int32_t x = 0; x < out.width; ++x) {
            const uint8_t* px = line.data() + 4 * static_cast<size_t>(x);
            indices[x] =
                px[3] == 0 ? static_cast<uint8_t>(out.transparentIndex) : census.colours[ColourKey(px)];
        }
    }
}

}  // namespace

bool QuantizePicture(const CRasterImage& image, IndexedPicture& out) {
    if (image.IsEmpty()) return false;
    out = IndexedPicture{};
    out.width = image.Width();
    out.height = image.Height();
    out.indices.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    std::vector<uint8_t> line(static_cast<size_t>(out.width) * 4);

    ColourCensus census;
    for (int32_t y = 0; y < out.height; ++y) {
        RowToBgra(image, y, line.data());
        census.Count(line.data(), out.width);
    }
    if (census.FitsExactly()) {
        MapExactly(image, census, out, line);
        return true;
    }

    CWuQuantizer quantizer;
    for (int32_t y = 0; y < out.height; ++y) {
        RowToBgra(image, y, line.data());
        for (int32_t x = 0; x < out.width; ++x) {
            const uint8_t* px = line.data() + 4 * static_cast<size_t>(x);
            if (px[3] != 0) quantizer.Add(px[2], px[1], px[0]);
        }
    }
    out.palette = quantizer.BuildPalette(kMaxColors - (census.transparent ? 1 : 0));
    if (census.transparent) {
        out.transparentIndex = static_cast<int32_t>(out.palette.size());
        out.palette.push_back(PaletteColour{});
    }
    DitherToPalette(image, out);
    return true;
}

}  // namespace stampora
