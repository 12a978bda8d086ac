#pragma once
// What making one picture of a batch run will cost, judged from its file's
// header before it is decoded.
#include <cstdint>
#include <string>

namespace stampora {

struct PictureCost {
    // Memory held while the picture is made: the file read whole, the
    // decoder's picture and working memory, and the 32-bit picture stamped.
    int64_t bytes = 0;
    // As the header gives it; 0 when the header could not be read.
    int32_t bitsPerChannel = 0;
    uintmax_t fileBytes = 0;
};

// A file whose header cannot be read costs its size: the reader refuses it
// early.
PictureCost EstimatePictureCost(const std::string& path);

}  // namespace stampora
