#pragma once
// Reading and writing pictures by path: what CRasterImage::Load and Save do.
// Include this header to call them.
#include <string>

#include "codecs/ImageCodec.h"
#include "codecs/ImageList.h"
#include "codecs/metadata/ImageProperties.h"
#include "image/RasterImage.h"
#include "platform/Status.h"

namespace stampora {

class CPictureFiles {
public:
    // Reads the file as the format its first bytes announce (else as its
    // extension says) and takes over the first frame, the only one decoded;
    // a failed load leaves the image as it was.
    static bool Load(CRasterImage& image, const std::string& path, CImageProperties* metadata,
                     Status* status);
    // Reads every frame the file holds (an animation's frames as a viewer
    // shows them), with what the reader keeps beside them (frame delays,
    // loop count, metadata) in `properties` when it is given.
    static bool LoadFrames(ImageList& frames, const std::string& path, CImageProperties* properties,
                           Status* status);
    // Writes the image in the format of the path's extension.
    static bool Save(const CRasterImage& image, const std::string& path, int quality, Status* status);
    // Writes the frames in the format of the path's extension, with the
    // writer's options in `options` (quality, JPEG sampling, frame delays,
    // loop count): a GIF keeps every frame, other formats the first.
    // `finish`, when given, runs on the complete file before it takes the
    // path's name; its reason fails the save and leaves the path untouched.
    static bool Save(const ImageList& frames, const std::string& path, const CImageProperties& options,
                     Status* status, const FileFinisher& finish = FileFinisher());
};

}  // namespace stampora
