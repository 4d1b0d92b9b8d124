#include "allocator.h"

#ifdef __linux__
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace launcher {

void useLargeHeapSteps() {
#if defined(__linux__) && defined(__GLIBC__)
    constexpr int kStep = 64 << 20;
    constexpr std::uintptr_t kLargePage = 2 << 20;
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_TOP_PAD, kStep);
    // A block larger than what is left at the heap's top grows it by a step, which the
    // freed block then rejoins; the kernel backs the aligned part of the step with large
    // pages where it can (and ignores the advice when they are turned off).
    const auto start = reinterpret_cast<std::uintptr_t>(sbrk(0));
    void* volatile grow = std::malloc(1 << 20); // volatile: the pair is not optimised away
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    std::free(grow);
    const std::uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1);
    if (end > from + kLargePage)
        madvise(reinterpret_cast<void*>(from), (end - from) & ~(kLargePage - 1), MADV_HUGEPAGE);
#endif
}

void giveLargeBlocksBack() {
#if defined(__linux__) && defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

} // namespace launcher
