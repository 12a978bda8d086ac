#pragma once
#include <cstddef>
#include <cstdint>

#include "codecs/ImageCodec.h"

// Decodes a GIF file held in memory into one picture per frame, each as a
// viewer shows the animation at that frame: frames are drawn onto the
// logical screen in turn, honouring their transparent index and disposal.
// A still picture covering the whole screen without transparency comes as a
// 1, 4 or 8-bit palette picture; everything else as 32 bits with alpha.
// Each frame's delay goes into the frame-delay property in milliseconds.
// A file that breaks off keeps the frames and lines read before the break.
bool ReadGif(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties);
