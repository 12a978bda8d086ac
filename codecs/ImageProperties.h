#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace stampora {

// Well-known keys of the property store.
constexpr int32_t kPropertySaveQuality = 500;
constexpr int32_t kPropertyTgaRunLength = 1000;
// Each frame's delay in milliseconds, 16 decimal digits per frame.
constexpr int32_t kPropertyFrameDelays = 2000;
// A JPEG's chroma subsampling as the luminance sampling factors, "2x2"
// (4:2:0), "2x1" (4:2:2) or "1x1" (4:4:4); absent: the writer's default.
constexpr int32_t kPropertyJpegSampling = 2001;
// Metadata segments for a JPEG writer to put after its JFIF header (APPn
// and COM segments as they stand in a JPEG file, each from its FF on), in
// place of the EXIF it would make from the properties.
constexpr int32_t kPropertyJpegSegments = 2002;
// The tags that say what each page of a TIFF is (its name, description,
// number and resolution), page by page, as TiffPageTags.h writes them.
constexpr int32_t kPropertyTiffPageTags = 2100;
// Metadata for the writers that embed it whole as they encode: the EXIF block
// (TIFF-structured, from its byte-order mark), the XMP packet and the ICC
// profile, each as its bytes.
constexpr int32_t kPropertyExifBlock = 2003;
constexpr int32_t kPropertyXmpPacket = 2004;
constexpr int32_t kPropertyIccProfile = 2005;
// Times an animation plays after its first showing, 0 for ever; absent: once.
constexpr int32_t kPropertyLoopCount = 0x5101;
constexpr int32_t kPropertyJpegQuality = 0x5010;

// Key-to-text pairs that travel beside a picture, in insertion order; keys
// are unique (setting an existing key replaces its text in place).
class CImageProperties {
public:
    void SetValue(int32_t key, const std::string& text);
    // The text of a key, empty when the key is absent.
    std::string GetValue(int32_t key) const;
    bool HasKey(int32_t key) const;
    void CopyFrom(const CImageProperties& other);

    size_t Count() const { return keys.size(); }
    int32_t KeyAt(size_t i) const { return keys[i]; }
    const std::string& TextAt(size_t i) const { return texts[i]; }

private:
    std::vector<int32_t> keys;
    std::vector<std::string> texts;
};

// One frame's delay as the frame-delay property holds it, and the delay of
// frame `i` in such a text (0 where it says nothing).
std::string FrameDelayText(int64_t milliseconds);
int64_t FrameDelayAt(const std::string& delays, size_t i);

}  // namespace stampora
