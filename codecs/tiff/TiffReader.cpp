#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "codecs/DecodeLimits.h"
#include "codecs/metadata/ExifProperties.h"
#include "codecs/tiff/TiffCodec.h"
#include "codecs/tiff/TiffPageTags.h"
#include "codecs/tiff/Tiff_pvt.h"

namespace stampora {

bool CTiffCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = {};
    if (data == nullptr || size < 8)
        return status.Fail(Domain::Read, "the file is too short for a TIFF picture");
    TiffMemoryFile file;
    file.readData = data;
    file.size = size;
    TIFF* tiff = OpenTiffInMemory(file, "r");
    if (tiff == nullptr)
        return status.Fail(Domain::Read, file.lastError.empty() ? "not a TIFF file" : file.lastError);

    // All pages together stay within the size one picture may have. The
    // first page's damage is what a load reports; a later page lost or cut
    // short is noted too, so no page goes missing unsaid.
    int64_t budget = kMaxDecodedPixels;
    stampora::Status firstFailure;
    std::vector<TiffPageTags> pageTags;
    const auto note = [this](const std::string& text) {
        status.damage += status.damage.empty() ? text : "; " + text;
    };
    try {
        for (int page = 1;; ++page) {
            const std::string pageName = "page " + std::to_string(page);
            uint32_t width = 0;
            uint32_t height = 0;
            TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
            TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
            budget -= static_cast<int64_t>(width) * height;
            if (budget < 0) {
                if (images.Empty()) firstFailure.failure = {Domain::Read, "the pages are too large together"};
                if (!images.Empty())
                    note(pageName + " is past the memory limit; it and the pages after it are left out");
                break;
            }
            auto image = std::make_unique<CRasterImage>();
            stampora::Status pageStatus;
            file.lastError.clear();
            if (ReadTiffPage(tiff, file, *image, pageStatus)) {
                if (!pageStatus.damage.empty())
                    note(images.Empty() ? pageStatus.damage : pageName + ": " + pageStatus.damage);
                images.Append(std::move(image));
                pageTags.push_back(ReadTiffPageTags(tiff));
            } else {
                if (firstFailure.Error().empty()) firstFailure = pageStatus;
                note(pageName + " cannot be read (" + pageStatus.Error() + ") and is left out");
            }
            if (firstFrameOnly && !images.Empty()) break;
            if (!TIFFReadDirectory(tiff)) break;
        }
    } catch (const std::bad_alloc&) {
        if (firstFailure.Error().empty())
            firstFailure.failure = {Domain::Read, "not enough memory for the picture"};
        note("there was not enough memory for the pages after page " + std::to_string(images.Size()));
    }
    TIFFClose(tiff);
    if (images.Empty()) {
        status.damage.clear();
        return status.Fail(Domain::Read,
                           firstFailure.Error().empty() ? "the file holds no page" : firstFailure.Error());
    }

    auto store = std::make_unique<CImageProperties>();
    ReadExifBlock(data, size, *store);
    // Every page was turned upright by its own orientation.
    if (store->orientation) store->orientation = 1;
    if (std::any_of(pageTags.begin(), pageTags.end(), [](const TiffPageTags& t) { return !t.empty(); }))
        store->tiffPages = std::move(pageTags);
    properties = std::move(store);
    return true;
}

}  // namespace stampora
