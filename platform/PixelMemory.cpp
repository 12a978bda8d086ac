#include "platform/PixelMemory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace stampora {

namespace {
// Below this, the ordinary heap is as fast and keeps the checks of memory tools.
constexpr size_t kSystemBlockBytes = size_t{8} << 20;

std::atomic<size_t> largestBlock{0};

#ifdef __linux__
// A large block starts with one page holding its mapped size, so that a block
// handed out again for a smaller picture is still unmapped whole.
constexpr size_t kHeaderBytes = 4096;

size_t& MappedBytes(void* block) {
    return *static_cast<size_t*>(static_cast<void*>(static_cast<char*>(block) - kHeaderBytes));
}

void Unmap(void* block) {
    ::munmap(static_cast<char*>(block) - kHeaderBytes, MappedBytes(block));
}

// The large blocks a thread freed last, kept for its next pictures: a worker
// that opens one picture after another (and makes each 32-bit) reuses the
// same pages instead of mapping fresh zeroed ones and unmapping them, which
// costs system time that grows with every thread of the process.
struct SpareBlocks {
    static constexpr int kKept = 2;
    void* blocks[kKept] = {};

    ~SpareBlocks() { Release(); }
    void Release() {
        for (void*& block : blocks) {
            if (block != nullptr) Unmap(block);
            block = nullptr;
        }
    }
    // The smallest kept block that holds `bytes` without wasting more than
    // as much again.
    void* Take(size_t bytes) {
        int best = -1;
        for (int i = 0; i < kKept; ++i) {
            if (blocks[i] == nullptr) continue;
            const size_t usable = MappedBytes(blocks[i]) - kHeaderBytes;
            if (usable < bytes || usable / 2 > bytes) continue;
            if (best < 0 || usable < MappedBytes(blocks[best]) - kHeaderBytes) best = i;
        }
        if (best < 0) return nullptr;
        void* block = blocks[best];
        blocks[best] = nullptr;
        return block;
    }
    // Keeps the block in a free place, or in place of a smaller one.
    void Keep(void* block) {
        int smallest = 0;
        for (int i = 0; i < kKept; ++i) {
            if (blocks[i] == nullptr) {
                blocks[i] = block;
                return;
            }
            if (MappedBytes(blocks[i]) < MappedBytes(blocks[smallest])) smallest = i;
        }
        if (MappedBytes(blocks[smallest]) < MappedBytes(block)) std::swap(block, blocks[smallest]);
        Unmap(block);
    }
};

thread_local SpareBlocks spareBlocks;
#endif
}  // namespace

void LimitPixelBlockBytes(size_t bytes) {
    largestBlock.store(bytes, std::memory_order_relaxed);
}

void* AllocatePixelMemory(size_t bytes) {
    const size_t limit = largestBlock.load(std::memory_order_relaxed);
    if (limit != 0 && bytes > limit) return nullptr;
#ifdef __linux__
    if (bytes >= kSystemBlockBytes) {
        if (void* kept = spareBlocks.Take(bytes)) {
            std::memset(kept, 0, bytes);
            return kept;
        }
        const size_t mapped = bytes + kHeaderBytes;
        void* start = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (start == MAP_FAILED) return nullptr;
        ::madvise(start, mapped, MADV_HUGEPAGE);
        void* block = static_cast<char*>(start) + kHeaderBytes;
        MappedBytes(block) = mapped;
        return block;
    }
#endif
    return std::calloc(bytes != 0 ? bytes : 1, 1);
}

void FreePixelMemory(void* block, size_t bytes) {
    if (block == nullptr) return;
#ifdef __linux__
    if (bytes >= kSystemBlockBytes) {
        spareBlocks.Keep(block);
        return;
    }
#endif
    std::free(block);
}

void ReleaseSparePixelMemory() {
#ifdef __linux__
    spareBlocks.Release();
#endif
}

}  // namespace stampora
