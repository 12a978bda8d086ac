#pragma once
// Helpers shared by the picture-format tests: loading fixtures through a
// codec, reading pixels of any depth, and feeding damaged copies of a file.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "codecs/ImageCodec.h"
#include "codecs/PictureFiles.h"
#include "image/LittleEndian.h"
#include "platform/FileIo.h"
#include "support/TestPaths.h"
#include "support/TestPictures.h"

using namespace stampora;

inline std::vector<uint8_t> FixtureBytes(const std::string& relative) {
    return FileBytes(FixturePath(relative));
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

// What a codec makes of `bytes` (or of a file): whether it read them, the
// pictures and properties, and what it said.
struct Decoded {
    Decoded(CImageCodec& codec, const std::vector<uint8_t>& bytes)
        : ok(codec.LoadMemory(bytes.data(), bytes.size(), images, properties)), status(codec.Status()) {}
    Decoded(CImageCodec&& codec, const std::vector<uint8_t>& bytes) : Decoded(codec, bytes) {}
    // The same read from a file.
    Decoded(CImageCodec& codec, const std::string& path)
        : ok(codec.LoadFile(path, images, properties)), status(codec.Status()) {}
    const CRasterImage& Image() const { return *images.First(); }

    ImageList images;
    PropertiesSlot properties;
    bool ok;
    Status status;
};

// Every frame of a file as the program reads it, with what was kept beside them.
struct Frames {
    explicit Frames(const std::string& path)
        : ok(CPictureFiles::LoadFrames(images, path, &properties, &status)) {}

    ImageList images;
    CImageProperties properties;
    Status status;
    bool ok;
};

// Saves one picture through `codec`.
inline bool SaveThrough(CImageCodec& codec, const std::string& path, CRasterImage& image,
                        const CImageProperties* properties = nullptr) {
    ImageList list(false);
    list.Append(&image);
    return codec.SaveFile(path, list, properties);
}

// Saves `image` through `codec` as `fileName` in a scratch folder and reads
// the file back; the first frame, or an empty picture.
inline CRasterImage RoundTripThrough(CImageCodec& codec, const std::string& fileName, CRasterImage& image,
                                     const CImageProperties* properties = nullptr,
                                     PropertiesSlot* readBack = nullptr) {
    ScratchDir dir;
    EXPECT_TRUE(SaveThrough(codec, dir.File(fileName), image, properties));
    ImageList images;
    PropertiesSlot slot;
    EXPECT_TRUE(codec.LoadFile(dir.File(fileName), images, slot));
    if (readBack != nullptr) *readBack = std::move(slot);
    CRasterImage back;
    if (!images.Empty()) back.Swap(*images.First());
    return back;
}

// Every prefix of the file and copies with single bytes changed: each is
// either refused or read into pictures of sane size, never a crash (the
// sanitizer builds turn any bad access into a failure).
inline void ExpectDamagedCopiesAreSafe(CImageCodec& codec, const std::vector<uint8_t>& bytes) {
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        ImageList images;
        PropertiesSlot properties;
        if (codec.LoadMemory(prefix.data(), prefix.size(), images, properties)) {
            ASSERT_FALSE(images.Empty());
            for (size_t i = 0; i < images.Size(); ++i) EXPECT_FALSE(images.At(i)->IsEmpty());
        }
    }
    uint32_t seed = 12345;
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> damaged = bytes;
        for (int k = 0; k < 3; ++k) {
            seed = seed * 1664525u + 1013904223u;
            damaged[(seed >> 8) % damaged.size()] = static_cast<uint8_t>(seed >> 24);
        }
        ImageList images;
        PropertiesSlot properties;
        codec.LoadMemory(damaged.data(), damaged.size(), images, properties);
    }
}

// A BMP file with a 40-byte info header; `palette` and `pixels` follow it.
inline std::vector<uint8_t> BmpFile(int32_t width, int32_t height, uint16_t bpp,
                                    const std::vector<uint8_t>& palette, const std::vector<uint8_t>& pixels,
                                    uint32_t pixelOffset = 0) {
    std::vector<uint8_t> out(54, 0);
    out[0] = 'B';
    out[1] = 'M';
    const uint32_t offset = pixelOffset != 0 ? pixelOffset : static_cast<uint32_t>(54 + palette.size());
    StoreLE32(out.data() + 2, static_cast<uint32_t>(54 + palette.size() + pixels.size()));
    StoreLE32(out.data() + 10, offset);
    StoreLE32(out.data() + 14, 40);
    StoreLE32(out.data() + 18, static_cast<uint32_t>(width));
    StoreLE32(out.data() + 22, static_cast<uint32_t>(height));
    StoreLE16(out.data() + 26, 1);
    StoreLE16(out.data() + 28, bpp);
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// A GIF of `frames` one-pixel frames on a screen of `width` x `height`.
inline std::vector<uint8_t> ManyFrameGif(int width, int height, int frames) {
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    const auto word = [&gif](int value) {
        gif.push_back(static_cast<uint8_t>(value));
        gif.push_back(static_cast<uint8_t>(value >> 8));
    };
    word(width);
    word(height);
    gif.insert(gif.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});  // two colours
    for (int i = 0; i < frames; ++i) {
        gif.push_back(0x2C);
        word(i % width);
        word(0);
        word(1);
        word(1);
        // No local table; LZW of one pixel of index 0 (clear, 0, end).
        gif.insert(gif.end(), {0, 2, 2, 0x44, 0x01, 0});
    }
    gif.push_back(0x3B);
    return gif;
}
