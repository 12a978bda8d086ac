#pragma once
// Font faces opened once per file and face index and kept for the life of
// the process, each with its HarfBuzz font, so laying out a text again (a
// watermark rebuilt on every change) opens no file.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace stampora {

struct CachedFace {
    FT_Face face = nullptr;
    hb_font_t* font = nullptr;
};

class CFaceCache {
public:
    CFaceCache();
    ~CFaceCache();
    CFaceCache(const CFaceCache&) = delete;
    CFaceCache& operator=(const CFaceCache&) = delete;

    // The face of the file, opened on first use; nothing when FreeType cannot
    // open it (a failure is remembered, so the file is tried once).
    const CachedFace* Get(const std::string& file, int32_t index);

private:
    FT_Library library = nullptr;
    std::map<std::pair<std::string, int32_t>, CachedFace> faces;
};

}  // namespace stampora
