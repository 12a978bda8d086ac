#pragma once
// The tags of a TIFF page that say what the page is rather than how its
// pixels are stored: its name, description, number and place in the
// document, its resolution, and who made it when. They travel page by page
// in the properties, so that a copy gives every page its own again.
#include <tiffio.h>

#include <vector>

#include "codecs/metadata/ImageProperties.h"

namespace stampora {

// The tags the current page of `tiff` holds.
TiffPageTags ReadTiffPageTags(TIFF* tiff);
// Sets the tags of `tags` on the page being written; those that do not fit
// the tag's kind are passed over.
void WriteTiffPageTags(TIFF* tiff, const TiffPageTags& tags);

// Only the resolution and the page's place in the document, for a copy
// that keeps no other metadata.
std::vector<TiffPageTags> TiffPagesEssentials(std::vector<TiffPageTags> pages);

}  // namespace stampora
