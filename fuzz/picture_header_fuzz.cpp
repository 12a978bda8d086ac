// Feeds arbitrary bytes, as a file, to the header reader: as the format its
// bytes name, and as each format it knows. The first byte chooses the name:
// a TGA is known only by its extension.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "codecs/PictureHeader.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string folder = [] {
        char pattern[] = "/tmp/picture_header_fuzz.XXXXXX";
        return std::string(::mkdtemp(pattern));
    }();
    const std::string path = folder + (size > 0 && data[0] % 2 == 1 ? "/in.tga" : "/in.bin");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (written) {
        ReadPictureHeader(path);
        for (ImageFormat format : {FormatJpeg, FormatPng, FormatGif, FormatBmp, FormatTga, FormatTiff,
                                   FormatWebp, FormatHeif, FormatAvif, FormatJxl})
            IsWholePicture(path, format);
    }
    std::remove(path.c_str());
    return 0;
}
