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

// Hands out the positions in order and admits each step's memory in the same
// order when it fits.
class StepAdmission {
public:
    StepAdmission(int32_t count, const ParallelPlan& plan) : count(count), plan(plan) {}

    // The next position, or -1 when none is left.
    int32_t Next() {
        const std::lock_guard<std::mutex> lock(mutex);
        return next < count ? next++ : -1;
    }

    // Admits `position` holding `bytes`, in position order and within the
    // budget; frees `work` before waiting.
    void Admit(int32_t position, int64_t bytes, CRasterImage& work) {
        std::unique_lock<std::mutex> lock(mutex);
        const int64_t need = plan.memoryBudget <= 0 ? 0 : std::max<int64_t>(bytes, 0);
        const auto ready = [&] {
            return position == admitted &&
                   (plan.memoryBudget <= 0 || used == 0 || used + need <= plan.memoryBudget);
        };
        if (!ready()) {
            lock.unlock();
            work.Destroy();
            ReleaseSparePixelMemory();
            lock.lock();
            changed.wait(lock, ready);
        }
        used += need;
        ++admitted;
        changed.notify_all();
    }

    // The step ended, giving back what it held.
    void Release(int64_t bytes) {
        const std::lock_guard<std::mutex> lock(mutex);
        used -= plan.memoryBudget <= 0 ? 0 : std::max<int64_t>(bytes, 0);
        changed.notify_all();
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

// One step's reservation: made at most once, and made (for nothing) when the
// step ends without one, so the steps after it are not held up.
class StepReservation final : public StepMemory {
public:
    StepReservation(StepAdmission& admission, int32_t position, CRasterImage& work)
        : admission(admission), position(position), work(work) {}
    ~StepReservation() {
        if (!reserved) admission.Admit(position, 0, work);
        admission.Release(held);
    }
    StepReservation(const StepReservation&) = delete;
    StepReservation& operator=(const StepReservation&) = delete;

    void Reserve(int64_t bytes) override {
        if (reserved) return;
        admission.Admit(position, bytes, work);
        reserved = true;
        held = bytes;
    }

private:
    StepAdmission& admission;
    const int32_t position;
    CRasterImage& work;
    bool reserved = false;
    int64_t held = 0;
};

}  // namespace

void ForEachFileInParallel(int32_t count, const ParallelPlan& plan,
                           const std::function<void(int32_t, CRasterImage&, StepMemory&)>& step) {
    StepAdmission admission(count, plan);
    auto worker = [&]() {
        CRasterImage work;
        for (int32_t position = admission.Next(); position >= 0; position = admission.Next()) {
            StepReservation memory(admission, position, work);
            step(position, work, memory);
        }
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
