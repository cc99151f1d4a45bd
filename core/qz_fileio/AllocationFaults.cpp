// AllocationFaults.cpp: the allocations of the database container and of the font document pass
// through AllocationPoint, so that a test can make any one of them fail as though memory had run
// out and check that nothing is lost.
#include "AllocationFaults.h"

#include <atomic>
#include <new>

namespace qz_gen {

namespace {
// Allocation points left before the armed one; 0 when none is armed.
std::atomic<std::uint64_t> countdown{0};
std::atomic<bool> failed{false};
}  // namespace

void AllocationPoint() {
    std::uint64_t left = countdown.load(std::memory_order_relaxed);
    while (left != 0) {
        if (countdown.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
            if (left != 1) return;
            failed.store(true, std::memory_order_relaxed);
            throw std::bad_alloc();
        }
    }
}

void FailAllocationAt(std::uint64_t n) {
    failed.store(false, std::memory_order_relaxed);
    countdown.store(n, std::memory_order_relaxed);
}

bool AllocationFailed() { return failed.load(std::memory_order_relaxed); }

}  // namespace qz_gen
