// PalmTime.cpp: the current time in the Palm epoch.
#include "PalmTime.h"

#include <cstdlib>
#include <ctime>

namespace qz_gen {

std::uint32_t PalmNow() {
    std::int64_t unixSeconds = static_cast<std::int64_t>(std::time(nullptr));
    if (const char* fixed = std::getenv("SOURCE_DATE_EPOCH")) {
        char* end = nullptr;
        const long long value = std::strtoll(fixed, &end, 10);
        if (end != fixed && *end == '\0' && value >= 0) unixSeconds = value;
    }
    const std::int64_t palm = unixSeconds + kPalmEpochOffset;
    // The field is 32 bits wide; it runs out in 2040.
    return palm > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<std::uint32_t>(palm);
}

}  // namespace qz_gen
