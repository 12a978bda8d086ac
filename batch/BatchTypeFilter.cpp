#include "batch/BatchTypeFilter.h"

namespace stampora {

std::string BuildTypeFilter(const BatchTypeFlags& flags) {
    const std::string tiff = flags.tif != 0 ? kTiffExtensions : "";
    if (flags.allImages != 0) return kAllImagesExtensions + tiff;
    std::string filter;
    if (flags.jpg != 0) filter += kJpegExtensions;
    if (flags.bmp != 0) filter += kBmpExtensions;
    if (flags.png != 0) filter += kPngExtensions;
    if (flags.gif != 0) filter += kGifExtensions;
    if (flags.tga != 0) filter += kTgaExtensions;
    if (flags.webp != 0) filter += kWebpExtensions;
    if (flags.heif != 0) filter += kHeifExtensions;
    if (flags.avif != 0) filter += kAvifExtensions;
    if (flags.jxl != 0) filter += kJxlExtensions;
    return filter + tiff;
}

}  // namespace stampora
