#include "codecs/CodecFactory.h"

#include "codecs/BmpCodec.h"
#include "codecs/GifCodec.h"
#include "codecs/IcoCodec.h"
#include "codecs/JpegCodec.h"
#include "codecs/PngCodec.h"
#include "codecs/TgaCodec.h"
#include "codecs/TiffCodec.h"

namespace stampora {

std::unique_ptr<CImageCodec> CImageCodecFactory::CreateCodec(ImageFormat format) const {
    switch (format) {
        case FormatBmp:
            return std::make_unique<CBmpCodec>();
        case FormatTga:
            return std::make_unique<CTgaCodec>();
        case FormatJpeg:
            return std::make_unique<CJpegCodec>();
        case FormatGif:
            return std::make_unique<CGifCodec>();
        case FormatTiff:
            return std::make_unique<CTiffCodec>();
        case FormatPng:
            return std::make_unique<CPngCodec>();
        case FormatIco:
            return std::make_unique<CIcoCodec>();
        default:
            return nullptr;
    }
}

CImageCodecFactory& GetCodecFactory() {
    // Made on first use; it has no state, so concurrent first calls are harmless.
    static CImageCodecFactory factory;
    return factory;
}

}  // namespace stampora
