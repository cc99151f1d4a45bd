// FontRecord.h: CFontRecord, one Palm font as a font document record holds it.
//
// Record header (10 bytes, big-endian):
//   0 1 flags (0 single density, 4 two densities)   1 1 headerOnly (non-zero: no font follows)
//   2 2 pointSize                                     4 2 reserved (0)
//   6 4 fontDataLength n: bytes from offset 10 up to the name
// Single density (fontType bit 0x0200 clear), count = lastChar - firstChar + 2,
// S1 = rowWords * fRectHeight * 2:
//   10            26          font header: fontType firstChar lastChar maxWidth kernMax nDescent
//                             fRectWidth fRectHeight owTLoc ascent descent leading rowWords
//   36            S1          strike
//   36+S1         2(count+1)  location table
//   38+S1+2count  2count      offset/width table (offset, width bytes)
// Two densities (fontType bit 0x0200 set):
//   10            30          font header as above, then version, densityCount
//   40            6           density entry 1 (density 16, glyphBitsOffset 32)
//   46            6           density entry 2
//   52            2(count+1)  location table
//   54+2count     2count      offset/width table
//   54+4count     S1          single-density strike
//   54+4count+S1  4S1         double-density strike
// Both: name, a zero byte, style, a zero byte at 10 + n.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct FontRecordHeader {
    std::uint8_t flags = 0;
    std::uint8_t headerOnly = 0;
    std::uint16_t pointSize = 0;
    std::uint16_t reserved = 0;
    std::uint32_t fontDataLength = 0;
};

struct FontHeader {
    std::uint16_t fontType = 0;
    std::uint16_t firstChar = 0;
    std::uint16_t lastChar = 0;
    std::uint16_t maxWidth = 0;
    std::uint16_t kernMax = 0;
    std::uint16_t nDescent = 0;
    std::uint16_t fRectWidth = 0;
    std::uint16_t fRectHeight = 0;
    std::uint16_t owTLoc = 0;
    std::uint16_t ascent = 0;
    std::uint16_t descent = 0;
    std::uint16_t leading = 0;
    std::uint16_t rowWords = 0;
    // Two-density layout only.
    std::uint16_t version = 0;
    std::uint16_t densityCount = 0;
};

struct DensityEntry {
    std::uint16_t density = 0;
    std::uint32_t glyphBitsOffset = 0;
};

class CFontRecord {
public:
    static constexpr std::size_t kRecordHeaderSize = 10;
    static constexpr std::uint16_t kHighDensityBit = 0x0200;
    static constexpr std::uint16_t kSingleDensityType = 0x0090;
    static constexpr std::uint16_t kTwoDensityType = 0x9200;
    static constexpr std::uint8_t kFlagsSingle = 0;
    static constexpr std::uint8_t kFlagsTwoDensity = 4;
    // The largest record the handheld's data manager can hold in one chunk.
    static constexpr std::size_t kMaxHandheldRecordSize = 65505;
    // The handheld's character codes are single bytes, and no cell is wider or taller than its
    // 160-pixel screen.
    static constexpr int kMaxCharCode = 255;
    static constexpr int kMaxCellSide = 160;

    bool IsHighDensity() const { return (font.fontType & kHighDensityBit) != 0; }
    // Characters of the range plus the missing-character symbol; 0 or less for a bad range.
    int Count() const { return int(font.lastChar) - int(font.firstChar) + 2; }
    // Bytes of the single-density strike.
    std::size_t StrikeBytes() const { return std::size_t(font.rowWords) * font.fRectHeight * 2; }
    // The font data length n that the layout of this font needs.
    std::size_t LayoutLength() const;
    // Bytes of the whole record once the layout fields are set: header, font data, name, style.
    std::size_t RecordSize() const { return kRecordHeaderSize + LayoutLength() + name.size() + style.size() + 2; }
    // Sets the fields that follow from the font type, the character range, fRectHeight and
    // rowWords: owTLoc, the font data length and, for two densities, both density entries (72
    // and 144 dots per inch with the offsets of their strikes from the font header).
    void SetLayoutFields();

    FontRecordHeader header;
    FontHeader font;
    std::array<DensityEntry, 2> densities{};
    std::vector<std::uint16_t> locationTable;  // count + 1 entries
    std::vector<std::uint8_t> offsetWidth;     // count pairs of offset, width
    std::vector<std::uint8_t> strike1;
    std::vector<std::uint8_t> strike2;         // two densities only
    std::string name;
    std::string style;

    // Kept in memory only: set from the font header by Parse.
    int maxAdvance = 0;
    int rows = 0;
    int rowWordsInMemory = 0;
};

// The record header, name and style of a record, whether or not it holds a font.
struct FontRecordSummary {
    FontRecordHeader header;
    std::string name;
    std::string style;
};

// The record bytes of font in the layout its font type chooses. None when a table is missing or
// the tables and strikes do not have the sizes the header gives.
std::optional<std::vector<std::uint8_t>> Serialise(const CFontRecord& font);

// The font a record holds; for a header-only record the header, name and style alone. None when
// the record is shorter than its header, its font data length, its range or its strikes claim.
std::optional<CFontRecord> Parse(std::span<const std::uint8_t> record);
// Parse without the tables and strikes (they stay empty): none exactly where Parse gives none,
// without reading or copying the glyphs. For listing the fonts of a large file.
std::optional<CFontRecord> ParseFontHeader(std::span<const std::uint8_t> record);

// Why a handheld could not hold the font a record parsed into, as "font "<name> <style>" (<size>
// pt): <cause>"; none when it could (and for a header-only record). Parse only checks that the
// parts lie within the record; this checks what they say: character codes up to 255, a cell of 1
// to 160 rows and at most 160 columns, location entries that rise and end within the strike's row
// words, no glyph or advance wider than the cell, and a record within kMaxHandheldRecordSize.
// Whatever sizes a picture or a buffer from a record's fields asks this first.
std::optional<std::string> HandheldLimitFault(const CFontRecord& font);

// The record header and the two strings; none when the record is shorter than 10 + n.
std::optional<FontRecordSummary> ParseHeaderOnly(std::span<const std::uint8_t> record);

// The record with its name and style replaced; the first 10 + n bytes stay as they are. None when
// the record is shorter than 10 + n.
std::optional<std::vector<std::uint8_t>> RenameFontRecord(std::span<const std::uint8_t> record,
                                                          std::string_view name, std::string_view style);
