// TextForJson.h: handheld text (in the desktop's code page) and four-character codes as UTF-8 strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Each byte as the Latin-1 character of the same number, so any byte string gives valid UTF-8.
std::string latin1ToUtf8(std::string_view bytes);

// The desktop's code page, the one font names and styles are held in: the double-byte code page
// of the user's locale when it has one (as the converter's start-up adopts it), else 1252.
std::uint32_t desktopCodePage();
// Text in the desktop's code page as UTF-8; every byte string gives valid UTF-8 and nothing is
// lost (see gdi::CodePageToUtf8).
std::string desktopText(std::string_view bytes);

// The four characters of a code, first character from the most significant byte.
std::string fourCharCode(std::uint32_t code);
