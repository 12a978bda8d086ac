#pragma once
// libtiff over a block of memory, quiet (errors and warnings are not printed)
// and with a cap on any single allocation a file can ask for.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <tiffio.h>

// The bytes a TIFF handle reads from, or the growing file it writes into.
struct TiffMemoryFile {
    const uint8_t* readData = nullptr;
    std::vector<uint8_t>* writeData = nullptr;
    size_t size = 0;
    uint64_t position = 0;
};

// Opens a file held in memory for reading ("r") or a new one for writing
// ("w"); the TiffMemoryFile must outlive the handle. Null on failure.
TIFF* OpenTiffInMemory(TiffMemoryFile& file, const char* mode);
