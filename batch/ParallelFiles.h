#pragma once
// Runs a batch run's per-file step over the file list on one or more workers,
// within one memory budget.
#include <cstdint>
#include <functional>

#include "image/RasterImage.h"

namespace stampora {

struct ParallelPlan {
    int32_t jobs = 1;
    // Bytes the workers' pictures may take at once; 0: no limit.
    int64_t memoryBudget = 0;
    // Bytes the step at a position will hold (a picture, its decoder's
    // working memory); not asked without a budget.
    std::function<int64_t(int32_t position)> cost;
};

// Calls `step(position, work)` once for every position 0..count-1, on up to
// `plan.jobs` workers. Each worker owns one work picture, reused for the
// files it takes and freed at the end; workers start the positions in order
// as they become free. Under a budget a step starts only when its cost fits
// beside the steps running; one that does not fit the budget at all runs
// alone. A worker that must wait frees its work picture first. One job runs
// every step on the calling thread; otherwise the calling thread is one of
// the workers. When fewer threads can be started than asked for, the ones
// that started share the list.
void ForEachFileInParallel(int32_t count, const ParallelPlan& plan,
                           const std::function<void(int32_t, CRasterImage&)>& step);

}  // namespace stampora
