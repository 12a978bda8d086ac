#pragma once
// Runs a batch run's per-file step over the file list on one or more workers.
#include <cstdint>
#include <functional>

#include "image/RasterImage.h"

namespace stampora {

// Calls `step(index, work)` once for every index 0..count-1, on up to `jobs`
// workers. Each worker owns one work picture, reused for all the files it
// takes and freed at the end; workers take the next index in list order as
// they become free. One job runs every step on the calling thread; otherwise
// the calling thread is one of the workers. When fewer threads can be started
// than asked for, the ones that started share the list.
void ForEachFileInParallel(int32_t count, int32_t jobs,
                           const std::function<void(int32_t, CRasterImage&)>& step);

}  // namespace stampora
