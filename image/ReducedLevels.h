#pragma once
// Smoothly reduced copies of a 32-bit picture for showing it below its full
// size: each level is the area average of the one before at half its size,
// made once per picture, so a reduced view shows neither aliasing nor moire.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/DibTypes.h"
#include "image/RasterImage.h"

namespace stampora {

class CDrawingSurface;

class CReducedLevels {
public:
    // Makes the levels of a 24- or 32-bit picture, down to a few pixels; other
    // depths give none. False, with no levels, when memory runs out.
    bool Build(const CRasterImage& picture);
    void Clear() { levels.clear(); }

    size_t Count() const { return levels.size(); }
    const CRasterImage& Level(size_t index) const { return levels[index]; }
    size_t MemoryBytes() const;

    // The smallest of `picture` and its levels that is still at least as
    // large as a display of displayWidth x displayHeight.
    const CRasterImage& SourceFor(const CRasterImage& picture, int32_t displayWidth,
                                  int32_t displayHeight) const;

private:
    std::vector<CRasterImage> levels;
};

// Draws the whole of a 24- or 32-bit image into `dest` smoothly: bilinear for
// reductions of less than two to one (and any enlargement), an average of
// 4 x 4 samples per pixel for larger ones. Only the part of `dest` on the
// surface is computed.
void DrawSmoothToDC(const CRasterImage& image, CDrawingSurface& dc, const PixelRect& dest);

// The area average, as a 32-bit picture at half the size (rounded up), of a
// 24- or 32-bit picture.
bool HalveImage(const CRasterImage& picture, CRasterImage& half);

}  // namespace stampora
