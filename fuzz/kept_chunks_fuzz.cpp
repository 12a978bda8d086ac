// Feeds arbitrary bytes as the source of a PNG and a GIF copy's kept chunks,
// and as the copy itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/metadata/KeptChunks.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<uint8_t> kPngCopy = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0,    0, 0, 13,
                                                  'I',  'H', 'D', 'R', 0,    0,    0,    1,    0,    0, 0, 1,
                                                  8,    2,   0,   0,   0,    0x90, 0x77, 0x53, 0xDE, 0, 0, 0,
                                                  0,    'I', 'E', 'N', 'D',  0xAE, 0x42, 0x60, 0x82};
    static const std::vector<uint8_t> kGifCopy = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'};
    const std::vector<uint8_t> input(data, data + size);
    Status reason;
    std::vector<uint8_t> copy = kPngCopy;
    CopyPngChunks(input, copy, true, reason);
    copy = input;
    CopyPngChunks(kPngCopy, copy, true, reason);
    copy = kGifCopy;
    CopyGifComments(input, copy, reason);
    copy = input;
    CopyGifComments(input, copy, reason);
    return 0;
}
