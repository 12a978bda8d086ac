#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "codecs/ImageList.h"
#include "codecs/ImageProperties.h"
#include "platform/FileStatus.h"

// The caller's place for the properties a reader makes; a reader may fill or
// replace it.
using PropertiesSlot = std::unique_ptr<CImageProperties>;

// Base of all codecs. Paths are UTF-8. Every operation leaves in Status() why
// it failed (the library's own text or the reader's words) and, for a picture
// read only in part, what is missing.
class CImageCodec {
public:
    CImageCodec() = default;
    CImageCodec(const CImageCodec&) = delete;
    CImageCodec& operator=(const CImageCodec&) = delete;

    // Reads the whole file into memory and hands it to LoadMemory.
    virtual bool LoadFile(const std::string& path, ImageList& images, PropertiesSlot& properties);
    virtual bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties);
    // Writes the first image of the list.
    virtual bool SaveFile(const std::string& path, const ImageList& images,
                          const CImageProperties* properties);
    virtual ~CImageCodec() = default;

    const FileStatus& Status() const { return status; }

protected:
    FileStatus status;
};

// The largest file the base reader takes into memory; larger files are refused
// rather than risk exhausting memory.
constexpr int64_t kMaxImageFileBytes = int64_t{2} << 30;

// The reason a file could not be created, written or put in place, from the
// system's error number at the time of the failure.
std::string WriteFailure(const char* step);

// "only 120 of 600 lines": what a reader says of a picture that breaks off.
std::string LinesDamage(int64_t linesRead, int64_t height);
