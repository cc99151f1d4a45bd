// PalmTime.h: database dates, counted in seconds from 1904-01-01 00:00 UTC.
#pragma once

#include <cstdint>

namespace qz_gen {

// Seconds from 1904-01-01 to 1970-01-01.
inline constexpr std::uint32_t kPalmEpochOffset = 2082844800u;

// The current time as a database date; SOURCE_DATE_EPOCH (seconds since 1970), when set to a
// number, stands for the current time so that the same input gives the same bytes.
std::uint32_t PalmNow();

}  // namespace qz_gen
