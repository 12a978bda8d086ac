#pragma once
// The frames of a GIF file as stored: each frame's rectangle on the logical
// screen, its colour table, its indices and its graphic control.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/DibTypes.h"

struct GifStoredFrame {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::array<PaletteColour, 256> colours{};  // entries beyond the file's table are black
    int32_t colourCount = 0;
    std::vector<uint8_t> indices;        // width x height, top line first
    std::vector<uint8_t> lineRead;       // 1 for each line the file held
    int32_t transparentIndex = -1;
    int32_t disposal = 0;
    int32_t delayHundredths = 0;
};

struct GifStoredFrames {
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    std::vector<GifStoredFrame> frames;
};

// Reads the frames of a GIF file through giflib, up to a break in the file
// or the decoded-size budget; false when not even a frame could be read.
bool ReadGifFrames(const uint8_t* data, size_t size, GifStoredFrames& stored);
