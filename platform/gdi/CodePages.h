// CodePages.h: Windows character sets, their code pages and script names, the Unicode
// character each byte stands for in a code page, and text converted between a code page and
// UTF-8 in both directions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <string>
#include <string_view>

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

// Text in codePage as UTF-8. Nothing is lost: a byte that does not start a character of the code
// page (or whose character would be written back as other bytes) becomes the private-use
// character U+F700 + byte, which CodePageFromUtf8 turns back into that byte, so that
// CodePageFromUtf8(CodePageToUtf8(b)) == b for all bytes b.
std::string CodePageToUtf8(std::string_view bytes, std::uint32_t codePage);

// UTF-8 text in codePage, or the first character the code page lacks (kNoCharacter for text
// that is not UTF-8). Nothing is ever replaced by "?" or a default character.
struct CodePageText {
    std::string bytes;
    std::uint32_t missing = kNoCharacter;  // when !ok
    bool ok = false;
};
CodePageText CodePageFromUtf8(std::string_view utf8, std::uint32_t codePage);

// A character for a message: "\"é\" (U+00E9)"; for kNoCharacter "a byte that is not UTF-8".
std::string DescribeCharacter(std::uint32_t character);

// The columns UTF-8 text takes on a terminal: two for a wide (East Asian) character, one for
// any other; a byte that is not UTF-8 takes one.
std::size_t DisplayWidth(std::string_view utf8);
// text followed by spaces to width columns; longer text stays whole.
std::string PadToWidth(const std::string& text, std::size_t width);
// Whether text is UTF-8 throughout.
bool IsUtf8(std::string_view text);

// The UTF-8 sequence of c, and the character of the UTF-8 sequence at s[i] with its length (none
// when s holds no valid sequence there).
void AppendUtf8(std::string& out, std::uint32_t c);
std::optional<std::pair<std::uint32_t, std::size_t>> Utf8At(std::string_view s, std::size_t i);

}  // namespace gdi
