#include "codecs/CodecFactory.h"

namespace stampora {

std::unique_ptr<CImageCodec> CImageCodecFactory::CreateCodec(ImageFormat format) const {
    const FormatEntry* entry = FindFormat(format);
    if (entry == nullptr || entry->makeCodec == nullptr) return nullptr;
    return entry->makeCodec();
}

CImageCodecFactory& GetCodecFactory() {
    // Made on first use; it has no state, so concurrent first calls are harmless.
    static CImageCodecFactory factory;
    return factory;
}

}  // namespace stampora
