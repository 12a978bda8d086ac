#include "batch/ParallelFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace stampora;

namespace {

// Four workers over pictures of mixed cost under a budget of 10: the costs
// running at once never pass it, except a picture larger than the whole
// budget, which runs alone; every position runs once, and one that reserves
// nothing holds up no other.
TEST(ParallelFilesTest, StepsRunWithinTheMemoryBudget) {
    const std::vector<int64_t> costs = {6, 3, 3, 12, 1, 4, 5, 2, 9, 1, 1, 1};
    std::mutex mutex;
    int64_t running = 0;
    int32_t runningSteps = 0;
    bool passed = false;
    std::vector<int32_t> started;
    ParallelPlan plan;
    plan.jobs = 4;
    plan.memoryBudget = 10;
    ForEachFileInParallel(static_cast<int32_t>(costs.size()), plan,
                          [&](int32_t position, CRasterImage& work, StepMemory& memory) {
                              const int64_t cost = costs[static_cast<size_t>(position)];
                              // Every third step does not reserve (a file skipped
                              // early): it holds nothing and blocks nobody.
                              if (position % 3 == 2) return;
                              // What a step learns from its file before reserving.
                              std::this_thread::sleep_for(std::chrono::milliseconds(position % 4));
                              memory.Reserve(cost);
                              {
                                  const std::lock_guard<std::mutex> lock(mutex);
                                  started.push_back(position);
                                  running += cost;
                                  ++runningSteps;
                                  passed = passed || (running > plan.memoryBudget && runningSteps > 1);
                              }
                              work.Create(8, 8, 32);
                              std::this_thread::sleep_for(std::chrono::milliseconds(5 + (position * 7) % 11));
                              const std::lock_guard<std::mutex> lock(mutex);
                              running -= cost;
                              --runningSteps;
                          });
    EXPECT_FALSE(passed);
    std::sort(started.begin(), started.end());
    std::vector<int32_t> expected;
    for (int32_t i = 0; i < static_cast<int32_t>(costs.size()); ++i)
        if (i % 3 != 2) expected.push_back(i);
    EXPECT_EQ(started, expected);
}

}  // namespace
