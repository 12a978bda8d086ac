#include "batch/options/MarkSetup.h"

#include <algorithm>

#include "batch/options/ReadableMarkOptions.h"
#include "batch/options/ShownName.h"
#include "codecs/PictureFiles.h"
#include "platform/Status.h"
#include "platform/Utf8Text.h"
#include "text/FontCatalog.h"

namespace stampora {

std::string DefaultFontFamily() {
    constexpr char kPreferred[] = "DejaVu Sans";
    if (IsInstalledFamily(kPreferred)) return kPreferred;
    const std::vector<std::string>& families = InstalledFontFamilies();
    return families.empty() ? std::string() : families.front();
}

bool SetUpTextMark(const TextMarkOptions& options, TextWatermark& mark, Status& status) {
    const std::string family = options.font.empty() ? DefaultFontFamily() : options.font;
    if (family.empty()) return status.Fail(Domain::Mark, "no font family is installed");
    const std::u16string faceName = Utf16FromUtf8(family);
    // The text dialog takes at most 30 characters of a family name; a longer
    // name would be cut to one that is not installed.
    constexpr size_t kLongestFaceName = 30;
    if (!IsInstalledFamily(family) || faceName.size() > kLongestFaceName)
        return status.Fail(Domain::Mark, "the font family '" + ShownName(family) + "' is not installed");
    mark.text = Utf16FromUtf8(options.text);
    mark.colour = options.colour;
    mark.font = FontSpec{};
    mark.font.height = options.size;
    mark.font.weight = options.bold ? kFontWeightBold : kFontWeightNormal;
    mark.font.italic = options.italic;
    mark.font.charSet = kDefaultCharSet;
    mark.font.faceName = faceName;
    mark.shadowEnabled = options.shadow;
    mark.shadowColour = options.shadowColour;
    mark.shadowOpacity = options.shadowOpacity;
    mark.shadowDistance = options.shadowDistance;
    mark.smooth = options.shadowSmooth;
    mark.base.opacity = options.opacity;
    mark.base.rotation = options.rotation;
    mark.base.alignment = options.alignment;
    mark.base.enabled = true;
    SetUpReadability(options, mark);
    mark.UpdateParams();
    return true;
}

bool SetUpImageMark(const ImageMarkOptions& options, ImageWatermark& mark, Status& status) {
    Status loaded;
    if (!mark.source.Load(options.file, nullptr, &loaded) || mark.source.IsEmpty() ||
        mark.source.Width() <= 0) {
        return status.Fail(Domain::Mark, "Can't load the image file! (" + ShownName(options.file) + ")" +
                                             (loaded.Failed() ? "\n" + loaded.Error() : std::string()));
    }
    mark.file = options.file;
    const int32_t sourceWidth = mark.source.Width();
    const int32_t sourceHeight = mark.source.Height();
    switch (options.sizeMode) {
        case ImageSizeMode::Real:
        case ImageSizeMode::Relative:  // each picture's own size is set per picture
            mark.base.width = sourceWidth;
            mark.base.height = sourceHeight;
            break;
        case ImageSizeMode::Best:
            mark.base.width = sourceWidth / 10;
            mark.base.height = sourceHeight / 10;
            break;
        case ImageSizeMode::Chosen:
            mark.base.width = options.width;
            // Without a height the proportions stay locked, as in the dialog.
            mark.base.height = options.height > 0
                                   ? options.height
                                   : std::max(1, static_cast<int32_t>(static_cast<double>(options.width) /
                                                                      sourceWidth * sourceHeight));
            break;
    }
    mark.base.markWidth = mark.base.width;
    mark.base.markHeight = mark.base.height;
    mark.base.opacity = options.opacity;
    mark.base.rotation = options.rotation;
    mark.base.alignment = options.alignment;
    mark.base.enabled = true;
    return true;
}

}  // namespace stampora
