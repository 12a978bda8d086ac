#pragma once
// The automatic place of marks anchored AutoPlace: of the nine anchored
// places (each with its margin), the one where the mark covers the least
// detail of the picture, marks never overlapping one another.
#include <cstdint>
#include <vector>

#include "watermark/WatermarkBase.h"
#include "watermark/auto/PictureSurvey.h"

namespace stampora {

// The anchor for each of `marks` (placement records with their sizes and
// margins, as made for this picture): a mark anchored AutoPlace gets the
// place of least detail, any other keeps its own anchor (one with none, such
// as a mark put in place by hand, lies where its x and y put it). Every combination
// is weighed, so the marks' detail together is least and no two active
// marks that fit the picture overlap (when no combination keeps them apart,
// they go where their detail together is least). Equal places are taken in
// the grid's order (kGridOrder), the first mark's before the next one's, so
// the choice is the same on every run. An inactive mark, or one that does not
// fit inside the picture with its margin, plays no part: it gets kGridOrder's
// first place when anchored AutoPlace.
std::vector<int32_t> ChooseQuietAnchors(const CPictureSurvey& survey, int32_t pictureWidth,
                                        int32_t pictureHeight, const std::vector<WatermarkBase>& marks);

}  // namespace stampora
