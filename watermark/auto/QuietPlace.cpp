#include "watermark/auto/QuietPlace.h"

#include <limits>

namespace stampora {

namespace {

struct Candidate {
    int32_t alignment;
    int32_t left, top, right, bottom;  // the area the layer covers
    double detail;
};

bool Overlap(const Candidate& a, const Candidate& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

struct Search {
    const std::vector<std::vector<Candidate>>& candidates;
    std::vector<bool> weighed;  // active marks that fit: their detail and overlap count
    bool keepApart;
    std::vector<size_t> current, best;
    double bestDetail = std::numeric_limits<double>::infinity();

    void From(size_t mark, double detail) {
        if (mark == candidates.size()) {
            // Strictly less: the first combination in grid order wins a tie.
            if (detail < bestDetail) {
                bestDetail = detail;
                best = current;
            }
            return;
        }
        for (size_t i = 0; i < candidates[mark].size(); ++i) {
            const Candidate& here = candidates[mark][i];
            bool clear = true;
            for (size_t other = 0; keepApart && weighed[mark] && other < mark; ++other)
                clear = clear && !(weighed[other] && Overlap(here, candidates[other][current[other]]));
            if (!clear) continue;
            current[mark] = i;
            From(mark + 1, detail + (weighed[mark] ? here.detail : 0.0));
        }
    }
};

}  // namespace

std::vector<int32_t> ChooseQuietAnchors(const CPictureSurvey& survey, int32_t pictureWidth,
                                        int32_t pictureHeight, const std::vector<WatermarkBase>& marks) {
    std::vector<std::vector<Candidate>> candidates;
    std::vector<bool> weighed;
    for (const WatermarkBase& mark : marks) {
        std::vector<Candidate>& places = candidates.emplace_back();
        const bool fits = FitsWithinMargins(mark.CoverWidth(), mark.CoverHeight(), pictureWidth,
                                            pictureHeight, mark.margin);
        weighed.push_back(mark.enabled && fits);
        for (const int32_t alignment : kGridOrder) {
            if (mark.alignment != AutoPlace && alignment != mark.alignment) continue;
            WatermarkBase placed = mark;
            placed.alignment = alignment;
            placed.PlaceByAlignment(pictureWidth, pictureHeight);
            const int32_t left = placed.LayerX(), top = placed.LayerY();
            places.push_back({alignment, left, top, left + placed.CoverWidth(), top + placed.CoverHeight(),
                              survey.Detail(left, top, placed.CoverWidth(), placed.CoverHeight())});
            if (!weighed.back()) break;  // any place will do for a mark left off
        }
        // A mark without an anchor lies where it is.
        if (places.empty()) {
            const int32_t left = mark.LayerX(), top = mark.LayerY();
            places.push_back({mark.alignment, left, top, left + mark.CoverWidth(), top + mark.CoverHeight(),
                              survey.Detail(left, top, mark.CoverWidth(), mark.CoverHeight())});
        }
    }
    Search search{candidates, weighed, true, std::vector<size_t>(marks.size(), 0), {}};
    search.From(0, 0.0);
    if (search.best.empty()) {
        search.keepApart = false;
        search.From(0, 0.0);
    }
    std::vector<int32_t> anchors;
    for (size_t i = 0; i < marks.size(); ++i) anchors.push_back(candidates[i][search.best[i]].alignment);
    return anchors;
}

}  // namespace stampora
