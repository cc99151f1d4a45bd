// Palettes.cpp: the fixed colour tables of picture depths 1, 2, 4 and 8, and the 16-bit form.
#include "Palettes.h"

#include "SwapBytes.h"

#include <bit>

namespace {
constexpr std::array<PaletteColor, 256> makeSystemPalette() {
    std::array<PaletteColor, 256> p{};
    for (int i = 0; i < 215; ++i) {
        const int h = i / 108, r = (i % 108) / 18, b = (i % 18) / 6, g = i % 6;
        p[i] = {static_cast<std::uint8_t>(255 - 51 * r), static_cast<std::uint8_t>(255 - 51 * g),
                static_cast<std::uint8_t>(255 - 51 * (3 * h + b))};
    }
    constexpr std::uint8_t greys[] = {0x11, 0x22, 0x44, 0x55, 0x77, 0x88, 0xAA, 0xBB, 0xDD, 0xEE};
    for (int i = 0; i < 10; ++i) p[215 + i] = {greys[i], greys[i], greys[i]};
    p[225] = {192, 192, 192};
    p[226] = {128, 0, 0};
    p[227] = {128, 0, 128};
    p[228] = {0, 128, 0};
    p[229] = {0, 128, 128};
    for (int i = 230; i < 256; ++i) p[i] = {0, 0, 0};
    return p;
}

constexpr std::array<PaletteColor, 16> makeGreyRamp16() {
    std::array<PaletteColor, 16> p{};
    for (int i = 0; i < 16; ++i) {
        const auto v = static_cast<std::uint8_t>(255 - 17 * i);
        p[i] = {v, v, v};
    }
    return p;
}

gdi::COLORREF toColorref(const PaletteColor& c) { return gdi::RGB(c.red, c.green, c.blue); }
}  // namespace

const std::array<PaletteColor, 256> SystemPalette8 = makeSystemPalette();
const std::array<PaletteColor, 4> GreyRamp4 = {{{255, 255, 255}, {192, 192, 192}, {128, 128, 128}, {0, 0, 0}}};
const std::array<PaletteColor, 16> GreyRamp16 = makeGreyRamp16();

gdi::COLORREF indexToColor(std::uint8_t value, int depth) {
    switch (depth) {
    case 1: return (value & 0x80) ? gdi::RGB(0, 0, 0) : gdi::RGB(255, 255, 255);
    case 2: return toColorref(GreyRamp4[value / 64]);
    case 4: return toColorref(GreyRamp16[value / 16]);
    case 8: return toColorref(SystemPalette8[value]);
    default: return gdi::RGB(0, 0, 0);
    }
}

gdi::COLORREF rgb565ToColor(std::uint16_t storedWord) {
    // The word holds the bytes in file order; bring it into host order first.
    if constexpr (std::endian::native == std::endian::little) swapBytes(storedWord);
    return gdi::RGB(static_cast<std::uint8_t>((storedWord >> 11) * 8),
                    static_cast<std::uint8_t>(((storedWord >> 5) & 0x3F) * 4),
                    static_cast<std::uint8_t>((storedWord & 0x1F) * 8));
}
