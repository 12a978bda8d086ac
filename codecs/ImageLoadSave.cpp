// CRasterImage::Load and Save: the codec chosen by the path's extension.
#include <string>

#include "codecs/CodecFactory.h"
#include "image/RasterImage.h"

bool CRasterImage::Load(const std::string& path, CImageProperties* metadata) {
    CImageCodecFactory& factory = GetCodecFactory();
    std::unique_ptr<CImageCodec> codec = factory.CreateCodec(factory.FormatFromPath(path));
    if (!codec) return false;
    ImageList images(true);
    PropertiesSlot properties;
    const bool loaded = codec->LoadFile(path, images, properties);
    // Taking the first frame over by exchange costs no copy and cannot fail.
    if (loaded && !images.Empty() && !images.First()->IsEmpty()) Swap(*images.First());
    if (loaded && metadata != nullptr && properties) metadata->CopyFrom(*properties);
    return loaded;
}

bool CRasterImage::Save(const std::string& path, int quality) {
    CImageProperties properties;
    properties.SetValue(kPropertySaveQuality, std::to_string(quality));
    if (IsEmpty() || path.empty()) return false;
    CImageCodecFactory& factory = GetCodecFactory();
    std::unique_ptr<CImageCodec> codec = factory.CreateCodec(factory.FormatFromPath(path));
    if (!codec) return false;
    ImageList images(false);
    images.Append(this);
    return codec->SaveFile(path, images, &properties);
}
