#pragma once
// A picture file opened once: its format, its pixels and, for a copy made of
// it, what its bytes hold besides (metadata, JPEG tables and sampling), all
// taken from one reading of the file.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "codecs/ImageFormat.h"
#include "codecs/ImageList.h"
#include "codecs/PictureHeader.h"
#include "codecs/metadata/ImageProperties.h"
#include "image/RasterImage.h"
#include "platform/Status.h"

namespace stampora {

class CodecInputFile;

class SourcePicture {
public:
    SourcePicture();
    SourcePicture(SourcePicture&&) noexcept;
    SourcePicture& operator=(SourcePicture&&) noexcept;
    ~SourcePicture();

    // Opens the file (UTF-8 path) and tells its format from its first bytes
    // (else from its extension). False with the reason in `status`.
    bool OpenFile(const std::string& path, Status& status);
    // The picture's header, read from the open file before ReadFile (see
    // ReadPictureHeader); nothing after it, or for a file not opened.
    std::optional<PictureHeader> ReadHeader();
    // Reads the open file whole into memory and closes it, unless its reader
    // takes the pixels straight from the file: formats that hold nothing but
    // pixels (BMP, TGA) are not held twice. Reading again does nothing. False
    // with the reason in `status`.
    bool ReadFile(Status& status);
    // OpenFile, then ReadFile.
    bool Open(const std::string& path, Status& status);

    bool IsOpen() const { return !path.empty(); }
    const std::string& Path() const { return path; }
    ImageFormat Format() const { return format; }
    // The whole file; empty for a file whose pixels are streamed, and for
    // one not read.
    const std::vector<uint8_t>& Bytes() const { return bytes; }

    // Decodes every frame, or only the first, with what the reader keeps
    // beside them (metadata, frame delays, loop count) in `properties` when
    // it is given. A streamed file is closed once its pixels are read.
    bool ReadFrames(ImageList& frames, CImageProperties* properties, bool firstFrameOnly, Status& status);
    // The first frame, taken over into `picture`; a failed read leaves
    // `picture` as it was.
    bool ReadPicture(CRasterImage& picture, CImageProperties* metadata, Status& status);

private:
    std::string path;
    ImageFormat format = FormatUnknown;
    std::vector<uint8_t> bytes;
    // Open until the file is read into `bytes`, or a streamed file's pixels
    // are read.
    std::unique_ptr<CodecInputFile> file;
};

}  // namespace stampora
