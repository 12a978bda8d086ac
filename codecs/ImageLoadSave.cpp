// CRasterImage::Load and Save: the codec chosen by the path's extension.
#include <string>

#include "codecs/CodecFactory.h"
#include "image/RasterImage.h"

bool CRasterImage::Load(const std::string& path, CImageProperties* metadata, FileStatus* status) {
    FileStatus ignored;
    FileStatus& report = status ? *status : ignored;
    CImageCodecFactory& factory = GetCodecFactory();
    std::unique_ptr<CImageCodec> codec = factory.CreateCodec(factory.FormatFromPath(path));
    if (!codec) return report.Fail("not a picture format Stampora reads");
    ImageList images(true);
    PropertiesSlot properties;
    const bool loaded = codec->LoadFile(path, images, properties);
    if (!loaded && report.error.empty()) report.error = "the picture could not be read";
    // Taking the first frame over by exchange costs no copy and cannot fail.
    if (loaded && !images.Empty() && !images.First()->IsEmpty()) Swap(*images.First());
    if (loaded && metadata != nullptr && properties) metadata->CopyFrom(*properties);
    return loaded;
}

bool CRasterImage::Save(const std::string& path, int quality, FileStatus* status) {
    FileStatus ignored;
    FileStatus& report = status ? *status : ignored;
    CImageProperties properties;
    properties.SetValue(kPropertySaveQuality, std::to_string(quality));
    if (IsEmpty()) return report.Fail("there is no picture to save");
    if (path.empty()) return report.Fail("no file name was given");
    CImageCodecFactory& factory = GetCodecFactory();
    std::unique_ptr<CImageCodec> codec = factory.CreateCodec(factory.FormatFromPath(path));
    if (!codec) return report.Fail("Stampora cannot write pictures of this type");
    ImageList images(false);
    images.Append(this);
    if (codec->SaveFile(path, images, &properties)) return true;
    if (report.error.empty()) report.error = "the picture could not be written";
    return false;
}
