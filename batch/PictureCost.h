#pragma once
// What making one picture of a batch run will cost, judged from its file's
// header before it is decoded.
#include <cstdint>
#include <optional>

#include "codecs/PictureHeader.h"

namespace stampora {

// Memory held while the picture is made: the file read whole, the decoder's
// picture and working memory, and the 32-bit picture stamped. A file whose
// header could not be read costs its size: the reader refuses it early.
int64_t PictureCost(const std::optional<PictureHeader>& header, uintmax_t fileBytes);

}  // namespace stampora
