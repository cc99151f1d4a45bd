// HeapReserve.cpp: growing glibc's heap at once and mapping the growth in one call.
#include "HeapReserve.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

void ReserveHeap(std::size_t bytes) {
#if defined(__GLIBC__) && defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD)
    bytes = std::min(bytes, kMaxHeapReserve);
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page <= 0 || bytes < std::size_t(page)) return;
    // A block this large would otherwise get a mapping of its own, returned to the system when
    // freed; and freed memory at the heap's top would be handed back once it passed 128 KiB.
    // Both settings stay for the process: a conversion frees its fonts' strikes and cells
    // over and over, and each of those pages handed back would have to be mapped again.
    if (mallopt(M_MMAP_THRESHOLD, static_cast<int>(bytes + (std::size_t(1) << 20))) == 0) return;
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(kMaxHeapReserve * 4));
    void* block = std::malloc(bytes);
    if (block == nullptr) return;
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (at + std::uintptr_t(page) - 1) & ~std::uintptr_t(page - 1);
    const std::uintptr_t end = (at + bytes) & ~std::uintptr_t(page - 1);
    if (end > first) {
        void* const range = reinterpret_cast<void*>(first);
#if defined(MADV_HUGEPAGE)
        ::madvise(range, end - first, MADV_HUGEPAGE);
#endif
#if defined(MADV_POPULATE_WRITE)
        // Older kernels refuse it; the pages are then mapped as they are written, as before.
        ::madvise(range, end - first, MADV_POPULATE_WRITE);
#endif
    }
    // Back to the top of the heap, mapped, for the allocations that follow.
    std::free(block);
#else
    (void)bytes;
#endif
}
