#include "batch/ParallelFiles.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/PixelMemory.h"

namespace stampora {

void ForEachFileInParallel(int32_t count, int32_t jobs,
                           const std::function<void(int32_t, CRasterImage&)>& step) {
    std::atomic<int32_t> next{0};
    auto worker = [&]() {
        CRasterImage work;
        for (int32_t index = next.fetch_add(1); index < count; index = next.fetch_add(1)) step(index, work);
        work.Destroy();
        ReleaseSparePixelMemory();
    };

    const int32_t helpers = std::max(0, std::min(jobs, count) - 1);
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(helpers));
    for (int32_t i = 0; i < helpers; ++i) {
        try {
            threads.emplace_back(worker);
        } catch (const std::system_error&) {
            break;
        }
    }
    worker();
    for (std::thread& thread : threads) thread.join();
}

}  // namespace stampora
