// FontRecord.cpp: serialising and parsing font records in both layouts.
#include "FontRecord.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <algorithm>
#include <new>

using bytes::ByteReader;
using bytes::ByteWriter;

namespace {
constexpr std::size_t kSingleHeaderSize = 26;
constexpr std::size_t kTwoDensityHeaderSize = 30;
// Font header, both density entries and the location table's extra entry of a two-density font.
constexpr std::size_t kTwoDensityFontDataBase = 44;

// The font header's fields in file order; the two-density layout adds the last two.
constexpr std::uint16_t FontHeader::*kHeaderFields[] = {
    &FontHeader::fontType,   &FontHeader::firstChar,   &FontHeader::lastChar, &FontHeader::maxWidth,
    &FontHeader::kernMax,    &FontHeader::nDescent,    &FontHeader::fRectWidth,
    &FontHeader::fRectHeight, &FontHeader::owTLoc,     &FontHeader::ascent,   &FontHeader::descent,
    &FontHeader::leading,    &FontHeader::rowWords,    &FontHeader::version,  &FontHeader::densityCount,
};
constexpr std::size_t kSingleHeaderFields = 13;

std::span<std::uint16_t FontHeader::*const> headerFields(bool twoDensity) {
    return std::span(kHeaderFields).first(twoDensity ? std::size(kHeaderFields) : kSingleHeaderFields);
}

FontRecordHeader readRecordHeader(const std::uint8_t* p) {
    return {p[0], p[1], bytes::loadU16BE(p + 2), bytes::loadU16BE(p + 4), bytes::loadU32BE(p + 6)};
}

// Reads up to the next zero byte (or to the end of the record).
std::string readText(ByteReader& r) {
    std::string text;
    while (auto c = r.readU8()) {
        if (*c == 0) break;
        text.push_back(static_cast<char>(*c));
    }
    return text;
}

// The name and style after the font data, each ending in a zero byte.
void writeNames(ByteWriter& w, std::string_view name, std::string_view style) {
    w.writeText(name);
    w.writeU8(0);
    w.writeText(style);
    w.writeU8(0);
}

}  // namespace

std::optional<FontRecordSummary> ParseHeaderOnly(std::span<const std::uint8_t> record) {
    if (record.size() < CFontRecord::kRecordHeaderSize) return std::nullopt;
    FontRecordSummary s;
    s.header = readRecordHeader(record.data());
    ByteReader r(record);
    if (!r.seek(std::size_t(CFontRecord::kRecordHeaderSize) + s.header.fontDataLength)) return std::nullopt;
    s.name = readText(r);
    s.style = readText(r);
    return s;
}

std::size_t CFontRecord::LayoutLength() const {
    const std::size_t count = static_cast<std::size_t>(std::max(Count(), 0));
    if (IsHighDensity()) return kTwoDensityFontDataBase + 4 * count + 5 * StrikeBytes();
    return 28 + StrikeBytes() + 4 * count;
}

void CFontRecord::SetLayoutFields() {
    const std::size_t count = static_cast<std::size_t>(std::max(Count(), 0));
    const std::size_t s1 = StrikeBytes();
    if (IsHighDensity()) {
        // From owTLoc to the offset/width table: the header's last 14 bytes, the density
        // entries' 12 and the location table's 2 * (count + 1).
        font.owTLoc = static_cast<std::uint16_t>(count + 14);
        const auto firstStrike = static_cast<std::uint32_t>(kTwoDensityFontDataBase + 4 * count);
        densities = {DensityEntry{72, firstStrike}, DensityEntry{144, firstStrike + static_cast<std::uint32_t>(s1)}};
    } else {
        // From owTLoc to the offset/width table: the header's last 10 bytes, the strike and the
        // location table's 2 * (count + 1).
        font.owTLoc = static_cast<std::uint16_t>((s1 + 2 * count + 12) / 2);
    }
    header.fontDataLength = static_cast<std::uint32_t>(LayoutLength());
}

std::optional<std::vector<std::uint8_t>> Serialise(const CFontRecord& font) {
    if (font.locationTable.empty() || font.offsetWidth.empty()) return std::nullopt;
    const int count = font.Count();
    const bool two = font.IsHighDensity();
    const std::size_t s1 = font.StrikeBytes();
    if (count <= 0 || font.locationTable.size() != std::size_t(count) + 1 ||
        font.offsetWidth.size() != 2 * std::size_t(count) || font.strike1.size() != s1 ||
        (two && font.strike2.size() != 4 * s1) || font.header.fontDataLength < font.LayoutLength())
        return std::nullopt;

    // The name starts right after the font data, however much of it the layout uses.
    const std::size_t textAt = CFontRecord::kRecordHeaderSize + font.header.fontDataLength;
    std::vector<std::uint8_t> out;
    try {
        out.reserve(textAt + font.name.size() + font.style.size() + 2);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    ByteWriter w(out);
    w.writeU8(font.header.flags);
    w.writeU8(font.header.headerOnly);
    w.writeU16(font.header.pointSize);
    w.writeU16(font.header.reserved);
    w.writeU32(font.header.fontDataLength);

    for (const auto field : headerFields(two)) w.writeU16(font.font.*field);

    const auto writeLocations = [&] {
        for (const auto loc : font.locationTable) w.writeU16(loc);
    };
    if (two) {
        for (const auto& d : font.densities) {
            w.writeU16(d.density);
            w.writeU32(d.glyphBitsOffset);
        }
        writeLocations();
        w.writeBytes(font.offsetWidth);
        w.writeBytes(font.strike1);
        w.writeBytes(font.strike2);
    } else {
        w.writeBytes(font.strike1);
        writeLocations();
        w.writeBytes(font.offsetWidth);
    }
    w.writeZeros(textAt - w.position());
    writeNames(w, font.name, font.style);
    return out;
}

std::optional<CFontRecord> ParseFontHeader(std::span<const std::uint8_t> record) {
    const auto summary = ParseHeaderOnly(record);
    if (!summary) return std::nullopt;
    CFontRecord font;
    font.header = summary->header;
    font.name = summary->name;
    font.style = summary->style;
    if (font.header.headerOnly != 0) return font;

    const std::size_t dataEnd = CFontRecord::kRecordHeaderSize + font.header.fontDataLength;
    ByteReader r(record.first(dataEnd));
    r.skip(CFontRecord::kRecordHeaderSize);
    if (r.remaining() < 2) return std::nullopt;
    // Only bit 0x02 of the font type's high byte chooses the layout (CFontRecord::IsHighDensity).
    const bool two = (record[CFontRecord::kRecordHeaderSize] & 0x02) != 0;
    if (r.remaining() < (two ? kTwoDensityHeaderSize : kSingleHeaderSize)) return std::nullopt;
    for (const auto field : headerFields(two)) font.font.*field = *r.readU16();

    if (font.Count() <= 0) return std::nullopt;
    // Everything the header describes must lie within the font data, before the name.
    if (font.LayoutLength() > font.header.fontDataLength) return std::nullopt;
    font.maxAdvance = font.font.fRectWidth;
    font.rows = font.font.fRectHeight;
    font.rowWordsInMemory = font.font.rowWords;
    return font;
}

std::optional<CFontRecord> Parse(std::span<const std::uint8_t> record) {
    auto parsed = ParseFontHeader(record);
    if (!parsed || parsed->header.headerOnly != 0) return parsed;
    CFontRecord& font = *parsed;
    const bool two = font.IsHighDensity();
    ByteReader r(record.first(CFontRecord::kRecordHeaderSize + font.header.fontDataLength));
    r.skip(CFontRecord::kRecordHeaderSize + (two ? kTwoDensityHeaderSize : kSingleHeaderSize));
    const int count = font.Count();
    const std::size_t s1 = font.StrikeBytes();
    const auto readLocations = [&] {
        font.locationTable.resize(std::size_t(count) + 1);
        for (auto& loc : font.locationTable) loc = *r.readU16();
    };
    const auto copyPart = [&](std::vector<std::uint8_t>& into, std::size_t n) {
        const auto part = *r.take(n);
        into.assign(part.begin(), part.end());
    };
    if (two) {
        for (auto& d : font.densities) {
            d.density = *r.readU16();
            d.glyphBitsOffset = *r.readU32();
        }
        readLocations();
        copyPart(font.offsetWidth, 2 * std::size_t(count));
        copyPart(font.strike1, s1);
        copyPart(font.strike2, 4 * s1);
    } else {
        copyPart(font.strike1, s1);
        readLocations();
        copyPart(font.offsetWidth, 2 * std::size_t(count));
    }
    return parsed;
}

namespace {
std::string codeOf(int c) {
    constexpr char kHex[] = "0123456789ABCDEF";
    return std::string("0x") + kHex[(c >> 4) & 15] + kHex[c & 15];
}

std::optional<std::string> handheldLimitCause(const CFontRecord& font) {
    using std::to_string;
    const FontHeader& h = font.font;
    const int side = CFontRecord::kMaxCellSide;
    if (h.lastChar > CFontRecord::kMaxCharCode)
        return "last character " + to_string(h.lastChar) + " is beyond the handheld's 8-bit codes";
    const int count = font.Count();
    if (count <= 0) return "the character range " + to_string(h.firstChar) + " to " + to_string(h.lastChar) + " is empty";
    if (h.fRectHeight == 0 || h.fRectHeight > side)
        return "cell height " + to_string(h.fRectHeight) + " is outside the handheld's 1 to " + to_string(side) + " rows";
    if (h.fRectWidth > side)
        return "cell width " + to_string(h.fRectWidth) + " is more than the handheld's " + to_string(side) + " columns";
    const std::size_t recordSize = CFontRecord::kRecordHeaderSize + std::size_t(font.header.fontDataLength) +
                                   font.name.size() + font.style.size() + 2;
    if (recordSize > CFontRecord::kMaxHandheldRecordSize)
        return "the record's " + to_string(recordSize) + " bytes are more than a handheld record holds (" +
               to_string(CFontRecord::kMaxHandheldRecordSize) + ")";
    if (font.locationTable.size() != std::size_t(count) + 1 || font.offsetWidth.size() != 2 * std::size_t(count))
        return std::string("the location or width table does not match the character range");
    const std::size_t strikeColumns = std::size_t(h.rowWords) * 16;
    if (font.locationTable.back() > strikeColumns)
        return "the strike ends at column " + to_string(font.locationTable.back()) + ", past its " +
               to_string(strikeColumns) + " columns";
    for (int i = 0; i < count; ++i) {
        // Entry count - 1 is the missing-character symbol; it has no code of its own.
        const auto which = [&] {
            return i + 1 < count ? "character " + codeOf(h.firstChar + i) : std::string("the missing-character symbol");
        };
        const int from = font.locationTable[std::size_t(i)];
        const int to = font.locationTable[std::size_t(i) + 1];
        if (to < from)
            return "the location of " + which() + " runs backwards (" + to_string(from) + " to " + to_string(to) + ")";
        if (to - from > h.fRectWidth)
            return "the glyph of " + which() + " is " + to_string(to - from) + " columns wide, wider than the cell's " +
                   to_string(h.fRectWidth);
        const std::uint8_t offset = font.offsetWidth[2 * std::size_t(i)];
        const std::uint8_t advance = font.offsetWidth[2 * std::size_t(i) + 1];
        if (offset != 0xFF && advance > h.fRectWidth)
            return "the advance of " + which() + " is " + to_string(advance) + ", wider than the cell's " +
                   to_string(h.fRectWidth);
    }
    return std::nullopt;
}
}  // namespace

std::optional<std::string> HandheldLimitFault(const CFontRecord& font) {
    if (font.header.headerOnly != 0) return std::nullopt;
    const auto cause = handheldLimitCause(font);
    if (!cause) return std::nullopt;
    std::string title = font.name;
    if (!font.style.empty()) title += " " + font.style;
    return "font \"" + title + "\" (" + std::to_string(font.header.pointSize) + " pt): " + *cause;
}

std::optional<std::vector<std::uint8_t>> RenameFontRecord(std::span<const std::uint8_t> record,
                                                          std::string_view name, std::string_view style) {
    if (record.size() < CFontRecord::kRecordHeaderSize) return std::nullopt;
    const std::size_t keep = CFontRecord::kRecordHeaderSize + bytes::loadU32BE(record.data() + 6);
    if (keep > record.size()) return std::nullopt;
    std::vector<std::uint8_t> out(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(keep));
    ByteWriter w(out);
    writeNames(w, name, style);
    return out;
}
