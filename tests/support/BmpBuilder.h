// BmpBuilder.h: hand-made .bmp files for tests, one header field at a time.
#pragma once

#include <cstdint>
#include <vector>

struct BmpLayout {
    std::uint32_t headerSize = 40;  // 12, 40, 108 or 124
    std::int32_t width = 1;
    std::int32_t height = 1;        // negative: top-down rows
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> masks;      // after a 40-byte header, or inside a V4/V5 header
    std::vector<std::uint8_t> palette;     // 4 bytes (3 for a core header) per entry, blue first
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint8_t> pixels;      // rows exactly as stored
};

std::vector<std::uint8_t> buildBmp(const BmpLayout& layout);
