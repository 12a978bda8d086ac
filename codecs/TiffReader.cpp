#include "codecs/TiffReader.h"

#include <memory>

#include "codecs/DecodeLimits.h"
#include "codecs/ExifProperties.h"
#include "codecs/TiffMemoryIo.h"
#include "codecs/TiffPageReader.h"

bool ReadTiff(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    if (data == nullptr || size < 8) return false;
    TiffMemoryFile file;
    file.readData = data;
    file.size = size;
    TIFF* tiff = OpenTiffInMemory(file, "r");
    if (tiff == nullptr) return false;

    // All pages together stay within the size one picture may have.
    int64_t budget = kMaxDecodedPixels;
    size_t pages = 0;
    do {
        uint32_t width = 0;
        uint32_t height = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        budget -= static_cast<int64_t>(width) * height;
        if (budget < 0) break;
        auto page = std::make_unique<CRasterImage>();
        if (ReadTiffPage(tiff, *page)) {
            images.Append(std::move(page));
            ++pages;
        }
    } while (TIFFReadDirectory(tiff));
    TIFFClose(tiff);
    if (pages == 0) return false;

    auto store = std::make_unique<CImageProperties>();
    ReadExifBlock(data, size, *store);
    properties = std::move(store);
    return true;
}
