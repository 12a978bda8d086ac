#include "text/FaceCache.h"

#include <hb-ft.h>

namespace stampora {

CFaceCache::CFaceCache() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
}

CFaceCache::~CFaceCache() {
    for (auto& [key, cached] : faces) {
        if (cached.font) hb_font_destroy(cached.font);
        if (cached.face) FT_Done_Face(cached.face);
    }
    if (library) FT_Done_FreeType(library);
}

const CachedFace* CFaceCache::Get(const std::string& file, int32_t index) {
    if (!library) return nullptr;
    const auto key = std::make_pair(file, index);
    auto it = faces.find(key);
    if (it == faces.end()) {
        CachedFace cached;
        if (FT_New_Face(library, file.c_str(), index, &cached.face) != 0) {
            cached.face = nullptr;
        } else if (!FT_IS_SCALABLE(cached.face) &&
                   !(FT_HAS_COLOR(cached.face) && cached.face->num_fixed_sizes > 0)) {
            // Outlines can be drawn at any size, slanted and emboldened;
            // colour bitmaps (emoji) are scaled to the text's size. Other
            // bitmap fonts are left to faces that can.
            FT_Done_Face(cached.face);
            cached.face = nullptr;
        } else {
            cached.font = hb_ft_font_create_referenced(cached.face);
        }
        it = faces.emplace(key, cached).first;
    }
    return (it->second.face && it->second.font) ? &it->second : nullptr;
}

}  // namespace stampora
