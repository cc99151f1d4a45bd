// CodePages.h: Windows character sets, their code pages and script names, and the Unicode
// character each byte stands for in a code page.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace gdi {

struct CharsetInfo {
    std::uint8_t charSet;
    std::uint32_t codePage;
    const char* script;   // the script name EnumFontFamiliesEx reports
    int codePageBit;      // bit of OS/2 ulCodePageRange1 that says a font supports it; -1 none
};

// The character sets fonts are enumerated in, in bit order of ulCodePageRange1.
const std::array<CharsetInfo, 17>& KnownCharsets();

// The entry of a character set; none for an unknown one. DEFAULT_CHARSET reads as ANSI.
std::optional<CharsetInfo> CharsetFor(std::uint8_t charSet);

inline constexpr std::uint32_t kSymbolCodePage = 42;
inline constexpr std::uint32_t kNoCharacter = 0xFFFFFFFF;

// The Unicode character of each byte in codePage: kNoCharacter for a byte the code page leaves
// unassigned or that starts a double-byte character. The symbol code page maps bytes to
// themselves. Tables are built once per code page and shared between threads.
const std::array<std::uint32_t, 256>& ByteToUnicode(std::uint32_t codePage);

}  // namespace gdi
