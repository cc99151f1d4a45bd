// Palettes.h: the fixed colour tables of picture depths 1, 2, 4 and 8, and the 16-bit form.
#pragma once

#include "platform/gdi/Colorref.h"

#include <array>
#include <cstdint>

struct PaletteColor {
    std::uint8_t red, green, blue;
};

// The Palm OS 8-bit system palette: a 6 x 6 x 6 colour cube without black (0 to 214), ten greys
// (215 to 224), five named colours (225 to 229) and black (230 to 255).
extern const std::array<PaletteColor, 256> SystemPalette8;
extern const std::array<PaletteColor, 4> GreyRamp4;
extern const std::array<PaletteColor, 16> GreyRamp16;

// The colour of a pixel whose value is in the most significant depth bits of value; black for a
// depth other than 1, 2, 4 or 8.
gdi::COLORREF indexToColor(std::uint8_t value, int depth);

// The colour of a 16-bit 5-6-5 pixel as stored (the two bytes in file order, first byte high).
// The low bits of each channel stay zero: 0xFFFF is (248, 252, 248).
gdi::COLORREF rgb565ToColor(std::uint16_t storedWord);
// The same for the two stored bytes.
inline gdi::COLORREF rgb565BytesToColor(std::uint8_t high, std::uint8_t low) {
    return gdi::RGB(high & 0xF8, static_cast<std::uint8_t>((high & 0x07) << 5 | (low & 0xE0) >> 3),
                    static_cast<std::uint8_t>((low & 0x1F) << 3));
}
