#pragma once
#include "codecs/ImageCodec.h"

// GIF pictures and animations through giflib. Every frame is read as a
// viewer shows the animation at that frame (frames drawn onto the logical
// screen in turn, honouring transparency and disposal); a still picture
// covering the whole screen without transparency comes as a 1, 4 or 8-bit
// palette picture, everything else as 32 bits with alpha. Frame delays go
// into the frame-delay property in milliseconds, the loop count of an
// animation into the loop-count property. Writes one picture as a still:
// palette pictures with their palette, deeper ones reduced to at most 256
// colours (alpha 0 becomes the transparent index); several pictures of one
// size as an animation of those pictures, with those two properties.
class CGifCodec : public CImageCodec {
public:
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;
};
