#pragma once
#include <memory>
#include <string>

#include "codecs/ImageCodec.h"
#include "codecs/ImageFormat.h"

namespace stampora {

// The process-wide maker of codecs, chosen by format.
class CImageCodecFactory {
public:
    ImageFormat FormatFromPath(const std::string& path) const { return stampora::FormatFromPath(path); }
    // A new codec for the format, or none for formats without one.
    std::unique_ptr<CImageCodec> CreateCodec(ImageFormat format) const;
};

CImageCodecFactory& GetCodecFactory();

}  // namespace stampora
