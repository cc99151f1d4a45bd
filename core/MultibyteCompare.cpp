// MultibyteCompare.cpp: case-insensitive comparison of 8-bit text in a Windows code page, where the
// two bytes of a double-byte character (code pages 932, 936, 949, 950) compare as one unit.
#include "MultibyteCompare.h"

namespace {
// One character: a single byte (folded to lower case) in the high byte of value, or the lead and
// trail bytes of a double-byte character, so that characters order by their byte values.
struct Unit {
    unsigned value;
    std::size_t length;
};

Unit unitAt(std::string_view s, std::size_t i, std::uint32_t codePage) {
    const auto b = static_cast<std::uint8_t>(s[i]);
    if (isLeadByte(b, codePage) && i + 1 < s.size())
        return {unsigned(b) << 8 | static_cast<std::uint8_t>(s[i + 1]), 2};
    const unsigned folded = (b >= 'A' && b <= 'Z') ? unsigned(b) + ('a' - 'A') : b;
    return {folded << 8, 1};
}
}  // namespace

bool isLeadByte(std::uint8_t b, std::uint32_t codePage) {
    switch (codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    default: return false;
    }
}

int compareNoCase(std::string_view a, std::string_view b, std::uint32_t codePage) {
    // The same bytes are the same text in any code page: the fonts of one family share their name.
    if (a == b) return 0;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const Unit x = unitAt(a, i, codePage);
        const Unit y = unitAt(b, j, codePage);
        if (x.value != y.value) return x.value < y.value ? -1 : 1;
        i += x.length;
        j += y.length;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}
