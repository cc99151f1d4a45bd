// HeapReserve.h: the memory a conversion is about to fill, mapped in one go instead of page by
// page as it is first written.
#pragma once

#include <cstddef>

// Grows the calling thread's heap by about bytes (at most kMaxHeapReserve; glibc gives threads
// heaps of their own) and maps them at once, in 2 MiB pages where the system allows, and from then
// on keeps memory the process frees for its next allocations rather than handing it back. Each page
// of fresh memory otherwise costs a fault when it is first written, which on a virtual machine
// takes 10 to 15 us; mapping a range in one call takes about 1 us a page, or well under 0.1 us a
// page in 2 MiB pages. Does nothing where the allocator or the system offers no way to do so;
// failing leaves the heap as it was.
void ReserveHeap(std::size_t bytes);

inline constexpr std::size_t kMaxHeapReserve = std::size_t(24) << 20;
