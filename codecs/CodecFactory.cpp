#include "codecs/CodecFactory.h"

#include "codecs/BmpCodec.h"
#include "codecs/TgaCodec.h"

std::unique_ptr<CImageCodec> CImageCodecFactory::CreateCodec(ImageFormat format) const {
    switch (format) {
        case FormatBmp: return std::make_unique<CBmpCodec>();
        case FormatTga: return std::make_unique<CTgaCodec>();
        default: return nullptr;
    }
}

CImageCodecFactory& GetCodecFactory() {
    // Made on first use; it has no state, so concurrent first calls are harmless.
    static CImageCodecFactory factory;
    return factory;
}
