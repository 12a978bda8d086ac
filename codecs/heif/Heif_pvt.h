#pragma once
// What the HEIF reader and writer share.
#include <libheif/heif.h>

#include <cstddef>

namespace stampora {

// A metadata block larger than this is a hostile file's, not a camera's.
constexpr size_t kMostMetadataBytes = size_t{16} << 20;

// A libheif context, freed with its owner.
struct HeifContext {
    heif_context* get = heif_context_alloc();
    HeifContext() = default;
    HeifContext(const HeifContext&) = delete;
    HeifContext& operator=(const HeifContext&) = delete;
    ~HeifContext() { heif_context_free(get); }
};

}  // namespace stampora
