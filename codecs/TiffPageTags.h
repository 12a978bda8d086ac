#pragma once
// The tags of a TIFF page that say what the page is rather than how its
// pixels are stored: its name, description, number and place in the
// document, its resolution, and who made it when. They travel page by page
// in one property, so that a copy gives every page its own again.
#include <tiffio.h>

#include <cstdint>
#include <string>
#include <vector>

namespace stampora {

// One page's tags as "number=value" texts.
using TiffPageTags = std::vector<std::string>;

// The tags the current page of `tiff` holds.
TiffPageTags ReadTiffPageTags(TIFF* tiff);
// Sets the tags of `tags` on the page being written; those that do not fit
// the tag's kind are passed over.
void WriteTiffPageTags(TIFF* tiff, const TiffPageTags& tags);

// Every page's tags in one text, and back.
std::string JoinTiffPages(const std::vector<TiffPageTags>& pages);
std::vector<TiffPageTags> SplitTiffPages(const std::string& text);

// Only the resolution and the page's place in the document, for a copy
// that keeps no other metadata.
std::string TiffPagesEssentials(const std::string& text);

}  // namespace stampora
