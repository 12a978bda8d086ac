#pragma once
#include <cstddef>
#include <cstdint>

#include "codecs/ImageCodec.h"

// Decodes a PNG file held in memory into one picture: 1, 4 or 8-bit palette
// pictures with their palette, grey as 8 bits with a grey palette (1 bit for
// black and white), 24-bit colour, and 32 bits with straight alpha for every
// picture with an alpha channel or transparent entries (tRNS). 16-bit samples
// are scaled to 8 bits. EXIF items (an eXIf chunk, or the raw-profile text
// other tools write) go into a new property store.
bool ReadPng(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties);

// Whether the bytes start with the PNG signature.
bool HasPngSignature(const uint8_t* data, size_t size);
