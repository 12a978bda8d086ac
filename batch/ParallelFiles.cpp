#include "batch/ParallelFiles.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/PixelMemory.h"

namespace stampora {

namespace {

// Hands out the positions in order and admits each step when its memory fits.
class StepAdmission {
public:
    StepAdmission(int32_t count, const ParallelPlan& plan) : count(count), plan(plan) {}

    // The next position for a worker that holds `held` bytes from its last
    // step (updated to what it holds now), or -1 when none is left. Frees
    // `work` before waiting for memory.
    int32_t Next(int64_t& held, CRasterImage& work) {
        std::unique_lock<std::mutex> lock(mutex);
        const int32_t position = next < count ? next++ : -1;
        const int64_t need =
            position < 0 || plan.memoryBudget <= 0 ? 0 : std::max<int64_t>(plan.cost(position), 0);
        const auto fits = [&](int64_t inUse) {
            return plan.memoryBudget <= 0 || inUse == 0 || inUse + need <= plan.memoryBudget;
        };
        used -= held;
        held = 0;
        if (position < 0) {
            changed.notify_all();
            return -1;
        }
        // The step reuses the worker's last picture only when it may start at
        // once; otherwise that memory goes back before the wait.
        if (position != admitted || !fits(used)) {
            changed.notify_all();
            lock.unlock();
            work.Destroy();
            ReleaseSparePixelMemory();
            lock.lock();
            changed.wait(lock, [&] { return position == admitted && fits(used); });
        }
        used += need;
        held = need;
        ++admitted;
        changed.notify_all();
        return position;
    }

private:
    const int32_t count;
    const ParallelPlan& plan;
    std::mutex mutex;
    std::condition_variable changed;
    int32_t next = 0;
    int32_t admitted = 0;
    int64_t used = 0;
};

}  // namespace

void ForEachFileInParallel(int32_t count, const ParallelPlan& plan,
                           const std::function<void(int32_t, CRasterImage&)>& step) {
    StepAdmission admission(count, plan);
    auto worker = [&]() {
        CRasterImage work;
        int64_t held = 0;
        for (int32_t position = admission.Next(held, work); position >= 0;
             position = admission.Next(held, work))
            step(position, work);
        work.Destroy();
        ReleaseSparePixelMemory();
    };

    const int32_t helpers = std::max(0, std::min(plan.jobs, count) - 1);
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
