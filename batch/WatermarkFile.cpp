#include "batch/WatermarkFile.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "codecs/GifAnimation.h"
#include "codecs/GifCodec.h"
#include "codecs/ImageFormat.h"
#include "codecs/ImageProperties.h"
#include "codecs/PictureFiles.h"
#include "codecs/SourceQuality.h"
#include "codecs/TiffPageTags.h"
#include "codecs/WebpAnimation.h"
#include "codecs/WebpCodec.h"
#include "platform/FileStatus.h"
#include "watermark/StampOnto.h"

namespace stampora {

namespace {

BatchFileResult Failed(BatchFileResult result, BatchFileOutcome outcome, std::string reason) {
    result.outcome = outcome;
    result.reason = std::move(reason);
    return result;
}

// Why a save failed, in the writer's words when it gave any.
std::string WriteReason(const FileStatus& status) {
    return status.error.empty() ? "the picture could not be written" : status.error;
}

// Reads every frame of the source into `frames`, and takes the first over
// into `work`.
bool ReadFrames(CRasterImage& work, ImageList& frames, const std::string& path, CImageProperties& properties,
                FileStatus& status) {
    if (!CPictureFiles::LoadFrames(frames, path, &properties, &status) || frames.Empty()) return false;
    work.Swap(*frames.First());
    return true;
}

// What the writer is told besides the quality: an animation's timing, each
// TIFF page's tags (only its place and resolution unless all metadata is
// kept), and for a JPEG made from a JPEG, the source's chroma subsampling,
// so colour edges stay as fine as they came.
CImageProperties SaveOptions(const std::string& sourcePath, const std::string& outputPath, int quality,
                             const CImageProperties& source, MetadataKept kept) {
    CImageProperties options;
    options.SetValue(kPropertySaveQuality, std::to_string(quality));
    for (const int32_t key : {kPropertyFrameDelays, kPropertyLoopCount}) {
        if (source.HasKey(key)) options.SetValue(key, source.GetValue(key));
    }
    if (source.HasKey(kPropertyTiffPageTags)) {
        const std::string pages = source.GetValue(kPropertyTiffPageTags);
        const bool everything = kept == MetadataKept::All || kept == MetadataKept::NoGps;
        options.SetValue(kPropertyTiffPageTags, everything ? pages : TiffPagesEssentials(pages));
    }
    if (FormatFromPath(outputPath) == FormatJpeg) {
        if (const std::optional<JpegSampling> sampling = JpegFileSampling(sourcePath)) {
            options.SetValue(kPropertyJpegSampling,
                             std::to_string(sampling->horizontal) + "x" + std::to_string(sampling->vertical));
        }
    }
    return options;
}

// Opens a GIF (or WebP) source of several frames for writing as GIF (or
// WebP) one frame at a time, and composes its first frame into `work`; false
// when the source is no such file (it is then read as any other).
template <typename Player>
bool OpenAnimation(Player& player, CRasterImage& work, const std::string& path, CImageProperties& properties,
                   FileStatus& status) {
    FileStatus opened;
    FrameArea changed;
    if (!player.OpenFile(path, opened) || player.FrameCount() < 2 || !player.Next(changed)) return false;
    if (work.Assign(player.Screen()).IsEmpty()) return false;
    properties.CopyFrom(*player.Properties(player.FrameCount()));
    status = opened;
    return true;
}

// One mark as it goes on every frame of a picture.
struct LaidOutMark {
    const PreparedMark& prepared;
    const MarkLayout& layout;
    const char* name;
};

// Stamps the frames after the first as the player composes them, each only
// where it changed, and writes every frame as it comes, so memory holds the
// screen, the stamped frame and the writer's two whatever the number of
// frames. `shown` comes with the first frame stamped, and the writer with
// the animation begun. Empty, or the outcome and its reason.
template <typename Player, typename Writer>
std::optional<std::pair<BatchFileOutcome, std::string>> WriteAnimationFrames(Player& player,
                                                                             CRasterImage& shown,
                                                                             const LaidOutMark& image,
                                                                             const LaidOutMark& text,
                                                                             Writer& writer, size_t& frames) {
    const auto saveFailed = [&writer] {
        return std::make_pair(BatchFileOutcome::SaveFailed, WriteReason(writer.Status()));
    };
    if (!writer.AddFrame(shown, FrameArea{0, 0, shown.Width(), shown.Height()})) return saveFailed();
    frames = 1;
    FrameAreas changed;
    CRasterImage part;
    std::string reason;
    while (player.Next(changed)) {
        // Each area is stamped from the screen as composed, so areas that
        // overlap are stamped alike.
        for (const FrameArea& area : changed) {
            if (!part.Create(area.width, area.height, 32)) {
                return std::make_pair(BatchFileOutcome::StampFailed,
                                      std::string("not enough memory for a frame of the animation"));
            }
            CopyAreaOnto(player.Screen(), area, part, 0, 0);
            for (const LaidOutMark* mark : {&image, &text}) {
                if (StampLaidOutPart(part, area.left, area.top, shown.Width(), shown.Height(),
                                     mark->prepared.base, *mark->prepared.layer, mark->layout,
                                     reason) == MarkStamp::Failed) {
                    return std::make_pair(
                        BatchFileOutcome::StampFailed,
                        std::string(mark->name) + (reason.empty() ? " could not be stamped" : ": " + reason));
                }
            }
            CopyAreaOnto(part, FrameArea{0, 0, area.width, area.height}, shown, area.left, area.top);
        }
        if (!writer.AddFrame(shown, changed)) return saveFailed();
        ++frames;
    }
    return std::nullopt;
}

// Writes the animation `player` plays, its first frame already in `shown`
// and stamped, each later frame stamped as it comes; `result` written, or
// failed with the reason.
template <typename Player, typename Writer>
BatchFileResult WriteAnimation(BatchFileResult result, Player& player, CRasterImage& shown, Writer& writer,
                               const std::string& outputPath, const CImageProperties& options,
                               const LaidOutMark& image, const LaidOutMark& text) {
    if (!writer.BeginAnimation(outputPath, shown.Width(), shown.Height(), &options))
        return Failed(result, BatchFileOutcome::SaveFailed, WriteReason(writer.Status()));
    size_t frames = 0;
    if (const auto failure = WriteAnimationFrames(player, shown, image, text, writer, frames))
        return Failed(result, failure->first, failure->second);
    if (!writer.FinishAnimation())
        return Failed(result, BatchFileOutcome::SaveFailed, WriteReason(writer.Status()));
    // A frame that could not be decoded ends the animation early.
    if (frames < player.FrameCount() && result.damage.empty()) {
        result.damage = "only " + std::to_string(frames) + " of " + std::to_string(player.FrameCount()) +
                        " frames (the next one is broken)";
    }
    result.outcome = BatchFileOutcome::Written;
    return result;
}

bool AllFramesAre32Bit(const ImageList& frames) {
    for (size_t i = 1; i < frames.Size(); ++i) {
        if (frames.At(i)->Bpp() != 32) return false;
    }
    return true;
}

}  // namespace

bool ReadPictureFile(CRasterImage& picture, const std::string& path, FileStatus& status) {
    return picture.Load(path, nullptr, &status);
}

bool ReadPictureAndMetadata(CRasterImage& picture, const std::string& path, CImageProperties* metadata,
                            FileStatus& status) {
    return picture.Load(path, metadata, &status);
}

BatchFileResult WatermarkFile(CRasterImage& work, const std::string& sourcePath,
                              const std::string& outputPath, const ImageWatermark& imageMark,
                              const TextWatermark& textMark, int quality, const PictureReader& read) {
    CFittedImageMark image(imageMark, MarkFit{});
    CFittedTextMark text(textMark, MarkFit{});
    return WatermarkFile(work, sourcePath, outputPath, image, text, 1, quality,
                         [&read](CRasterImage& picture, const std::string& path, CImageProperties*,
                                 FileStatus& status) { return read(picture, path, status); });
}

BatchFileResult WatermarkFile(CRasterImage& work, const std::string& sourcePath,
                              const std::string& outputPath, CFittedImageMark& imageMark,
                              CFittedTextMark& textMark, int64_t number, int quality,
                              const PictureMetadataReader& read, MetadataKept kept) {
    BatchFileResult result;
    // Emptied first, so a reader that reports success without a picture can
    // never bring the previous file's pixels back, and the previous picture's
    // memory is free before the next one is decoded.
    work.Destroy();
    FileStatus status;
    CImageProperties metadata;
    // A GIF written as GIF keeps every frame of an animation: `work` takes the
    // first, and `metadata` their delays and loop count; a TIFF written as
    // TIFF keeps every page, and `metadata` each page's tags. A GIF
    // animation is played one frame at a time; other sources of several
    // frames come whole, with `frames` holding the ones after the first (from
    // index 1).
    ImageList frames(true);
    // A WebP animation written as WebP is played one frame at a time too.
    GifAnimationPlayer player;
    WebpAnimationPlayer webpPlayer;
    const ImageFormat outputFormat = FormatFromPath(outputPath);
    const bool toGif = outputFormat == FormatGif;
    const bool toWebp = outputFormat == FormatWebp;
    const bool everyFrame =
        toGif || toWebp || (outputFormat == FormatTiff && FormatFromPath(sourcePath) == FormatTiff);
    const bool playedWebp = toWebp && OpenAnimation(webpPlayer, work, sourcePath, metadata, status);
    const bool played = playedWebp || (toGif && OpenAnimation(player, work, sourcePath, metadata, status));
    const bool loaded =
        played || (everyFrame ? ReadFrames(work, frames, sourcePath, metadata, status)
                              : read(work, sourcePath, textMark.FillsIn() ? &metadata : nullptr, status));
    if (!loaded || work.IsEmpty()) {
        return Failed(result, BatchFileOutcome::Unreadable,
                      status.error.empty() ? "not a picture" : status.error);
    }
    result.damage = status.damage;
    result.width = work.Width();
    result.height = work.Height();
    work.PromoteDepth(32);
    for (size_t i = 1; i < frames.Size(); ++i) frames.At(i)->PromoteDepth(32);
    if (work.Bpp() != 32 || !AllFramesAre32Bit(frames)) {
        work.Destroy();
        return Failed(result, BatchFileOutcome::StampFailed, "not enough memory to make the picture 32-bit");
    }

    // Both marks are fitted to each size of picture: pages of a TIFF may
    // differ, the frames of an animation do not.
    std::string reason;
    PreparedMark image;
    PreparedMark text;
    const auto prepare = [&](int32_t width, int32_t height) {
        MarkTextFacts facts;
        if (textMark.FillsIn()) {
            facts = FactsForPicture(sourcePath, width, height, metadata, number);
        } else {
            facts.width = width;
            facts.height = height;
        }
        if (!imageMark.ForPicture(width, height, image, reason) || !textMark.ForPicture(facts, text, reason))
            return false;
        // Each file is placed on copies of the records, so workers may share
        // the marks and their layers.
        image.base.PlaceByAlignment(width, height);
        text.base.PlaceByAlignment(width, height);
        return true;
    };
    if (!prepare(result.width, result.height)) return Failed(result, BatchFileOutcome::StampFailed, reason);
    // Every frame of an animation takes both marks at the same place; what
    // the result tells is how they went on the first.
    std::pair<int32_t, int32_t> preparedFor{result.width, result.height};
    for (size_t i = 0; i < std::max<size_t>(frames.Size(), 1); ++i) {
        CRasterImage& picture = i == 0 ? work : *frames.At(i);
        const std::pair<int32_t, int32_t> size{picture.Width(), picture.Height()};
        if (size != preparedFor) {
            if (!prepare(size.first, size.second))
                return Failed(result, BatchFileOutcome::StampFailed,
                              "page " + std::to_string(i + 1) + ": " + reason);
            preparedFor = size;
        }
        const MarkStamp imageStamp =
            StampLaidOut(picture, image.base, *image.layer, imageMark.Layout(), reason);
        if (imageStamp == MarkStamp::Failed) {
            return Failed(
                result, BatchFileOutcome::StampFailed,
                reason.empty() ? "the image mark could not be stamped" : "the image mark: " + reason);
        }
        const MarkStamp textStamp = StampLaidOut(picture, text.base, *text.layer, textMark.Layout(), reason);
        if (textStamp == MarkStamp::Failed) {
            return Failed(result, BatchFileOutcome::StampFailed,
                          reason.empty() ? "the text mark could not be stamped" : "the text mark: " + reason);
        }
        if (i > 0) continue;
        result.imageMarkLeftOff = imageStamp == MarkStamp::LeftOff;
        result.textMarkLeftOff = textStamp == MarkStamp::LeftOff;
        if (imageStamp == MarkStamp::Stamped)
            result.imageMarkSize = {image.base.markWidth, image.base.markHeight};
        if (textStamp == MarkStamp::Stamped)
            result.textMarkSize = {text.base.markWidth, text.base.markHeight};
    }

    CImageProperties options = SaveOptions(sourcePath, outputPath, quality, metadata, kept);
    FileFinisher withMetadata;
    if (kept != MetadataKept::None && EmbedsMetadataBlocks(outputFormat)) {
        // These writers embed the metadata whole as they encode.
        const KeptMetadataReport report =
            KeptMetadataBlocks(sourcePath, result.width, result.height, kept, options);
        result.metadataNote = report.note;
        if (!report.failure.empty()) {
            return Failed(result, BatchFileOutcome::SaveFailed,
                          "its metadata could not be written: " + report.failure);
        }
    } else if (kept != MetadataKept::None && outputFormat == FormatJpeg) {
        // A JPEG takes its metadata from the writer itself.
        std::string segments;
        const KeptMetadataReport report =
            KeptJpegSegments(sourcePath, result.width, result.height, kept, segments);
        result.metadataNote = report.note;
        if (!report.failure.empty()) {
            return Failed(result, BatchFileOutcome::SaveFailed,
                          "its metadata could not be written: " + report.failure);
        }
        if (!segments.empty()) options.SetValue(kPropertyJpegSegments, segments);
    } else if (kept != MetadataKept::None) {
        withMetadata = [&](const std::string& tempPath) {
            const KeptMetadataReport report =
                KeepMetadataInFile(sourcePath, tempPath, outputPath, result.width, result.height, kept);
            result.metadataNote = report.note;
            return report.failure.empty() ? std::string()
                                          : "its metadata could not be written: " + report.failure;
        };
    }
    const LaidOutMark imageLaidOut{image, imageMark.Layout(), "the image mark"};
    const LaidOutMark textLaidOut{text, textMark.Layout(), "the text mark"};
    if (playedWebp) {
        CWebpCodec writer;
        writer.SetFinisher(withMetadata);
        return WriteAnimation(result, webpPlayer, work, writer, outputPath, options, imageLaidOut,
                              textLaidOut);
    }
    if (played) {
        CGifCodec writer;
        writer.SetFinisher(withMetadata);
        return WriteAnimation(result, player, work, writer, outputPath, options, imageLaidOut, textLaidOut);
    }
    ImageList stamped(false);
    stamped.Append(&work);
    for (size_t i = 1; i < frames.Size(); ++i) stamped.Append(frames.At(i));
    FileStatus written;
    if (!CPictureFiles::Save(stamped, outputPath, options, &written, withMetadata)) {
        return Failed(result, BatchFileOutcome::SaveFailed, WriteReason(written));
    }
    result.outcome = BatchFileOutcome::Written;
    return result;
}

}  // namespace stampora
