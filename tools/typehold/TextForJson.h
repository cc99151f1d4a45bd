// TextForJson.h: handheld text (8-bit, Windows Latin 1) and four-character codes as UTF-8 strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Each byte as the Latin-1 character of the same number, so any byte string gives valid UTF-8.
std::string latin1ToUtf8(std::string_view bytes);

// The four characters of a code, first character from the most significant byte.
std::string fourCharCode(std::uint32_t code);
