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
};

// A step's share of the memory budget. A step learns what it will hold (a
// picture, its decoder's working memory) from its file's header, so it
// reserves its bytes itself, before it holds them.
class StepMemory {
public:
    // Waits until the steps before this one have reserved theirs and `bytes`
    // fit the budget beside the steps running; one that does not fit the
    // budget at all waits to run alone. The worker's work picture is freed
    // before a wait. Once a step; a step that reserves nothing holds nothing
    // of the budget, and the steps after it wait for it to end.
    virtual void Reserve(int64_t bytes) = 0;

protected:
    ~StepMemory() = default;
};

// Calls `step(position, work, memory)` once for every position 0..count-1,
// on up to `plan.jobs` workers. Each worker owns one work picture, reused for
// the files it takes and freed at the end; workers take the positions in
// order as they become free, and pass their reservations in that order. One
// job runs every step on the calling thread; otherwise the calling thread is
// one of the workers. When fewer threads can be started than asked for, the
// ones that started share the list.
void ForEachFileInParallel(int32_t count, const ParallelPlan& plan,
                           const std::function<void(int32_t, CRasterImage&, StepMemory&)>& step);

}  // namespace stampora
