// Feeds arbitrary bytes, as a file, to the whole-picture check of every
// format it knows.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "codecs/WholePicture.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/whole_picture_fuzz-" + std::to_string(::getpid());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (written) {
        for (ImageFormat format : {FormatJpeg, FormatPng, FormatGif, FormatBmp, FormatTga, FormatTiff})
            IsWholePicture(path, format);
    }
    return 0;
}
