#include "codecs/KeptMetadata.h"

#include <tiffio.h>

#include <algorithm>
#include <exception>
#include <exiv2/exiv2.hpp>
#include <functional>
#include <span>
#include <vector>

#include "codecs/ExivLog.h"
#include "codecs/ImageFormat.h"
#include "platform/FileIo.h"

namespace stampora {

bool IsLocationKey(const std::string& key) {
    return key.rfind("Exif.GPSInfo.", 0) == 0 || key.rfind("Xmp.exif.GPS", 0) == 0;
}

bool IsResolutionKey(const std::string& key) {
    return key == "Exif.Image.XResolution" || key == "Exif.Image.YResolution" ||
           key == "Exif.Image.ResolutionUnit";
}

namespace {

// A watermarked copy is never larger than this; anything larger is not one.
constexpr int64_t kMostOutputBytes = int64_t{1} << 31;

template <typename Data>
void EraseWhere(Data& data, bool (*matches)(const std::string&), bool keepMatches) {
    for (auto item = data.begin(); item != data.end();) {
        item = matches(item->key()) != keepMatches ? data.erase(item) : std::next(item);
    }
}

// The EXIF of the copy: the pixels are upright and may be turned, so the
// orientation is 1 and the sizes are the copy's; the thumbnail shows the
// picture without its mark and goes.
Exiv2::ExifData CopiedExif(const Exiv2::ExifData& source, int32_t width, int32_t height, MetadataKept kept) {
    Exiv2::ExifData exif = source;
    Exiv2::ExifThumb(exif).erase();
    if (kept == MetadataKept::Essential) EraseWhere(exif, IsResolutionKey, true);
    if (kept == MetadataKept::NoGps) EraseWhere(exif, IsLocationKey, false);
    if (exif.empty()) return exif;
    if (exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation")) != exif.end())
        exif["Exif.Image.Orientation"] = uint16_t{1};
    if (exif.findKey(Exiv2::ExifKey("Exif.Photo.PixelXDimension")) != exif.end()) {
        exif["Exif.Photo.PixelXDimension"] = static_cast<uint32_t>(width);
        exif["Exif.Photo.PixelYDimension"] = static_cast<uint32_t>(height);
    }
    return exif;
}

// exiv2 0.27 reads a JPEG's profile but does not write one: the profile goes
// in as the ICC's own APP2 segments ("ICC_PROFILE", then the segment's
// number and the count), after the JFIF and EXIF segments at the start.
void AddJpegProfile(std::vector<uint8_t>& file, const Exiv2::DataBuf& profile) {
    constexpr size_t kMostPerSegment = 65519;  // 65535 less the length, the name and the two counts
    if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8 || profile.size_ <= 0) return;
    const size_t bytes = static_cast<size_t>(profile.size_);
    const size_t segments = (bytes + kMostPerSegment - 1) / kMostPerSegment;
    if (segments > 255) return;
    size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF && (file[at + 1] == 0xE0 || file[at + 1] == 0xE1)) {
        at += 2 + (size_t{file[at + 2]} << 8 | file[at + 3]);
    }
    if (at > file.size()) return;
    std::vector<uint8_t> inserted;
    for (size_t n = 0; n < segments; ++n) {
        const size_t part = std::min(kMostPerSegment, bytes - n * kMostPerSegment);
        const size_t length = 2 + 12 + 2 + part;
        const uint8_t head[] = {0xFF, 0xE2, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
        inserted.insert(inserted.end(), head, head + 4);
        const char name[] = "ICC_PROFILE";
        inserted.insert(inserted.end(), name, name + sizeof name);  // with its NUL
        inserted.push_back(static_cast<uint8_t>(n + 1));
        inserted.push_back(static_cast<uint8_t>(segments));
        const uint8_t* data = profile.pData_ + n * kMostPerSegment;
        inserted.insert(inserted.end(), data, data + part);
    }
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), inserted.begin(), inserted.end());
}

// A TIFF's resolution belongs to its image directory, which exiv2 leaves to
// the writer: it is set with libtiff on the finished file.
bool SetTiffResolution(const std::string& path, ImageFormat format, const Exiv2::ExifData& exif) {
    if (format != FormatTiff) return true;
    const auto x = exif.findKey(Exiv2::ExifKey("Exif.Image.XResolution"));
    const auto y = exif.findKey(Exiv2::ExifKey("Exif.Image.YResolution"));
    const auto unit = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
    if (x == exif.end() || y == exif.end()) return true;
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    TIFF* tiff = TIFFOpen(path.c_str(), "r+");
    if (tiff == nullptr) return false;
    const float xDots = x->toFloat();
    const float yDots = y->toFloat();
    const uint16_t unitValue = unit != exif.end() ? static_cast<uint16_t>(unit->toLong()) : RESUNIT_INCH;
    const bool ok = xDots > 0 && yDots > 0 && TIFFSetField(tiff, TIFFTAG_XRESOLUTION, xDots) == 1 &&
                    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, yDots) == 1 &&
                    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, unitValue) == 1 &&
                    TIFFRewriteDirectory(tiff) == 1;
    TIFFClose(tiff);
    return ok;
}

// The picture `readPicture` gives with the metadata of the source file
// `source` in it, in `file` (left empty when there is nothing to add), and
// the EXIF it got.
KeptMetadataReport WithMetadata(std::span<const uint8_t> source,
                                const std::function<bool(std::vector<uint8_t>&)>& readPicture,
                                ImageFormat format, int32_t width, int32_t height, MetadataKept kept,
                                std::vector<uint8_t>& file, Exiv2::ExifData& exif) {
    KeptMetadataReport report;
    // A file whose pixels were streamed holds nothing else to keep.
    if (source.empty()) return report;
    Exiv2::Image::AutoPtr read;
    try {
        const ExivComplaints gathering(report.note);
        read = Exiv2::ImageFactory::open(source.data(), static_cast<long>(source.size()));
        read->readMetadata();
    } catch (const std::exception& error) {
        // A source exiv2 cannot read carries nothing it could copy; the
        // picture itself was read, so this is a note, not a failure.
        report.note = error.what();
        return report;
    }
    const bool hasProfile = read->iccProfileDefined();
    const bool everything = kept != MetadataKept::Essential;
    exif = CopiedExif(read->exifData(), width, height, kept);
    if (exif.empty() && !hasProfile &&
        (!everything || (read->xmpData().empty() && read->iptcData().empty() && read->comment().empty())))
        return report;

    std::vector<uint8_t> bytes;
    if (!readPicture(bytes)) {
        report.failure = "the written picture could not be read back";
        return report;
    }
    try {
        Exiv2::Image::AutoPtr output =
            Exiv2::ImageFactory::open(bytes.data(), static_cast<long>(bytes.size()));
        output->readMetadata();
        if (output->supportsMetadata(Exiv2::mdExif)) output->setExifData(exif);
        if (everything && output->supportsMetadata(Exiv2::mdXmp)) {
            Exiv2::XmpData xmp = read->xmpData();
            if (kept == MetadataKept::NoGps) EraseWhere(xmp, IsLocationKey, false);
            output->setXmpData(xmp);
        }
        if (everything && output->supportsMetadata(Exiv2::mdIptc)) output->setIptcData(read->iptcData());
        if (everything && output->supportsMetadata(Exiv2::mdComment)) output->setComment(read->comment());
        if (hasProfile && output->supportsMetadata(Exiv2::mdIccProfile))
            output->setIccProfile(*read->iccProfile());
        output->writeMetadata();

        Exiv2::BasicIo& io = output->io();
        io.seek(0, Exiv2::BasicIo::beg);
        const Exiv2::DataBuf written = io.read(static_cast<long>(io.size()));
        file.assign(written.pData_, written.pData_ + std::max<long>(written.size_, 0));
#if !EXIV2_TEST_VERSION(0, 28, 0)
        if (hasProfile && format == FormatJpeg) AddJpegProfile(file, *read->iccProfile());
#endif
        if (file.empty()) report.failure = "exiv2 gave back an empty file";
    } catch (const std::exception& error) {
        report.failure = error.what();
    }
    return report;
}

bool HoldsMetadata(ImageFormat format) {
    return format == FormatJpeg || format == FormatPng || format == FormatTiff;
}

}  // namespace

KeptMetadataReport KeepMetadataInFile(std::span<const uint8_t> source, const std::string& filePath,
                                      const std::string& outputPath, int32_t width, int32_t height,
                                      MetadataKept kept) {
    const ImageFormat format = FormatFromPath(outputPath);
    if (kept == MetadataKept::None || !HoldsMetadata(format)) return KeptMetadataReport();
    std::vector<uint8_t> file;
    Exiv2::ExifData exif;
    const auto readPicture = [&filePath](std::vector<uint8_t>& bytes) {
        return ReadWholeFile(filePath, bytes, kMostOutputBytes);
    };
    KeptMetadataReport report = WithMetadata(source, readPicture, format, width, height, kept, file, exif);
    if (!report.failure.empty() || file.empty()) return report;
    std::FILE* out = OpenFileUtf8(filePath, "wb");
    bool written = out != nullptr && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out != nullptr) written = std::fclose(out) == 0 && written;
    if (!written) {
        report.failure = "the picture could not be written again with its metadata";
    } else if (!SetTiffResolution(filePath, format, exif)) {
        report.failure = "the resolution could not be written";
    }
    return report;
}

KeptMetadataReport KeptJpegSegments(std::span<const uint8_t> source, int32_t width, int32_t height,
                                    MetadataKept kept, std::string& segments) {
    segments.clear();
    if (kept == MetadataKept::None) return KeptMetadataReport();
    // exiv2 writes the metadata into the smallest JPEG it takes, start and
    // end of picture only; its segments are then taken out whole.
    const auto readCarrier = [](std::vector<uint8_t>& bytes) {
        bytes = {0xFF, 0xD8, 0xFF, 0xD9};
        return true;
    };
    std::vector<uint8_t> file;
    Exiv2::ExifData exif;
    KeptMetadataReport report =
        WithMetadata(source, readCarrier, FormatJpeg, width, height, kept, file, exif);
    if (!report.failure.empty() || file.empty()) return report;
    size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF &&
           ((file[at + 1] >= 0xE0 && file[at + 1] <= 0xEF) || file[at + 1] == 0xFE)) {
        const size_t length = size_t{file[at + 2]} << 8 | file[at + 3];
        if (length < 2 || length > file.size() - at - 2) break;
        segments.append(file.begin() + static_cast<std::ptrdiff_t>(at),
                        file.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
        at += 2 + length;
    }
    if (at + 2 != file.size() || file[at] != 0xFF || file[at + 1] != 0xD9) {
        segments.clear();
        report.failure = "exiv2 gave back metadata segments that do not end where the picture starts";
    }
    return report;
}

}  // namespace stampora
