#pragma once
// Zero-filled memory for picture pixels, standing in for page-granular
// system allocations. Large blocks come straight from the system and are
// offered huge pages where the system has them, which makes the first touch
// of a freshly created large picture several times cheaper.
#include <cstddef>

namespace stampora {

// A zero-filled block of `bytes` bytes (at least 1), or null when the memory
// cannot be had.
void* AllocatePixelMemory(size_t bytes);
// Frees a block from AllocatePixelMemory; `bytes` is the size it was given.
// The calling thread keeps its last large blocks for its next pictures.
void FreePixelMemory(void* block, size_t bytes);
// Gives the large blocks the calling thread kept back to the system.
void ReleaseSparePixelMemory();

// Refuses every later block larger than `bytes` (0: no limit), as a machine
// short of memory would. Lets tests make a picture's allocation fail.
void LimitPixelBlockBytes(size_t bytes);

}  // namespace stampora
