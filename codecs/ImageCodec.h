#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "codecs/ImageList.h"
#include "codecs/metadata/ImageProperties.h"
#include "platform/Status.h"

namespace stampora {

// The caller's place for the properties a reader makes; a reader may fill or
// replace it.
using PropertiesSlot = std::unique_ptr<CImageProperties>;

class CodecInputFile;
class SafeFileWriter;

// A last step on a written file before it takes its name: given a path that
// opens the complete temporary file, it may rewrite it, and answers why the
// file must not be published, or an empty text.
using FileFinisher = std::function<std::string(const std::string& tempPath)>;

// Base of all codecs. Paths are UTF-8. Every operation leaves in Status() why
// it failed (the library's own text or the reader's words) and, for a picture
// read only in part, what is missing.
class CImageCodec {
public:
    CImageCodec() = default;
    CImageCodec(const CImageCodec&) = delete;
    CImageCodec& operator=(const CImageCodec&) = delete;

    // Opens the file and reads it as LoadOpened does.
    virtual bool LoadFile(const std::string& path, ImageList& images, PropertiesSlot& properties);
    // Reads an open file: the whole of it into memory, handed to LoadMemory,
    // unless the reader takes its pixels straight from the file.
    virtual bool LoadOpened(CodecInputFile& file, ImageList& images, PropertiesSlot& properties);
    virtual bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties);
    // Writes the first image of the list.
    virtual bool SaveFile(const std::string& path, const ImageList& images,
                          const CImageProperties* properties);
    virtual ~CImageCodec() = default;

    const stampora::Status& Status() const { return status; }
    // Runs on every file a later save has written, before it is published.
    void SetFinisher(FileFinisher step) { finisher = std::move(step); }
    // Makes later loads read only the first frame of a file that holds
    // several (a plain load shows one picture): the rest is not decoded.
    void SetFirstFrameOnly(bool only) { firstFrameOnly = only; }

protected:
    // Runs the finisher, then gives the file its name; false with the reason
    // in the status when either fails, and then the target is untouched.
    bool Publish(SafeFileWriter& out);
    // Writes a file a library encoded in memory, then publishes it as
    // Publish does.
    bool PublishBytes(const std::string& path, const uint8_t* data, size_t size);

    stampora::Status status;
    FileFinisher finisher;
    bool firstFrameOnly = false;
};

// The largest file the base reader takes into memory; larger files are refused
// rather than risk exhausting memory.
constexpr int64_t kMaxImageFileBytes = int64_t{2} << 30;

// The reason a file could not be created, written or put in place: the step
// and the writer's own reason (the system's text).
std::string WriteFailure(const SafeFileWriter& out, const char* step);

// "only 120 of 600 lines": what a reader says of a picture that breaks off.
std::string LinesDamage(int64_t linesRead, int64_t height);

}  // namespace stampora
