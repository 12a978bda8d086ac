#pragma once
// Internals of the TIFF codec: libtiff over a block of memory, quiet (errors
// and warnings are kept, not printed) and with a cap on any single allocation
// a file can ask for; and the reader of one page.
#include <tiffio.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/RasterImage.h"
#include "platform/Status.h"

namespace stampora {

// The bytes a TIFF handle reads from, or the growing file it writes into,
// libtiff's last error message, and the first warning of a decoder (corrupt
// compressed data: the pixels may be wrong).
struct TiffMemoryFile {
    const uint8_t* readData = nullptr;
    std::vector<uint8_t>* writeData = nullptr;
    size_t size = 0;
    uint64_t position = 0;
    std::string lastError;
    std::string decoderWarning;
};

// Opens a file held in memory for reading ("r") or a new one for writing
// ("w"); the TiffMemoryFile must outlive the handle. Null on failure.
TIFF* OpenTiffInMemory(TiffMemoryFile& file, const char* mode);

// Reads the current page of an open TIFF into a new picture, stripped or
// tiled, turned upright by the page's orientation; false, with the reason in
// `status`, when the page has no readable line. A page that breaks off keeps
// the lines before the break and notes them in status.damage.
bool ReadTiffPage(TIFF* tiff, TiffMemoryFile& file, CRasterImage& image, Status& status);

}  // namespace stampora
