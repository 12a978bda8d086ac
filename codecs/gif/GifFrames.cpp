#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "codecs/DecodeLimits.h"
#include "codecs/ImageCodec.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/gif/Gif_pvt.h"

namespace stampora {

namespace {

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t position;
    bool ranShort = false;  // a read asked for more than was left
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
    auto* source = static_cast<MemorySource*>(gif->UserData);
    if (length <= 0) return 0;
    const size_t n = std::min(static_cast<size_t>(length), source->size - source->position);
    if (n < static_cast<size_t>(length)) source->ranShort = true;
    std::memcpy(out, source->data + source->position, n);
    source->position += n;
    return static_cast<int>(n);
}

// Interlaced frames store every 8th line from 0, every 8th from 4, every 4th
// from 2, then every 2nd from 1.
std::vector<int32_t> StoredLineOrder(int32_t height, bool interlaced) {
    std::vector<int32_t> order;
    order.reserve(static_cast<size_t>(height));
    if (!interlaced) {
        for (int32_t y = 0; y < height; ++y) order.push_back(y);
        return order;
    }
    constexpr int32_t kStart[] = {0, 4, 2, 1};
    constexpr int32_t kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int32_t y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
    }
    return order;
}

void TakeColourTable(const ColorMapObject* map, GifStoredFrame& frame) {
    if (map == nullptr || map->Colors == nullptr) return;
    frame.colourCount = std::clamp(map->ColorCount, 0, 256);
    for (int32_t i = 0; i < frame.colourCount; ++i) {
        frame.colours[static_cast<size_t>(i)].rgbRed = map->Colors[i].Red;
        frame.colours[static_cast<size_t>(i)].rgbGreen = map->Colors[i].Green;
        frame.colours[static_cast<size_t>(i)].rgbBlue = map->Colors[i].Blue;
    }
}

// The application block of the looping extension: its name, then a
// sub-block 1, count low, count high.
bool IsLoopApplication(const GifByteType* block) {
    return block != nullptr && block[0] == 11 &&
           (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
}

// Reads an extension: the graphic control goes into `control`, the loop count
// into `stored`, everything else is skipped.
bool ReadExtension(GifFileType* gif, GraphicsControlBlock& control, bool& haveControl,
                   GifStoredFrames& stored) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
        haveControl = DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK;
    }
    const bool loop = code == APPLICATION_EXT_FUNC_CODE && IsLoopApplication(block);
    while (block != nullptr) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
        if (loop && block != nullptr && block[0] >= 3 && block[1] == 1)
            stored.loopCount = block[2] | block[3] << 8;
    }
    return true;
}

std::string LinesDamageOfFrame(size_t frameNumber, int64_t lines, int64_t height) {
    std::string damage = LinesDamage(lines, height);
    if (frameNumber > 1) damage += " in frame " + std::to_string(frameNumber);
    return damage;
}

// Reads one frame's lines; false when the file broke off inside it.
bool ReadFrameLines(GifFileType* gif, GifStoredFrame& frame, bool interlaced) {
    const std::vector<int32_t> order = StoredLineOrder(frame.height, interlaced);
    for (const int32_t y : order) {
        uint8_t* line = frame.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(frame.width);
        if (DGifGetLine(gif, line, frame.width) == GIF_ERROR) return false;
        frame.lineRead[static_cast<size_t>(y)] = 1;
    }
    return true;
}

// Adds a note to those already taken, one after another.
void AddNote(std::string& notes, const std::string& note) {
    notes += notes.empty() ? note : "; " + note;
}

// Why giflib refused a frame's descriptor and the code size after it that
// the file did hold: giflib names a code size past 8 bits a failed read, so
// that byte, the last it took, is named too.
std::string DescriptorFailure(GifFileType* gif, const MemorySource& source) {
    const std::string giflib = GifErrorString(gif->Error);
    const uint8_t last = source.position > 0 ? source.data[source.position - 1] : 0;
    if (gif->Error == D_GIF_ERR_READ_FAILED && last > 8)
        return "its LZW code size " + std::to_string(last) + " is out of range (giflib: " + giflib + ")";
    return giflib;
}

// Reads past the data of a frame that is not kept.
bool SkipFrameData(GifFileType* gif) {
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) return false;
    while (block != nullptr) {
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
    }
    return true;
}

// The frames' records up to the trailer, the first break or `maxFrames`
// frames. The budget counts the frames' own pixels and the screens a player
// needs: the one it composes on and, for an animation, the copy a frame
// restores.
void ReadRecords(GifFileType* gif, const MemorySource& source, size_t maxFrames, GifStoredFrames& stored,
                 Status& status) {
    const int64_t screenPixels = static_cast<int64_t>(stored.screenWidth) * stored.screenHeight;
    int64_t budget = kMaxDecodedPixels - screenPixels;
    GraphicsControlBlock control{};
    bool haveControl = false;
    size_t framesSeen = 0;  // empty ones too, so notes name frames as the file counts them
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
            status.failure = {Domain::Read, GifErrorString(gif->Error)};
            return;
        }
        if (type == TERMINATE_RECORD_TYPE) return;
        if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(gif, control, haveControl, stored)) return;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) return;
        if (stored.frames.size() >= maxFrames) {
            // Enough is read: the rest of the file is not decoded.
            stored.moreFrames = true;
            return;
        }
        ++framesSeen;
        const std::string frameName = "frame " + std::to_string(framesSeen);
        if (DGifGetImageDesc(gif) == GIF_ERROR) {
            // The frame is there: its start could not be taken in.
            if (!source.ranShort)
                LeaveOutFrom(frameName + " cannot be decoded: " + DescriptorFailure(gif, source),
                             stored.frames.size(), status);
            return;
        }

        const GifImageDesc& desc = gif->Image;
        if (desc.Width <= 0 || desc.Height <= 0) {
            // Nothing to show: its time goes to the frame before, and the
            // frames after it are read on.
            if (!SkipFrameData(gif)) return;
            if (!stored.frames.empty())
                stored.frames.back().delayHundredths += haveControl ? control.DelayTime : 0;
            haveControl = false;
            AddNote(status.damage, frameName + " is empty and is left out");
            continue;
        }
        const int64_t framePixels = static_cast<int64_t>(desc.Width) * desc.Height;
        budget -= framePixels;
        if (stored.frames.size() == 1) budget -= screenPixels;
        if (budget < 0) {
            LeaveOutFrom(frameName + " is past the memory limit for an animation", stored.frames.size(),
                         status);
            return;
        }
        if (static_cast<uint64_t>(framePixels) > MaxLzwPixels(source.size - source.position)) {
            LeaveOutFrom(frameName + " claims " + std::to_string(desc.Width) + " x " +
                             std::to_string(desc.Height) + " pixels, more than the rest of the file can hold",
                         stored.frames.size(), status);
            return;
        }
        GifStoredFrame& frame = stored.frames.emplace_back();
        frame.left = desc.Left;
        frame.top = desc.Top;
        frame.width = desc.Width;
        frame.height = desc.Height;
        TakeColourTable(desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap, frame);
        if (haveControl) {
            frame.transparentIndex = control.TransparentColor;
            frame.disposal = control.DisposalMode;
            frame.delayHundredths = control.DelayTime;
        }
        haveControl = false;
        frame.indices.assign(static_cast<size_t>(framePixels), 0);
        frame.lineRead.assign(static_cast<size_t>(frame.height), 0);
        if (!ReadFrameLines(gif, frame, desc.Interlace)) {
            const auto lines = std::count(frame.lineRead.begin(), frame.lineRead.end(), 1);
            AddNote(status.damage, LinesDamageOfFrame(framesSeen, lines, frame.height));
            status.failure = {Domain::Read, GifErrorString(gif->Error)};
            return;
        }
    }
}

}  // namespace

void LeaveOutFrom(const std::string& reason, size_t framesRead, Status& status) {
    if (framesRead == 0) {
        status.failure = {Domain::Read, reason};
    } else {
        AddNote(status.damage, reason + "; it and the frames after it are left out");
    }
}

bool ReadGifFrames(const uint8_t* data, size_t size, GifStoredFrames& stored, Status& status,
                   size_t maxFrames) {
    if (data == nullptr || size < 6)
        return status.Fail(Domain::Read, "the file is too short for a GIF picture");
    MemorySource source{data, size, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadFromMemory, &error);
    if (gif == nullptr) return status.Fail(Domain::Read, GifErrorString(error));
    stored.screenWidth = gif->SWidth;
    stored.screenHeight = gif->SHeight;
    const uint64_t screenPixels =
        uint64_t{static_cast<uint32_t>(gif->SWidth)} * static_cast<uint32_t>(gif->SHeight);
    if (!IsDecodableSize(stored.screenWidth, stored.screenHeight)) {
        status.failure = {Domain::Read, "the picture has an impossible size (" + std::to_string(gif->SWidth) +
                                            " x " + std::to_string(gif->SHeight) + ")"};
    } else if (screenPixels > MaxLzwPixels(size)) {
        status.failure = {Domain::Read, "the screen of " + std::to_string(gif->SWidth) + " x " +
                                            std::to_string(gif->SHeight) +
                                            " pixels is more than the file can fill"};
    } else {
        ReadRecords(gif, source, maxFrames, stored, status);
    }
    DGifCloseFile(gif, &error);
    // A frame that broke off before its first line shows nothing of its own.
    while (!stored.frames.empty()) {
        const std::vector<uint8_t>& read = stored.frames.back().lineRead;
        if (std::find(read.begin(), read.end(), 1) != read.end()) break;
        stored.frames.pop_back();
    }
    if (stored.frames.empty()) {
        // Frames that were all empty are named as such.
        if (status.Error().empty())
            status.failure = {Domain::Read,
                              status.damage.empty() ? "the file holds no frame" : status.damage};
        status.damage.clear();
        return false;
    }
    // Frames that were read make a picture; only lines lost inside a frame
    // count as damage, not a file that ends between frames.
    status.failure = {};
    return true;
}

}  // namespace stampora
