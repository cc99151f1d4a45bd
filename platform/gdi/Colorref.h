// Colorref.h: colours in the platform's 0x00BBGGRR form (red in the low byte).
#pragma once

#include <cstdint>

namespace gdi {

using COLORREF = std::uint32_t;

inline constexpr COLORREF kInvalidColor = 0xFFFFFFFF;  // what GetPixel gives outside the bitmap

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return COLORREF(r) | COLORREF(g) << 8 | COLORREF(b) << 16;
}
constexpr std::uint8_t GetRValue(COLORREF c) { return static_cast<std::uint8_t>(c); }
constexpr std::uint8_t GetGValue(COLORREF c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t GetBValue(COLORREF c) { return static_cast<std::uint8_t>(c >> 16); }

}  // namespace gdi
