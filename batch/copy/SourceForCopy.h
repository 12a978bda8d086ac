#pragma once
// The first step from a source picture to its stamped copy: the file read
// once, as much of it as the copy's format takes (one frame, every frame or
// page, or an animation to be played frame by frame).
#include <functional>
#include <string>

#include "codecs/ImageFormat.h"
#include "codecs/ImageList.h"
#include "codecs/SourcePicture.h"
#include "codecs/gif/GifAnimation.h"
#include "codecs/metadata/ImageProperties.h"
#include "codecs/webp/WebpAnimation.h"
#include "image/RasterImage.h"
#include "platform/Status.h"

namespace stampora {

// A stand-in for reading the first frame of a file, for tests: it fills in
// the picture (and the metadata when it is given one) and says why it could
// not, or what is missing, in the status.
using PictureMetadataReader = std::function<bool(CRasterImage& picture, const std::string& path,
                                                 CImageProperties* metadata, Status& status)>;

// A source picture as read for one copy.
struct SourceForCopy {
    // The file as opened: its format and the bytes the copy keeps things
    // from. Not opened when a stand-in reader gave the picture.
    SourcePicture file;
    // What the reader keeps beside the pixels: metadata, frame delays, loop
    // count.
    CImageProperties properties;
    // Every frame of a source copied whole with all of them; the first is
    // taken over into the picture, so the frames that follow it count from 1.
    ImageList frames{true};
    // A GIF animation written as GIF, or a WebP one written as WebP, is
    // played one frame at a time instead, from its second frame on once
    // read; `played` is then the format of the player that has it. The WebP
    // player plays `file`'s bytes, which outlive it.
    GifAnimationPlayer animation;
    WebpAnimationPlayer webpAnimation;
    ImageFormat played = FormatUnknown;
    // Why the read failed, or what is missing of the picture.
    Status status;
};

// Reads `path` for a copy in the format `output`: a GIF animation copied as
// GIF, or a WebP one as WebP, is played; other sources copied as GIF or WebP,
// and a TIFF copied as TIFF, come with every frame (every page); the rest
// with their first frame only (with their metadata when `withMetadata`). The
// first frame goes into `first`. `standIn`, when given, reads the first
// frame instead of the file, for copies that take only that. A caller may
// open the file itself first (SourcePicture::OpenFile into `file`, with a
// failure in `status`); it is then read from there, never opened again.
bool ReadSourceForCopy(SourceForCopy& source, CRasterImage& first, const std::string& path,
                       ImageFormat output, bool withMetadata, const PictureMetadataReader& standIn = {});

// Plays the source from its first frame for a copy in the format `output`
// when it is an animation of that format (GIF or WebP) of several frames:
// `played` set, the first frame composed on the player's screen and the
// animation's timing in `properties`. False when it is no such file. A
// source may be played again for another copy.
bool PlayForCopy(SourceForCopy& source, ImageFormat output);

// The screen the source's player composes frames on; empty when none plays.
const CRasterImage& PlayedScreen(const SourceForCopy& source);

}  // namespace stampora
