// ConsoleCodePage.h: the desktop's double-byte code page, for the start-up's locale step: the
// character set of the user's locale when it is one of the four double-byte Windows code pages
// (932 Japanese, 936 Simplified Chinese, 949 Korean, 950 Traditional Chinese).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The code page of a locale's character set name ("SHIFT_JIS" -> 932, "BIG5" -> 950, ...); none
// for every other character set.
std::optional<std::uint32_t> DoubleByteCodePage(std::string_view codeset);

// Takes the user's locale for every category when its character set is double-byte, and
// returns that code page; otherwise changes nothing and returns none.
std::optional<std::uint32_t> AdoptDoubleByteLocale();
