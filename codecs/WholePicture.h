#pragma once
// Telling a finished picture from a broken one without decoding it.
#include <string>

#include "codecs/ImageFormat.h"

namespace stampora {

// True when the file at `path` reads as a whole picture of `format`: its
// header is read by the format's own library (or, for BMP and TGA, checked as
// our readers check it) and describes a picture of a possible size, and the
// file is as long as that header says, or ends the way a complete file of the
// format ends. Only the start and the end of the file are read (the whole file
// for TIFF, whose directory may lie anywhere); no pixel is decoded. A format
// without such a check is never taken for whole.
bool IsWholePicture(const std::string& path, ImageFormat format);

}  // namespace stampora
