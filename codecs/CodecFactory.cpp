#include "codecs/CodecFactory.h"

#include "codecs/BmpCodec.h"
#include "codecs/GifCodec.h"
#include "codecs/HeifCodec.h"
#include "codecs/IcoCodec.h"
#include "codecs/JpegCodec.h"
#include "codecs/JxlCodec.h"
#include "codecs/PngCodec.h"
#include "codecs/TgaCodec.h"
#include "codecs/TiffCodec.h"
#include "codecs/WebpCodec.h"

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
        case FormatWebp:
            return std::make_unique<CWebpCodec>();
        case FormatHeif:
            return std::make_unique<CHeifCodec>(FormatHeif);
        case FormatAvif:
            return std::make_unique<CHeifCodec>(FormatAvif);
        case FormatJxl:
            return std::make_unique<CJxlCodec>();
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
