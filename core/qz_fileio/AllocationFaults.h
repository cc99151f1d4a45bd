// AllocationFaults.h: the allocations of the database container and of the font document pass
// through AllocationPoint, so that a test can make any one of them fail as though memory had run
// out and check that nothing is lost. Outside such a test it only reads one counter.
#pragma once

#include <cstdint>

namespace qz_gen {

// Throws std::bad_alloc when the armed allocation is reached; otherwise does nothing.
void AllocationPoint();

// Arms the n-th allocation point from now (n >= 1) to fail once; 0 disarms.
void FailAllocationAt(std::uint64_t n);

// Whether the armed failure has been thrown since the last FailAllocationAt.
bool AllocationFailed();

}  // namespace qz_gen
