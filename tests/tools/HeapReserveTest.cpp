// Tests of ReserveHeap: the memory it maps ahead is what the allocations after it are given.
#include "tools/typehold/HeapReserve.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <vector>

#include <sys/mman.h>
#include <sys/resource.h>

namespace {
long minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Whether this system can map a range ahead in one call (Linux 5.14 and later).
bool canPopulate() {
#if defined(MADV_POPULATE_WRITE) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    const std::size_t bytes = 1 << 16;
    void* probe = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (probe == MAP_FAILED) return false;
    const bool ok = madvise(probe, bytes, MADV_POPULATE_WRITE) == 0;
    munmap(probe, bytes);
    return ok;
#else
    return false;  // or an allocator of the sanitizers' own, which keeps its memory elsewhere
#endif
}
}  // namespace

// The blocks a conversion allocates and fills after the reserve (here 2 MiB in strike-sized
// pieces, freed and allocated again as fonts come and go) fault far less than once a page.
TEST(HeapReserve, LaterAllocationsFindTheirPagesMapped) {
    if (!canPopulate()) GTEST_SKIP() << "no way to map memory ahead here";
    constexpr std::size_t kPiece = 48 << 10, kPieces = 42;  // about 2 MiB, 512 pages
    ReserveHeap(3 << 20);
    const long before = minorFaults();
    std::vector<std::unique_ptr<std::uint8_t[]>> kept;
    for (std::size_t i = 0; i < kPieces; ++i) {
        auto piece = std::make_unique<std::uint8_t[]>(kPiece);  // written through: zeroed
        auto passing = std::make_unique<std::uint8_t[]>(kPiece / 2);
        passing[kPiece / 2 - 1] = 1;
        kept.push_back(std::move(piece));
    }
    const long faults = minorFaults() - before;
    EXPECT_LT(faults, 64) << "of " << kPieces * kPiece / 4096 << " pages";
}

// Nothing to reserve and more than the limit are both taken without harm.
TEST(HeapReserve, ZeroAndOversizedRequestsAreHarmless) {
    ReserveHeap(0);
    ReserveHeap(1);
    ReserveHeap(std::size_t(1) << 40);  // cut to kMaxHeapReserve
    std::vector<std::uint8_t> after(1 << 20, 7);
    EXPECT_EQ(after.back(), 7);
}
