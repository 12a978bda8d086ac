#include "platform/PixelMemory.h"

#include <atomic>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {
// Below this, the ordinary heap is as fast and keeps the checks of memory tools.
constexpr size_t kSystemBlockBytes = size_t{8} << 20;

std::atomic<size_t> largestBlock{0};
}  // namespace

void LimitPixelBlockBytes(size_t bytes) {
    largestBlock.store(bytes, std::memory_order_relaxed);
}

void* AllocatePixelMemory(size_t bytes) {
    const size_t limit = largestBlock.load(std::memory_order_relaxed);
    if (limit != 0 && bytes > limit) return nullptr;
#ifdef __linux__
    if (bytes >= kSystemBlockBytes) {
        void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) return nullptr;
        ::madvise(block, bytes, MADV_HUGEPAGE);
        return block;
    }
#endif
    return std::calloc(bytes != 0 ? bytes : 1, 1);
}

void FreePixelMemory(void* block, size_t bytes) {
    if (block == nullptr) return;
#ifdef __linux__
    if (bytes >= kSystemBlockBytes) {
        ::munmap(block, bytes);
        return;
    }
#endif
    std::free(block);
}
