#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "codecs/tiff/Tiff_pvt.h"

namespace stampora {

namespace {

// No strip, tile or tag array of a sane file comes near this.
constexpr tmsize_t kMaxSingleAllocation = tmsize_t{1} << 30;
// Writing never grows a file beyond what 32-bit offsets address.
constexpr uint64_t kMaxWrittenBytes = uint64_t{0xFFFFFFFF};

TiffMemoryFile& FileOf(thandle_t handle) {
    return *static_cast<TiffMemoryFile*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* out, tmsize_t length) {
    TiffMemoryFile& f = FileOf(handle);
    const uint8_t* data =
        f.readData != nullptr ? f.readData : (f.writeData != nullptr ? f.writeData->data() : nullptr);
    if (data == nullptr || length <= 0 || f.position >= f.size) return 0;
    const size_t n = std::min(static_cast<size_t>(length), static_cast<size_t>(f.size - f.position));
    std::memcpy(out, data + f.position, n);
    f.position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t handle, void* in, tmsize_t length) {
    TiffMemoryFile& f = FileOf(handle);
    if (f.writeData == nullptr || length < 0) return -1;
    const uint64_t end = f.position + static_cast<uint64_t>(length);
    if (end > kMaxWrittenBytes) return -1;
    if (end > f.writeData->size()) f.writeData->resize(static_cast<size_t>(end));
    std::memcpy(f.writeData->data() + f.position, in, static_cast<size_t>(length));
    f.position = end;
    f.size = std::max<size_t>(f.size, static_cast<size_t>(end));
    return length;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    TiffMemoryFile& f = FileOf(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR) base = f.position;
    if (whence == SEEK_END) base = f.size;
    const uint64_t target = base + offset;
    if (target < base) return static_cast<toff_t>(-1);
    if (f.writeData == nullptr && target > f.size) return static_cast<toff_t>(-1);
    f.position = target;
    return target;
}

int CloseProc(thandle_t) {
    return 0;
}
toff_t SizeProc(thandle_t handle) {
    return FileOf(handle).size;
}
int MapProc(thandle_t, void**, toff_t*) {
    return 0;
}
void UnmapProc(thandle_t, void*, toff_t) {}

int KeepError(TIFF*, void* user, const char*, const char* format, va_list args) {
    char message[512];
    std::vsnprintf(message, sizeof message, format, args);
    static_cast<TiffMemoryFile*>(user)->lastError = message;
    return 1;
}
// Warnings from the directory reader (an unknown tag, a count fixed up) leave
// the pixels as stored; those of a decoder (libjpeg's inside a JPEG-coded
// page, a codec's "...Decode") mean corrupt data, but for a strip that only
// lacks its end code.
int KeepDecoderWarning(TIFF*, void* user, const char* module, const char* format, va_list args) {
    auto& file = *static_cast<TiffMemoryFile*>(user);
    const std::string_view from = module != nullptr ? module : "";
    if (!file.decoderWarning.empty() || (from != "JPEGLib" && from.find("Decode") == std::string_view::npos))
        return 1;
    char message[512];
    std::vsnprintf(message, sizeof message, format, args);
    if (std::string_view(message).find("not terminated with EOI") == std::string_view::npos)
        file.decoderWarning = message;
    return 1;
}

}  // namespace

TIFF* OpenTiffInMemory(TiffMemoryFile& file, const char* mode) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options, KeepDecoderWarning, &file);
    // "m": no memory mapping; the procedures above are the only way in.
    const bool reading = mode[0] == 'r';
    TIFF* tiff = TIFFClientOpenExt("memory", reading ? "rm" : "wm", &file, ReadProc, WriteProc, SeekProc,
                                   CloseProc, SizeProc, MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return tiff;
}

}  // namespace stampora
