// Writing TGA files: uncompressed, top line first, through a temporary file.
#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/tga/TgaCodec.h"
#include "codecs/tga/Tga_pvt.h"
#include "image/LittleEndian.h"
#include "image/MaskedChannel.h"
#include "platform/FileIo.h"

namespace stampora {

namespace {

constexpr size_t kChunkBytes = size_t{1} << 20;

void StoreTgaHeader(const TgaHeader& header, uint8_t* out) {
    std::memset(out, 0, kTgaHeaderBytes);
    out[0] = header.idLength;
    out[1] = header.colourMapType;
    out[2] = header.imageType;
    StoreLE16(out + 3, header.colourMapFirst);
    StoreLE16(out + 5, header.colourMapLength);
    out[7] = header.colourMapEntryBits;
    StoreLE16(out + 12, header.width);
    StoreLE16(out + 14, header.height);
    out[16] = header.pixelDepth;
    out[17] = header.descriptor;
}

// TGA files hold 16-bit pixels as 5-5-5 words; a picture with other masks
// (5-6-5 from a bit-field BMP) is converted line by line so its colours
// survive.
bool IsFiveFiveFive(const CRasterImage& image) {
    return image.RedMask() == 0x7C00 && image.GreenMask() == 0x03E0 && image.BlueMask() == 0x001F;
}

void ConvertLineTo555(const CRasterImage& image, const uint8_t* src, uint8_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += 2, dst += 2) {
        const uint32_t word = LoadLE16(src);
        const uint32_t out = (ScaleMaskedChannel(word, image.RedMask(), 5) << 10) |
                             (ScaleMaskedChannel(word, image.GreenMask(), 5) << 5) |
                             ScaleMaskedChannel(word, image.BlueMask(), 5);
        StoreLE16(dst, static_cast<uint16_t>(out));
    }
}

}  // namespace

bool CTgaCodec::SaveFile(const std::string& path, const ImageList& images, const CImageProperties*) {
    status = {};
    const CRasterImage* image = images.First();
    if (image == nullptr || image->IsEmpty())
        return status.Fail(Domain::Write, "there is no picture to save");
    const int32_t bpp = image->Bpp();
    if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        return status.Fail(Domain::Write, "TGA files are written from 8, 16, 24 or 32-bit pictures");
    }
    if (image->Width() > kTgaMaxDimension || image->Height() > kTgaMaxDimension) {
        return status.Fail(Domain::Write, "TGA files hold at most 65535 x 65535 pixels");
    }

    TgaHeader header;
    header.idLength = static_cast<uint8_t>(kTgaImageIdBytes);
    header.colourMapType = bpp == 8 ? 1 : 0;
    header.imageType = bpp == 8 ? 1 : 2;
    header.colourMapLength = 256;
    header.colourMapEntryBits = 24;
    header.width = static_cast<uint16_t>(image->Width());
    header.height = static_cast<uint16_t>(image->Height());
    header.pixelDepth = static_cast<uint8_t>(bpp);
    header.descriptor = 0x20;
    uint8_t headerBytes[kTgaHeaderBytes];
    StoreTgaHeader(header, headerBytes);

    SafeFileWriter out(path);
    if (!out.Open()) return status.Fail(Domain::Write, WriteFailure(out, "cannot create the file"));
    if (!out.Write(headerBytes, sizeof headerBytes) || !out.Write(kTgaImageId, kTgaImageIdBytes)) {
        return status.Fail(Domain::Write, WriteFailure(out, "cannot write the file"));
    }
    if (bpp == 8) {
        uint8_t colourMap[256 * 3];
        const PaletteColour* palette = image->Palette();
        for (size_t i = 0; i < 256; ++i) {
            colourMap[i * 3] = palette[i].rgbBlue;
            colourMap[i * 3 + 1] = palette[i].rgbGreen;
            colourMap[i * 3 + 2] = palette[i].rgbRed;
        }
        if (!out.Write(colourMap, sizeof colourMap))
            return status.Fail(Domain::Write, WriteFailure(out, "cannot write the file"));
    }

    // The lines go out top first, the reverse of their order in memory; they
    // are gathered into chunks so the file gets a few large writes.
    const size_t lineBytes = static_cast<size_t>(bpp / 8) * static_cast<size_t>(image->Width());
    const size_t linesPerChunk = std::max<size_t>(1, kChunkBytes / lineBytes);
    std::vector<uint8_t> chunk(std::min<size_t>(linesPerChunk, static_cast<size_t>(image->Height())) *
                               lineBytes);
    const bool convert = bpp == 16 && !IsFiveFiveFive(*image);
    size_t used = 0;
    for (int32_t y = 0; y < image->Height(); ++y) {
        if (convert) {
            ConvertLineTo555(*image, image->Row(y), chunk.data() + used, image->Width());
        } else {
            std::memcpy(chunk.data() + used, image->Row(y), lineBytes);
        }
        used += lineBytes;
        if (used == chunk.size() || y + 1 == image->Height()) {
            if (!out.Write(chunk.data(), used))
                return status.Fail(Domain::Write, WriteFailure(out, "cannot write the file"));
            used = 0;
        }
    }
    return Publish(out);
}

}  // namespace stampora
