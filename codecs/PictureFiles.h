#pragma once
// Reading and writing pictures by path: what CRasterImage::Load and Save do.
// Include this header to call them.
#include <string>

#include "codecs/ImageProperties.h"
#include "image/RasterImage.h"
#include "platform/FileStatus.h"

class CPictureFiles {
public:
    // Reads the file as the format its first bytes announce (else as its
    // extension says) and takes over the first frame; a failed load leaves
    // the image as it was.
    static bool Load(CRasterImage& image, const std::string& path, CImageProperties* metadata,
                     FileStatus* status);
    // Writes the image in the format of the path's extension.
    static bool Save(const CRasterImage& image, const std::string& path, int quality, FileStatus* status);
};
