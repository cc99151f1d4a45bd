// DeviceFormat.h: the limits of the handheld that pictures are encoded for.
#pragma once

#include <cstdint>

struct DeviceFormat {
    std::uint8_t depth = 16;           // deepest pixel depth; 8 or less means no 16-bit pictures
    std::int16_t maxWidth = 4096;
    std::int16_t maxHeight = 4096;
    std::uint16_t density = 144;       // 144 and 626 ask for even dimensions
    std::uint32_t maxRawSize = 1048576;  // largest uncompressed pixel data in bytes
    std::uint8_t compression = 1;      // non-zero: compressed version-2 records
};
