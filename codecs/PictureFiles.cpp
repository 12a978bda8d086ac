#include "codecs/PictureFiles.h"

#include <memory>

#include "codecs/CodecFactory.h"
#include "codecs/SourcePicture.h"

namespace stampora {

namespace {

// Passes the codec's report on, with a plain reason when it gave none.
bool Report(const CImageCodec& codec, bool succeeded, Status& report, const char* fallback) {
    report = codec.Status();
    if (!succeeded && report.Error().empty()) report.failure = {Domain::Write, fallback};
    if (succeeded) report.failure = {};
    return succeeded;
}

// Reads the file as the format its first bytes announce (else as its
// extension says): every frame, or only the first.
bool ReadFrames(ImageList& frames, const std::string& path, CImageProperties* properties, Status* status,
                bool firstFrameOnly) {
    Status ignored;
    Status& report = status ? *status : ignored;
    report = Status();
    SourcePicture source;
    return source.Open(path, report) && source.ReadFrames(frames, properties, firstFrameOnly, report);
}

}  // namespace

bool CPictureFiles::LoadFrames(ImageList& frames, const std::string& path, CImageProperties* properties,
                               Status* status) {
    return ReadFrames(frames, path, properties, status, false);
}

bool CPictureFiles::Load(CRasterImage& image, const std::string& path, CImageProperties* metadata,
                         Status* status) {
    ImageList images(true);
    const bool loaded = ReadFrames(images, path, metadata, status, true);
    // Taking the first frame over by exchange costs no copy and cannot fail.
    if (loaded && !images.Empty() && !images.First()->IsEmpty()) image.Swap(*images.First());
    return loaded;
}

bool CPictureFiles::Save(const CRasterImage& image, const std::string& path, int quality, Status* status) {
    CImageProperties options;
    options.saveQuality = quality;
    ImageList images(false);
    // A save list never owns or changes its images.
    images.Append(const_cast<CRasterImage*>(&image));
    return Save(images, path, options, status);
}

bool CPictureFiles::Save(const ImageList& frames, const std::string& path, const CImageProperties& options,
                         Status* status, const FileFinisher& finish) {
    Status ignored;
    Status& report = status ? *status : ignored;
    report = Status();
    if (frames.Empty() || frames.First()->IsEmpty())
        return report.Fail(Domain::Write, "there is no picture to save");
    if (path.empty()) return report.Fail(Domain::Write, "no file name was given");
    CImageCodecFactory& factory = GetCodecFactory();
    std::unique_ptr<CImageCodec> codec = factory.CreateCodec(factory.FormatFromPath(path));
    if (!codec) return report.Fail(Domain::Write, "Stampora cannot write pictures of this type");
    codec->SetFinisher(finish);
    return Report(*codec, codec->SaveFile(path, frames, &options), report,
                  "the picture could not be written");
}

}  // namespace stampora
