// Writing BMP files: the picture's own header, palette or masks and pixels,
// uncompressed, through a temporary file.
#include <cstring>
#include <memory>

#include "codecs/bmp/BmpCodec.h"
#include "codecs/bmp/Bmp_pvt.h"
#include "image/LittleEndian.h"
#include "platform/FileIo.h"

namespace stampora {

bool CBmpCodec::SaveFile(const std::string& path, const ImageList& images, const CImageProperties*) {
    status = {};
    const CRasterImage* image = images.First();
    if (image == nullptr || image->IsEmpty())
        return status.Fail(Domain::Write, "there is no picture to save");

    const size_t pixelBytes = image->PixelBytes();
    size_t headerBlock = kBmpInfoHeaderBytes;
    if (image->Bpp() <= 8) {
        headerBlock += sizeof(PaletteColour) * static_cast<size_t>(image->PaletteSize());
    } else if (image->Bpp() == 16 && image->Header().biCompression == BI_BITFIELDS) {
        headerBlock += kBmpMaskBytes;
    }
    const uint64_t fileSize = kBmpFileHeaderBytes + headerBlock + pixelBytes;
    if (fileSize > UINT32_MAX)
        return status.Fail(Domain::Write, "the picture is too large for a bitmap file (4 GB)");

    uint8_t fileHeader[kBmpFileHeaderBytes] = {'B', 'M'};
    StoreLE32(fileHeader + 2, static_cast<uint32_t>(fileSize));
    StoreLE32(fileHeader + 10, static_cast<uint32_t>(kBmpFileHeaderBytes + headerBlock));

    std::unique_ptr<uint8_t[]> dib(reinterpret_cast<uint8_t*>(image->NewDibHeader()));
    if (!dib) return status.Fail(Domain::Write, "not enough memory");

    SafeFileWriter out(path);
    if (!out.Open()) return status.Fail(Domain::Write, WriteFailure(out, "cannot create the file"));
    if (!out.Write(fileHeader, sizeof fileHeader) || !out.Write(dib.get(), headerBlock) ||
        !out.Write(image->Pixels(), pixelBytes)) {
        return status.Fail(Domain::Write, WriteFailure(out, "cannot write the file"));
    }
    return Publish(out);
}

}  // namespace stampora
