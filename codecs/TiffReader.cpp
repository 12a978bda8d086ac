#include <memory>
#include <new>
#include <string>

#include "codecs/DecodeLimits.h"
#include "codecs/ExifProperties.h"
#include "codecs/TiffCodec.h"
#include "codecs/Tiff_pvt.h"

namespace stampora {

bool CTiffCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = FileStatus();
    if (data == nullptr || size < 8) return status.Fail("the file is too short for a TIFF picture");
    TiffMemoryFile file;
    file.readData = data;
    file.size = size;
    TIFF* tiff = OpenTiffInMemory(file, "r");
    if (tiff == nullptr) return status.Fail(file.lastError.empty() ? "not a TIFF file" : file.lastError);

    // All pages together stay within the size one picture may have.
    int64_t budget = kMaxDecodedPixels;
    FileStatus firstFailure;
    try {
        do {
            uint32_t width = 0;
            uint32_t height = 0;
            TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
            TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
            budget -= static_cast<int64_t>(width) * height;
            if (budget < 0) {
                if (images.Empty()) firstFailure.Fail("the pages are too large together");
                break;
            }
            auto page = std::make_unique<CRasterImage>();
            FileStatus pageStatus;
            file.lastError.clear();
            if (ReadTiffPage(tiff, file, *page, pageStatus)) {
                // The first page is the picture; its damage is what a load reports.
                if (images.Empty()) status.damage = pageStatus.damage;
                images.Append(std::move(page));
            } else if (firstFailure.error.empty()) {
                firstFailure = pageStatus;
            }
        } while (TIFFReadDirectory(tiff));
    } catch (const std::bad_alloc&) {
        if (firstFailure.error.empty()) firstFailure.Fail("not enough memory for the picture");
    }
    TIFFClose(tiff);
    if (images.Empty())
        return status.Fail(firstFailure.error.empty() ? "the file holds no page" : firstFailure.error);

    auto store = std::make_unique<CImageProperties>();
    ReadExifBlock(data, size, *store);
    // Every page was turned upright by its own orientation.
    if (store->HasKey(kPropertyOrientation)) store->SetValue(kPropertyOrientation, "1");
    properties = std::move(store);
    return true;
}

}  // namespace stampora
