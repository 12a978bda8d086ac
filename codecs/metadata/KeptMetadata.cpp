#include "codecs/metadata/KeptMetadata.h"

#include <tiffio.h>

#include <algorithm>
#include <exception>
#include <exiv2/exiv2.hpp>
#include <functional>
#include <span>
#include <vector>

#include "codecs/ImageFormat.h"
#include "codecs/metadata/EmbeddedMetadata.h"
#include "codecs/metadata/ExivLog.h"
#include "codecs/metadata/KeptChunks.h"
#include "codecs/tiff/Tiff_pvt.h"
#include "platform/FileIo.h"

namespace stampora {

bool IsLocationKey(const std::string& key) {
    // XMP structures reuse the EXIF GPS fields for a place's coordinates
    // (the IPTC Extension's LocationCreated and LocationShown among them):
    // "Xmp.iptcExt.LocationShown[1]/exif:GPSLatitude".
    return key.rfind("Exif.GPSInfo.", 0) == 0 || key.rfind("Xmp.exif.GPS", 0) == 0 ||
           (key.rfind("Xmp.", 0) == 0 && key.find("/exif:GPS") != std::string::npos);
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

// Groups exiv2 gives the directories after a TIFF's first (its other
// pages) and their sub-pictures: they describe pictures of the source, not
// the copy's first, and written back they would be directories without a
// picture.
bool IsOtherPictureGroup(const std::string& group) {
    if (group == "Image") return false;
    return group == "Thumbnail" || group.rfind("Image", 0) == 0 || group.rfind("SubImage", 0) == 0 ||
           group.rfind("SubThumb", 0) == 0;
}

// The EXIF of the copy: the pixels are upright and may be turned, so the
// orientation is 1 and the sizes are the copy's; the thumbnail shows the
// picture without its mark and goes, as do the source's other pictures (a
// TIFF copy's other pages carry their own tags).
Exiv2::ExifData CopiedExif(const Exiv2::ExifData& source, int32_t width, int32_t height, MetadataKept kept) {
    Exiv2::ExifData exif = source;
    Exiv2::ExifThumb(exif).erase();
    for (auto item = exif.begin(); item != exif.end();)
        item = IsOtherPictureGroup(item->groupName()) ? exif.erase(item) : std::next(item);
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

// A TIFF's resolution and colour description belong to its image
// directory, which exiv2 leaves to the writer: they are set with libtiff on
// the finished file, the resolution from the kept EXIF, the profile, white
// point and primaries as a TIFF source stored them.
bool SetTiffDirectory(const std::string& path, ImageFormat format, const Exiv2::ExifData& exif,
                      std::span<const uint8_t> sourceBytes) {
    if (format != FormatTiff) return true;
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    std::vector<uint8_t> profile;
    std::vector<float> whitePoint;
    std::vector<float> primaries;
    TiffMemoryFile sourceFile;
    sourceFile.readData = sourceBytes.data();
    sourceFile.size = sourceBytes.size();
    if (FormatFromSignature(sourceBytes.data(), sourceBytes.size()) != FormatTiff) sourceFile.size = 0;
    if (TIFF* source = sourceFile.size > 0 ? OpenTiffInMemory(sourceFile, "r") : nullptr) {
        uint32_t count = 0;
        void* data = nullptr;
        float* values = nullptr;
        if (TIFFGetField(source, TIFFTAG_ICCPROFILE, &count, &data) == 1 && data != nullptr)
            profile.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + count);
        if (TIFFGetField(source, TIFFTAG_WHITEPOINT, &values) == 1 && values != nullptr)
            whitePoint.assign(values, values + 2);
        if (TIFFGetField(source, TIFFTAG_PRIMARYCHROMATICITIES, &values) == 1 && values != nullptr)
            primaries.assign(values, values + 6);
        TIFFClose(source);
    }
    const auto x = exif.findKey(Exiv2::ExifKey("Exif.Image.XResolution"));
    const auto y = exif.findKey(Exiv2::ExifKey("Exif.Image.YResolution"));
    const auto unit = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
    const bool resolution = x != exif.end() && y != exif.end();
    if (!resolution && profile.empty() && whitePoint.empty() && primaries.empty()) return true;
    TIFF* tiff = TIFFOpen(path.c_str(), "r+");
    if (tiff == nullptr) return false;
    // A writer that set the resolution itself (a multi-page TIFF writes every
    // page's own) has it right already.
    float written = 0;
    const bool resolutionWritten = TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &written) && written > 0;
    if (resolutionWritten && profile.empty() && whitePoint.empty() && primaries.empty()) {
        TIFFClose(tiff);
        return true;
    }
    bool ok = true;
    if (resolution && !resolutionWritten) {
        const float xDots = x->toFloat();
        const float yDots = y->toFloat();
        const uint16_t unitValue = unit != exif.end() ? static_cast<uint16_t>(unit->toLong()) : RESUNIT_INCH;
        ok = xDots > 0 && yDots > 0 && TIFFSetField(tiff, TIFFTAG_XRESOLUTION, xDots) == 1 &&
             TIFFSetField(tiff, TIFFTAG_YRESOLUTION, yDots) == 1 &&
             TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, unitValue) == 1;
    }
    if (!profile.empty())
        ok = ok && TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(profile.size()),
                                profile.data()) == 1;
    if (!whitePoint.empty()) ok = ok && TIFFSetField(tiff, TIFFTAG_WHITEPOINT, whitePoint.data()) == 1;
    if (!primaries.empty())
        ok = ok && TIFFSetField(tiff, TIFFTAG_PRIMARYCHROMATICITIES, primaries.data()) == 1;
    ok = ok && TIFFRewriteDirectory(tiff) == 1;
    TIFFClose(tiff);
    return ok;
}

// The source's metadata as exiv2 reads it from the file's bytes `source`,
// or none: a file whose pixels were streamed holds nothing else to keep, and
// one exiv2 cannot read carries nothing it could copy, with exiv2's words in
// the report's note (the picture itself was read, so this is not a failure).
Exiv2::Image::AutoPtr OpenSource(std::span<const uint8_t> source, Status& report) {
    // HEIF, AVIF and JPEG XL files are read only once this is switched on.
    static const bool mediaFiles = Exiv2::enableBMFF(true);
    (void)mediaFiles;
    Exiv2::Image::AutoPtr read;
    if (source.empty()) return read;
    std::string note;
    try {
        const ExivComplaints gathering(note);
        read = Exiv2::ImageFactory::open(source.data(), static_cast<long>(source.size()));
        read->readMetadata();
    } catch (const std::exception& error) {
        note = error.what();
        read.reset();
    }
    if (!note.empty()) report.Warn(Domain::Metadata, note);
    return read;
}

// The picture `readPicture` gives with the metadata of the source file
// `source` in it, in `file` (left empty when there is nothing to add), and
// the EXIF it got.
Status WithMetadata(std::span<const uint8_t> source,
                    const std::function<bool(std::vector<uint8_t>&)>& readPicture, ImageFormat format,
                    int32_t width, int32_t height, MetadataKept kept, std::vector<uint8_t>& file,
                    Exiv2::ExifData& exif) {
    Status report;
    Exiv2::Image::AutoPtr read = OpenSource(source, report);
    if (read.get() == nullptr) return report;
    const bool hasProfile = read->iccProfileDefined();
    const bool everything = kept != MetadataKept::Essential;
    exif = CopiedExif(read->exifData(), width, height, kept);
    if (exif.empty() && !hasProfile &&
        (!everything || (read->xmpData().empty() && read->iptcData().empty() && read->comment().empty())))
        return report;

    std::vector<uint8_t> bytes;
    if (!readPicture(bytes)) {
        report.failure = {Domain::Metadata, "the written picture could not be read back"};
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
        if (file.empty()) report.failure = {Domain::Metadata, "exiv2 gave back an empty file"};
    } catch (const std::exception& error) {
        report.failure = {Domain::Metadata, error.what()};
    }
    return report;
}

// What a PNG or GIF copy of a source in its own format keeps beyond exiv2's
// items: PNG's colour, resolution and (unless only the essentials are kept)
// text chunks, GIF's comments. `file` is the copy as it stands, read when
// still empty; `changed` tells whether it took anything. False with the
// failure in `report`.
bool KeepFormatOwnItems(std::span<const uint8_t> sourceBytes,
                        const std::function<bool(std::vector<uint8_t>&)>& readPicture, ImageFormat format,
                        MetadataKept kept, std::vector<uint8_t>& file, bool& changed, Status& report) {
    const bool everything = kept != MetadataKept::Essential;
    if (format != FormatPng && !(format == FormatGif && everything)) return true;
    if (FormatFromSignature(sourceBytes.data(), sourceBytes.size()) != format) return true;
    const std::vector<uint8_t> source(sourceBytes.begin(), sourceBytes.end());
    if (file.empty() && !readPicture(file)) {
        report.failure = {Domain::Metadata, "the written picture could not be read back"};
        return false;
    }
    const size_t before = file.size();
    const bool walked = format == FormatPng ? CopyPngChunks(source, file, everything, report)
                                            : CopyGifComments(source, file, report);
    changed = changed || file.size() != before;
    return walked;
}

bool HoldsMetadata(ImageFormat format) {
    const FormatEntry* entry = FindFormat(format);
    return entry != nullptr && (entry->carries & (kRoomExif | kRoomXmp | kRoomIptc | kRoomIccProfile)) != 0;
}

}  // namespace

Status KeepMetadataInFile(std::span<const uint8_t> source, const std::string& filePath,
                          const std::string& outputPath, int32_t width, int32_t height, MetadataKept kept) {
    const ImageFormat format = FormatFromPath(outputPath);
    const FormatEntry* entry = FindFormat(format);
    if (kept == MetadataKept::None || entry == nullptr || entry->carries == 0) return Status();
    std::vector<uint8_t> file;
    Exiv2::ExifData exif;
    const auto readPicture = [&filePath](std::vector<uint8_t>& bytes) {
        return ReadWholeFile(filePath, bytes, kMostOutputBytes);
    };
    Status report;
    if (HoldsMetadata(format))
        report = WithMetadata(source, readPicture, format, width, height, kept, file, exif);
    if (report.Failed()) return report;
    bool changed = !file.empty();
    if (!KeepFormatOwnItems(source, readPicture, format, kept, file, changed, report)) return report;
    if (changed) {
        std::FILE* out = OpenFileUtf8(filePath, "wb");
        bool written = out != nullptr && std::fwrite(file.data(), 1, file.size(), out) == file.size();
        if (out != nullptr) written = std::fclose(out) == 0 && written;
        if (!written) {
            report.failure = {Domain::Metadata, "the picture could not be written again with its metadata"};
            return report;
        }
    }
    if (!SetTiffDirectory(filePath, format, exif, source))
        report.failure = {Domain::Metadata, "the resolution and colour profile could not be written"};
    return report;
}

Status KeptJpegSegments(std::span<const uint8_t> source, int32_t width, int32_t height, MetadataKept kept,
                        std::vector<uint8_t>& segments) {
    segments.clear();
    if (kept == MetadataKept::None) return Status();
    // exiv2 writes the metadata into the smallest JPEG it takes, start and
    // end of picture only; its segments are then taken out whole.
    const auto readCarrier = [](std::vector<uint8_t>& bytes) {
        bytes = {0xFF, 0xD8, 0xFF, 0xD9};
        return true;
    };
    std::vector<uint8_t> file;
    Exiv2::ExifData exif;
    Status report = WithMetadata(source, readCarrier, FormatJpeg, width, height, kept, file, exif);
    if (report.Failed() || file.empty()) return report;
    size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF &&
           ((file[at + 1] >= 0xE0 && file[at + 1] <= 0xEF) || file[at + 1] == 0xFE)) {
        const size_t length = size_t{file[at + 2]} << 8 | file[at + 3];
        if (length < 2 || length > file.size() - at - 2) break;
        segments.insert(segments.end(), file.begin() + static_cast<std::ptrdiff_t>(at),
                        file.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
        at += 2 + length;
    }
    if (at + 2 != file.size() || file[at] != 0xFF || file[at + 1] != 0xD9) {
        segments.clear();
        report.failure = {Domain::Metadata,
                          "exiv2 gave back metadata segments that do not end where the picture starts"};
    }
    return report;
}

bool EmbedsMetadataBlocks(ImageFormat format) {
    return format == FormatWebp || format == FormatHeif || format == FormatAvif || format == FormatJxl;
}

namespace {

// The metadata of a WebP, HEIF/AVIF or JPEG XL source as its own library
// reads it (exiv2 reads only some of these files), in exiv2's form; false
// when the source is none of these.
bool ReadEmbeddedSource(std::span<const uint8_t> source, Exiv2::ExifData& exif, Exiv2::XmpData& xmp,
                        std::vector<uint8_t>& icc) {
    if (!EmbedsMetadataBlocks(FormatFromSignature(source.data(), source.size()))) return false;
    const EmbeddedMetadata blocks = EmbeddedMetadataOf(source.data(), source.size());
    if (!blocks.exif.empty()) {
        Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(blocks.exif.data()),
                                  static_cast<uint32_t>(blocks.exif.size()));
    }
    if (!blocks.xmp.empty()) Exiv2::XmpParser::decode(xmp, blocks.xmp);
    icc = blocks.icc;
    return true;
}

}  // namespace

Status KeptMetadataBlocks(std::span<const uint8_t> sourceBytes, int32_t width, int32_t height,
                          MetadataKept kept, CImageProperties& options) {
    Status report;
    if (kept == MetadataKept::None) return report;
    Exiv2::ExifData sourceExif;
    Exiv2::XmpData xmp;
    std::vector<uint8_t> icc;
    std::string note;
    try {
        const ExivComplaints gathering(note);
        if (!ReadEmbeddedSource(sourceBytes, sourceExif, xmp, icc)) {
            Exiv2::Image::AutoPtr source = OpenSource(sourceBytes, report);
            if (source.get() == nullptr) return report;
            sourceExif = source->exifData();
            xmp = source->xmpData();
            if (source->iccProfileDefined()) {
                const Exiv2::DataBuf* profile = source->iccProfile();
                icc.assign(profile->pData_, profile->pData_ + std::max<long>(profile->size_, 0));
            }
        }
        const Exiv2::ExifData exif = CopiedExif(sourceExif, width, height, kept);
        if (!exif.empty()) {
            Exiv2::Blob block;
            Exiv2::ExifParser::encode(block, Exiv2::littleEndian, exif);
            options.embedded.exif.assign(block.begin(), block.end());
        }
        if (kept == MetadataKept::NoGps) EraseWhere(xmp, IsLocationKey, false);
        std::string packet;
        if (kept != MetadataKept::Essential && !xmp.empty() && Exiv2::XmpParser::encode(packet, xmp) == 0)
            options.embedded.xmp = packet;
        options.embedded.icc = icc;
    } catch (const std::exception& error) {
        report.failure = {Domain::Metadata, error.what()};
    }
    if (!note.empty()) report.Warn(Domain::Metadata, note);
    return report;
}

}  // namespace stampora
