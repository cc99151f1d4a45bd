// FileFaults.cpp: the write operations of CFile are counted so that a test can end the process at
// any one of them.
#include "FileFaults.h"

#include <atomic>
#include <cstdlib>

namespace qz_gen {

namespace {
std::atomic<std::uint64_t> seen{0};
std::atomic<std::uint64_t> armedAt{0};
std::atomic<KillPoint> armedPoint{KillPoint::Before};
std::atomic<bool> noReserve{false};
}  // namespace

void KillAtWriteOperation(std::uint64_t n, KillPoint point) {
    armedPoint.store(point, std::memory_order_relaxed);
    armedAt.store(n, std::memory_order_relaxed);
    seen.store(0, std::memory_order_relaxed);
}

std::uint64_t WriteOperationsSeen() { return seen.load(std::memory_order_relaxed); }

void PretendReserveUnsupported(bool unsupported) { noReserve.store(unsupported, std::memory_order_relaxed); }
bool ReserveUnsupported() { return noReserve.load(std::memory_order_relaxed); }

std::size_t WritePoint(std::size_t size) {
    const std::uint64_t now = seen.fetch_add(1, std::memory_order_relaxed) + 1;
    if (now != armedAt.load(std::memory_order_relaxed)) return size;
    if (armedPoint.load(std::memory_order_relaxed) == KillPoint::Midway && size > 0) return size / 2;
    EndProcessNow();
}

void EndProcessNow() { std::_Exit(0); }

}  // namespace qz_gen
