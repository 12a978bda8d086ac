#include "text/FontCatalog.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

namespace stampora {

namespace {

std::mutex catalogMutex;

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// Alphabetical order as a reader expects it: letter case aside. Names that
// differ only in case are one family to fontconfig, and listed once.
struct AlphabeticalOrder {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) { return LowerAscii(x) < LowerAscii(y); });
    }
};
using FamilySet = std::set<std::string, AlphabeticalOrder>;

// Fontconfig reads its configuration once; later calls reuse it.
bool FontconfigReady() {
    static const bool ready = FcInit() == FcTrue;
    return ready;
}

// The names a font is listed under: its English family names, or its first
// name when it has no English one.
void AddListedNames(FcPattern* font, FamilySet& names) {
    bool added = false;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        FcChar8* language = nullptr;
        const bool english = FcPatternGetString(font, FC_FAMILYLANG, i, &language) != FcResultMatch ||
                             std::string_view(reinterpret_cast<const char*>(language)) == "en";
        const std::string family(reinterpret_cast<const char*>(name));
        if (english && !family.empty() && family[0] != '@') {
            names.insert(family);
            added = true;
        }
    }
    if (!added && FcPatternGetString(font, FC_FAMILY, 0, &name) == FcResultMatch) {
        const std::string family(reinterpret_cast<const char*>(name));
        if (!family.empty() && family[0] != '@') names.insert(family);
    }
}

std::vector<std::string> ListFamilies() {
    FamilySet names;
    if (!FontconfigReady()) return {};
    FcPattern* all = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, nullptr);
    FcFontSet* fonts = (all && objects) ? FcFontList(nullptr, all, objects) : nullptr;
    if (fonts) {
        for (int i = 0; i < fonts->nfont; ++i) AddListedNames(fonts->fonts[i], names);
        FcFontSetDestroy(fonts);
    }
    if (objects) FcObjectSetDestroy(objects);
    if (all) FcPatternDestroy(all);
    return {names.begin(), names.end()};
}

const std::vector<std::string>& Families() {
    static const std::vector<std::string> families = ListFamilies();
    return families;
}

const std::string* ListedFamily(std::string_view family) {
    for (const std::string& name : Families()) {
        if (EqualIgnoringCase(name, family)) return &name;
    }
    return nullptr;
}

bool HasFamily(FcPattern* font, std::string_view family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (EqualIgnoringCase(reinterpret_cast<const char*>(name), family)) return true;
    }
    return false;
}

// Adds the weight and slant asked for and fontconfig's usual defaults.
void PrepareForMatching(FcPattern* pattern, bool bold, bool italic) {
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
}

std::optional<FaceLocation> LocationOf(FcPattern* font, bool bold, bool italic) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return std::nullopt;
    FaceLocation location;
    location.file = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch) location.index = index;
    int weight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(font, FC_SLANT, 0, &slant);
    // Fontconfig's own configuration may already mark a face for emboldening
    // or slanting (and then reports the style asked for); either way the
    // engine adds the styling itself.
    FcBool embolden = FcFalse;
    FcPatternGetBool(font, FC_EMBOLDEN, 0, &embolden);
    FcMatrix* matrix = nullptr;
    const bool sheared =
        FcPatternGetMatrix(font, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix->xy != 0.0;
    location.syntheticBold = bold && (weight < FC_WEIGHT_DEMIBOLD || embolden == FcTrue);
    location.syntheticOblique = italic && (slant == FC_SLANT_ROMAN || sheared);
    return location;
}

std::optional<FaceLocation> MatchFamily(const std::string& family, bool bold, bool italic) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return std::nullopt;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    PrepareForMatching(pattern, bold, italic);
    FcResult result = FcResultNoMatch;
    FcPattern* font = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!font) return std::nullopt;
    // Fontconfig answers some font for any name; only a face of the family
    // itself counts.
    std::optional<FaceLocation> location;
    if (HasFamily(font, family)) location = LocationOf(font, bold, italic);
    FcPatternDestroy(font);
    return location;
}

std::optional<FaceLocation> MatchCharacter(char32_t character, bool bold, bool italic, bool colour) {
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* wanted = FcCharSetCreate();
    if (!pattern || !wanted) {
        if (pattern) FcPatternDestroy(pattern);
        if (wanted) FcCharSetDestroy(wanted);
        return std::nullopt;
    }
    FcCharSetAddChar(wanted, character);
    FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
    FcCharSetDestroy(wanted);
    if (colour) FcPatternAddBool(pattern, FC_COLOR, FcTrue);
    PrepareForMatching(pattern, bold, italic);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    std::optional<FaceLocation> location;
    if (fonts) {
        for (int i = 0; i < fonts->nfont && !location; ++i) {
            FcCharSet* has = nullptr;
            FcBool isColour = FcFalse;
            if (colour &&
                (FcPatternGetBool(fonts->fonts[i], FC_COLOR, 0, &isColour) != FcResultMatch || !isColour))
                continue;
            if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &has) == FcResultMatch &&
                FcCharSetHasChar(has, character)) {
                FcPattern* font = FcFontRenderPrepare(nullptr, pattern, fonts->fonts[i]);
                if (font) {
                    location = LocationOf(font, bold, italic);
                    FcPatternDestroy(font);
                }
            }
        }
        FcFontSetDestroy(fonts);
    }
    FcPatternDestroy(pattern);
    return location;
}

}  // namespace

const std::vector<std::string>& InstalledFontFamilies() {
    std::lock_guard<std::mutex> lock(catalogMutex);
    return Families();
}

bool IsInstalledFamily(std::string_view family) {
    std::lock_guard<std::mutex> lock(catalogMutex);
    return ListedFamily(family) != nullptr;
}

std::optional<FaceLocation> FindFace(std::string_view family, bool bold, bool italic) {
    std::lock_guard<std::mutex> lock(catalogMutex);
    const std::string* listed = ListedFamily(family);
    if (!listed) return std::nullopt;
    using Key = std::tuple<std::string, bool, bool>;
    static std::map<Key, std::optional<FaceLocation>> found;
    const Key key{*listed, bold, italic};
    auto it = found.find(key);
    if (it == found.end()) it = found.emplace(key, MatchFamily(*listed, bold, italic)).first;
    return it->second;
}

std::optional<FaceLocation> FindFallbackFace(char32_t character, bool bold, bool italic, bool colour) {
    std::lock_guard<std::mutex> lock(catalogMutex);
    if (!FontconfigReady()) return std::nullopt;
    using Key = std::tuple<char32_t, bool, bool, bool>;
    static std::map<Key, std::optional<FaceLocation>> found;
    const Key key{character, bold, italic, colour};
    auto it = found.find(key);
    if (it == found.end()) it = found.emplace(key, MatchCharacter(character, bold, italic, colour)).first;
    return it->second;
}

// Fontconfig keeps a few bytes of its configuration parsing unreachable for
// the life of the process (even after FcFini). The leak checker of sanitizer
// builds reads this list. Its stacks stop inside the library, which is built
// without frame pointers, so the library as a whole is named; our own use of
// it frees every pattern, set and character set it makes.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

}  // namespace stampora
