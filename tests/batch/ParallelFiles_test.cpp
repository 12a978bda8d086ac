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
// budget, which runs alone; every position runs once.
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
    plan.cost = [&](int32_t position) { return costs[static_cast<size_t>(position)]; };
    ForEachFileInParallel(static_cast<int32_t>(costs.size()), plan,
                          [&](int32_t position, CRasterImage& work) {
                              const int64_t cost = costs[static_cast<size_t>(position)];
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
    std::vector<int32_t> expected(costs.size());
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<int32_t>(i);
    EXPECT_EQ(started, expected);
}

}  // namespace
