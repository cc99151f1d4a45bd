// Fuzz target: font record parsing. Every parsed field is the input's bytes at the place the layout
// gives; a record that parses must serialise, and the serialised record must parse and serialise
// to the same bytes.
#include "core/FontRecord.h"

#include "platform/bytes/ByteOrder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}

// The zero-terminated text at `at` (or up to the end).
std::string textAt(const std::uint8_t* data, std::size_t size, std::size_t at) {
    if (at >= size) return {};
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(data + at, 0, size - at));
    return std::string(reinterpret_cast<const char*>(data + at), end ? std::size_t(end - (data + at)) : size - at);
}

bool bytesAt(const std::uint8_t* data, std::size_t at, const std::vector<std::uint8_t>& part) {
    return std::equal(part.begin(), part.end(), data + at);
}

void compareWithInput(const CFontRecord& font, const std::uint8_t* data, std::size_t size) {
    using bytes::loadU16BE;
    check(font.header.flags == data[0] && font.header.headerOnly == data[1]);
    check(font.header.pointSize == loadU16BE(data + 2) && font.header.reserved == loadU16BE(data + 4));
    check(font.header.fontDataLength == bytes::loadU32BE(data + 6));
    const std::size_t nameAt = 10 + std::size_t(font.header.fontDataLength);
    check(font.name == textAt(data, size, nameAt));
    check(font.style == textAt(data, size, nameAt + font.name.size() + 1));
    if (font.header.headerOnly != 0) return;

    const bool two = (data[10] & 0x02) != 0;
    check(font.IsHighDensity() == two);
    const std::uint16_t FontHeader::*fields[] = {
        &FontHeader::fontType, &FontHeader::firstChar, &FontHeader::lastChar, &FontHeader::maxWidth,
        &FontHeader::kernMax,  &FontHeader::nDescent,  &FontHeader::fRectWidth, &FontHeader::fRectHeight,
        &FontHeader::owTLoc,   &FontHeader::ascent,    &FontHeader::descent,  &FontHeader::leading,
        &FontHeader::rowWords, &FontHeader::version,   &FontHeader::densityCount,
    };
    for (std::size_t i = 0; i < (two ? 15u : 13u); ++i) check(font.font.*fields[i] == loadU16BE(data + 10 + 2 * i));
    check(font.maxAdvance == font.font.fRectWidth && font.rows == font.font.fRectHeight &&
          font.rowWordsInMemory == font.font.rowWords);

    const std::size_t count = std::size_t(font.Count());
    const std::size_t s1 = font.StrikeBytes();
    check(font.locationTable.size() == count + 1 && font.offsetWidth.size() == 2 * count && font.strike1.size() == s1);
    std::size_t locations, widths;
    if (two) {
        for (std::size_t d = 0; d < 2; ++d)
            check(font.densities[d].density == loadU16BE(data + 40 + 6 * d) &&
                  font.densities[d].glyphBitsOffset == bytes::loadU32BE(data + 42 + 6 * d));
        locations = 52;
        widths = 54 + 2 * count;
        check(font.strike2.size() == 4 * s1);
        check(bytesAt(data, 54 + 4 * count, font.strike1) && bytesAt(data, 54 + 4 * count + s1, font.strike2));
    } else {
        check(font.strike2.empty());
        check(bytesAt(data, 36, font.strike1));
        locations = 36 + s1;
        widths = 38 + s1 + 2 * count;
    }
    for (std::size_t i = 0; i <= count; ++i) check(font.locationTable[i] == loadU16BE(data + locations + 2 * i));
    check(bytesAt(data, widths, font.offsetWidth));
    // Everything it read lies in the font data, before the name.
    check(font.LayoutLength() <= font.header.fontDataLength && nameAt <= size);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto summary = ParseHeaderOnly({data, size});
    const auto font = Parse({data, size});
    // The header alone is taken exactly where the whole record is, with the same fields.
    const auto header = ParseFontHeader({data, size});
    check(header.has_value() == font.has_value());
    if (header && font) {
        check(header->header.pointSize == font->header.pointSize && header->header.headerOnly == font->header.headerOnly);
        check(header->font.fontType == font->font.fontType && header->font.rowWords == font->font.rowWords);
        check(header->name == font->name && header->style == font->style && header->rows == font->rows);
        check(header->strike1.empty() && header->locationTable.empty());
    }
    if (font) {
        check(summary && summary->name == font->name && summary->style == font->style);
        compareWithInput(*font, data, size);
    }
    if (!font || font->header.headerOnly != 0) return 0;
    const auto bytes = Serialise(*font);
    if (!bytes) std::abort();
    const auto again = Parse(*bytes);
    if (!again) std::abort();
    if (Serialise(*again) != bytes) std::abort();
    return 0;
}
