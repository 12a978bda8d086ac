#include "codecs/SourcePicture.h"

#include "codecs/CodecFactory.h"
#include "codecs/CodecInputFile.h"

namespace stampora {

namespace {

// Readers that take uncompressed pixels straight from the file; their files
// carry no metadata that a copy could keep.
bool StreamsPixels(ImageFormat format) {
    return format == FormatBmp || format == FormatTga;
}

}  // namespace

SourcePicture::SourcePicture() = default;
SourcePicture::SourcePicture(SourcePicture&&) noexcept = default;
SourcePicture& SourcePicture::operator=(SourcePicture&&) noexcept = default;
SourcePicture::~SourcePicture() = default;

bool SourcePicture::OpenFile(const std::string& newPath, Status& status) {
    *this = SourcePicture();
    auto opened = std::make_unique<CodecInputFile>();
    if (!opened->Open(newPath, status)) return false;
    uint8_t head[kSignatureBytes] = {};
    const size_t headBytes = opened->Read(head, sizeof head);
    if (!opened->Seek(0)) return status.Fail(Domain::Read, ReadFailure());
    path = newPath;
    format = FormatForReading(newPath, head, headBytes);
    file = std::move(opened);
    return true;
}

std::optional<PictureHeader> SourcePicture::ReadHeader() {
    if (!file) return std::nullopt;
    return ReadPictureHeader(*file, format);
}

bool SourcePicture::ReadFile(Status& status) {
    if (!file || StreamsPixels(format)) return true;
    const bool read = file->ReadAll(bytes, status);
    file.reset();
    if (!read) *this = SourcePicture();
    return read;
}

bool SourcePicture::Open(const std::string& newPath, Status& status) {
    return OpenFile(newPath, status) && ReadFile(status);
}

bool SourcePicture::ReadFrames(ImageList& frames, CImageProperties* properties, bool firstFrameOnly,
                               Status& status) {
    status = {};
    if (!ReadFile(status)) return false;
    std::unique_ptr<CImageCodec> codec = GetCodecFactory().CreateCodec(format);
    if (!codec) return status.Fail(Domain::Read, "not a picture format Stampora reads");
    codec->SetFirstFrameOnly(firstFrameOnly);
    PropertiesSlot read;
    bool loaded = false;
    if (file) {
        loaded = codec->LoadOpened(*file, frames, read);
        file.reset();
    } else if (!bytes.empty()) {
        loaded = codec->LoadMemory(bytes.data(), bytes.size(), frames, read);
    } else {
        return status.Fail(Domain::Read, "the file was not opened");
    }
    status = codec->Status();
    if (!loaded) {
        if (status.Error().empty()) status.failure = {Domain::Read, "the picture could not be read"};
        return false;
    }
    status.failure = {};
    if (properties != nullptr && read) *properties = *read;
    return true;
}

bool SourcePicture::ReadPicture(CRasterImage& picture, CImageProperties* metadata, Status& status) {
    ImageList frames(true);
    if (!ReadFrames(frames, metadata, true, status)) return false;
    // Taking the first frame over by exchange costs no copy and cannot fail.
    if (!frames.Empty() && !frames.First()->IsEmpty()) picture.Swap(*frames.First());
    return true;
}

}  // namespace stampora
