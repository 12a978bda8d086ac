#include "platform/PixelMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>

using namespace stampora;

namespace {

constexpr size_t kLarge = size_t{24} << 20;

bool AllZero(const void* block, size_t bytes) {
    const auto* begin = static_cast<const uint8_t*>(block);
    return std::all_of(begin, begin + bytes, [](uint8_t b) { return b == 0; });
}

// A worker's next picture reuses the pages of its last one, and still starts
// zero-filled, however the last one was written.
TEST(PixelMemory, AThreadReusesItsLargeBlocksZeroed) {
    void* first = AllocatePixelMemory(kLarge);
    void* second = AllocatePixelMemory(kLarge / 2);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    std::memset(first, 0xAB, kLarge);
    std::memset(second, 0xCD, kLarge / 2);
    FreePixelMemory(second, kLarge / 2);
    FreePixelMemory(first, kLarge);

    // Each request takes the block that fits it best.
    void* smaller = AllocatePixelMemory(kLarge / 2 - 4096);
    void* larger = AllocatePixelMemory(kLarge - 100);
    EXPECT_EQ(smaller, second);
    EXPECT_EQ(larger, first);
    EXPECT_TRUE(AllZero(smaller, kLarge / 2 - 4096));
    EXPECT_TRUE(AllZero(larger, kLarge - 100));
    FreePixelMemory(smaller, kLarge / 2 - 4096);
    FreePixelMemory(larger, kLarge - 100);

    // Small pictures come from the heap; other threads never get this
    // thread's blocks.
    void* small = AllocatePixelMemory(kLarge / 4);
    EXPECT_NE(small, first);
    EXPECT_NE(small, second);
    void* elsewhere = nullptr;
    std::thread([&] {
        elsewhere = AllocatePixelMemory(kLarge);
        FreePixelMemory(elsewhere, kLarge);
    }).join();
    EXPECT_NE(elsewhere, first);
    FreePixelMemory(small, kLarge / 4);
    ReleaseSparePixelMemory();

    // A limit still refuses large blocks, kept ones included.
    LimitPixelBlockBytes(kLarge / 2);
    EXPECT_EQ(AllocatePixelMemory(kLarge), nullptr);
    LimitPixelBlockBytes(0);
}

}  // namespace
