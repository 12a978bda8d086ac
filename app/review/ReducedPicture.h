#pragma once
// A picture read for the batch review: a copy no larger than the review
// shows it, and the size the run will stamp it at.
#include <QImage>
#include <cstdint>
#include <string>

#include "codecs/ImageCodec.h"

namespace stampora {

struct ReducedPicture {
    QImage pixels;  // upright, at most `maxSide` on each side
    int32_t width = 0;
    int32_t height = 0;
    CImageProperties metadata;  // read only when asked for
    std::string error;          // why it could not be read

    bool Read() const { return !pixels.isNull() && width > 0 && height > 0; }
};

// Reads the picture at `path` reduced to fit `maxSide`. A JPEG is decoded
// at a fraction of its size where the decoder can (its DCT scaling), so a
// folder of photographs is seen quickly; other pictures are read whole and
// reduced. `withMetadata`: the metadata a text mark names is read too.
ReducedPicture ReadReduced(const std::string& path, int maxSide, bool withMetadata);

}  // namespace stampora
