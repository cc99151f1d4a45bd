// MultibyteCompare.h: case-insensitive comparison of 8-bit text in a Windows code page, where the
// two bytes of a double-byte character (code pages 932, 936, 949, 950) compare as one unit.
#pragma once

#include <cstdint>
#include <string_view>

// Negative, zero or positive as a sorts before, with or after b. ASCII letters compare without
// regard to case; a double-byte character compares by its two bytes, never folded.
int compareNoCase(std::string_view a, std::string_view b, std::uint32_t codePage);

// Whether byte starts a double-byte character in codePage.
bool isLeadByte(std::uint8_t byte, std::uint32_t codePage);
