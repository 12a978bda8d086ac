#include "codecs/CodecFactory.h"

#include "codecs/BmpCodec.h"

std::unique_ptr<CImageCodec> CImageCodecFactory::CreateCodec(ImageFormat format) const {
    switch (format) {
        case FormatBmp: return std::make_unique<CBmpCodec>();
        default: return nullptr;
    }
}

CImageCodecFactory& GetCodecFactory() {
    // Made on first use; it has no state, so concurrent first calls are harmless.
    static CImageCodecFactory factory;
    return factory;
}
