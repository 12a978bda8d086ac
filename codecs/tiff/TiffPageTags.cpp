#include "codecs/tiff/TiffPageTags.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace stampora {

namespace {

enum class TagKind { Text, Number, Short, ShortPair, Long };

struct PageTag {
    uint32_t tag;
    TagKind kind;
    bool essential;  // kept when no other metadata is
};

constexpr PageTag kPageTags[] = {
    {TIFFTAG_SUBFILETYPE, TagKind::Long, true},
    {TIFFTAG_DOCUMENTNAME, TagKind::Text, false},
    {TIFFTAG_IMAGEDESCRIPTION, TagKind::Text, false},
    {TIFFTAG_MAKE, TagKind::Text, false},
    {TIFFTAG_MODEL, TagKind::Text, false},
    {TIFFTAG_XRESOLUTION, TagKind::Number, true},
    {TIFFTAG_YRESOLUTION, TagKind::Number, true},
    {TIFFTAG_PAGENAME, TagKind::Text, false},
    {TIFFTAG_XPOSITION, TagKind::Number, false},
    {TIFFTAG_YPOSITION, TagKind::Number, false},
    {TIFFTAG_RESOLUTIONUNIT, TagKind::Short, true},
    {TIFFTAG_PAGENUMBER, TagKind::ShortPair, true},
    {TIFFTAG_SOFTWARE, TagKind::Text, false},
    {TIFFTAG_DATETIME, TagKind::Text, false},
    {TIFFTAG_ARTIST, TagKind::Text, false},
    {TIFFTAG_HOSTCOMPUTER, TagKind::Text, false},
    {TIFFTAG_COPYRIGHT, TagKind::Text, false},
};

const PageTag* Find(uint32_t tag) {
    for (const PageTag& known : kPageTags) {
        if (known.tag == tag) return &known;
    }
    return nullptr;
}

std::string ValueOf(TIFF* tiff, const PageTag& known) {
    switch (known.kind) {
        case TagKind::Text: {
            const char* text = nullptr;
            if (!TIFFGetField(tiff, known.tag, &text) || text == nullptr) return {};
            return text;
        }
        case TagKind::Number: {
            float number = 0;
            if (!TIFFGetField(tiff, known.tag, &number) || !std::isfinite(number) || number < 0) return {};
            char text[32];
            std::snprintf(text, sizeof text, "%.9g", static_cast<double>(number));
            return text;
        }
        case TagKind::Short: {
            uint16_t number = 0;
            return TIFFGetField(tiff, known.tag, &number) ? std::to_string(number) : std::string();
        }
        case TagKind::ShortPair: {
            uint16_t first = 0;
            uint16_t second = 0;
            if (!TIFFGetField(tiff, known.tag, &first, &second)) return {};
            return std::to_string(first) + " " + std::to_string(second);
        }
        case TagKind::Long: {
            uint32_t number = 0;
            return TIFFGetField(tiff, known.tag, &number) ? std::to_string(number) : std::string();
        }
    }
    return {};
}

// A whole number of at most `most`, or -1.
long long WholeNumber(const char* text, char** end, long long most) {
    const long long value = std::strtoll(text, end, 10);
    return *end != text && value >= 0 && value <= most ? value : -1;
}

void SetValue(TIFF* tiff, const PageTag& known, const std::string& value) {
    char* end = nullptr;
    switch (known.kind) {
        case TagKind::Text:
            TIFFSetField(tiff, known.tag, value.c_str());
            return;
        case TagKind::Number: {
            const double number = std::strtod(value.c_str(), &end);
            if (end != value.c_str() && std::isfinite(number) && number >= 0)
                TIFFSetField(tiff, known.tag, number);
            return;
        }
        case TagKind::Short: {
            const long long number = WholeNumber(value.c_str(), &end, 0xFFFF);
            if (number >= 0) TIFFSetField(tiff, known.tag, static_cast<int>(number));
            return;
        }
        case TagKind::ShortPair: {
            const long long first = WholeNumber(value.c_str(), &end, 0xFFFF);
            const long long second = first >= 0 ? WholeNumber(end, &end, 0xFFFF) : -1;
            if (second >= 0) TIFFSetField(tiff, known.tag, static_cast<int>(first), static_cast<int>(second));
            return;
        }
        case TagKind::Long: {
            const long long number = WholeNumber(value.c_str(), &end, 0xFFFFFFFF);
            if (number >= 0) TIFFSetField(tiff, known.tag, static_cast<uint32_t>(number));
            return;
        }
    }
}

}  // namespace

TiffPageTags ReadTiffPageTags(TIFF* tiff) {
    TiffPageTags tags;
    for (const PageTag& known : kPageTags) {
        const std::string value = ValueOf(tiff, known);
        if (!value.empty()) tags.push_back({known.tag, value});
    }
    return tags;
}

void WriteTiffPageTags(TIFF* tiff, const TiffPageTags& tags) {
    for (const TiffPageTag& item : tags) {
        const PageTag* known = Find(item.tag);
        if (known != nullptr) SetValue(tiff, *known, item.value);
    }
}

std::vector<TiffPageTags> TiffPagesEssentials(std::vector<TiffPageTags> pages) {
    for (TiffPageTags& tags : pages) {
        tags.erase(std::remove_if(tags.begin(), tags.end(),
                                  [](const TiffPageTag& item) {
                                      const PageTag* known = Find(item.tag);
                                      return known == nullptr || !known->essential;
                                  }),
                   tags.end());
    }
    return pages;
}

}  // namespace stampora
