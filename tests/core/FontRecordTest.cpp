// Tests of the font record layouts: golden bytes of both layouts, round trips, and refusing
// records whose header claims more than they hold.
#include "core/FontRecord.h"

#include "support/SampleFonts.h"

#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;

namespace {
const Bytes kTinySingle = {
    0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x28,  // record header, n = 40
    0x00, 0x90,  // fontType
    0x00, 0x41, 0x00, 0x41,  // firstChar, lastChar
    0x00, 0x02, 0x00, 0x00, 0x00, 0x00,  // maxWidth, kernMax, nDescent
    0x00, 0x02, 0x00, 0x02,  // fRectWidth, fRectHeight
    0x00, 0x0A,  // owTLoc = (4 + 4 + 12) / 2
    0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,  // ascent, descent, leading, rowWords
    0x80, 0x00, 0x40, 0x00,  // strike
    0x00, 0x00, 0x00, 0x02, 0x00, 0x03,  // location table
    0x00, 0x02, 0x00, 0x01,  // offset/width table
    'T', 0x00, 0x00,  // name, empty style
};

const Bytes kTinyTwoDensity = {
    0x04, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x48,  // n = 72
    0x92, 0x00, 0x00, 0x41, 0x00, 0x41, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x02, 0x00, 0x02, 0x00, 0x10,  // owTLoc = count + 14
    0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x02,  // version, densityCount
    0x00, 0x48, 0x00, 0x00, 0x00, 0x34,  // 72, 44 + 4 * count
    0x00, 0x90, 0x00, 0x00, 0x00, 0x38,  // 144, + S1
    0x00, 0x00, 0x00, 0x02, 0x00, 0x03,
    0x00, 0x02, 0x00, 0x01,
    0x80, 0x00, 0x40, 0x00,
    0xC0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    'T', 0x00, 0x00,
};
}  // namespace

TEST(FontRecordSerialise, SingleDensityGoldenBytes) {
    EXPECT_EQ(Serialise(tinyFont(false)).value(), kTinySingle);
}

TEST(FontRecordSerialise, TwoDensityGoldenBytes) {
    EXPECT_EQ(Serialise(tinyFont(true)).value(), kTinyTwoDensity);
}

TEST(FontRecordParse, RoundTripsBothLayoutsByteForByte) {
    for (const Bytes* golden : {&kTinySingle, &kTinyTwoDensity}) {
        const auto font = Parse(*golden);
        ASSERT_TRUE(font);
        EXPECT_EQ(font->Count(), 2);
        EXPECT_EQ(font->name, "T");
        EXPECT_EQ(font->style, "");
        EXPECT_EQ(font->maxAdvance, 2);
        EXPECT_EQ(font->rows, 2);
        EXPECT_EQ(font->rowWordsInMemory, 1);
        EXPECT_EQ(font->locationTable, (std::vector<std::uint16_t>{0, 2, 3}));
        EXPECT_EQ(font->strike2.size(), font->IsHighDensity() ? 4 * font->strike1.size() : 0u);
        EXPECT_EQ(Serialise(*font).value(), *golden);
    }
}

TEST(FontRecordParse, OnlyTheHighDensityBitChoosesTheLayout) {
    Bytes record = kTinySingle;
    record[10] = 0x00;  // fontType 0x0000
    record[11] = 0x00;
    const auto font = Parse(record);
    ASSERT_TRUE(font);
    EXPECT_FALSE(font->IsHighDensity());
    EXPECT_EQ(font->strike1, (Bytes{0x80, 0x00, 0x40, 0x00}));
}

TEST(FontRecordParse, PrintableRangeHasCount96) {
    CFontRecord f = tinyFont(false);
    f.font.firstChar = 32;
    f.font.lastChar = 126;
    EXPECT_EQ(f.Count(), 96);
    f.locationTable.assign(97, 0);
    f.offsetWidth.assign(192, 0);
    f.header.fontDataLength = static_cast<std::uint32_t>(f.LayoutLength());
    const auto bytes = Serialise(f);
    ASSERT_TRUE(bytes);
    const auto back = Parse(*bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->locationTable.size(), 97u);
    EXPECT_EQ(back->offsetWidth.size(), 192u);
}

TEST(FontRecordParse, HeaderOnlyRecordGivesNameStyleAndSize) {
    const Bytes record = {0x00, 0x01, 0x00, 0x0C, 0, 0, 0, 0, 0, 3, 0xEE, 0xEE, 0xEE, 'A', 'r', 0, 'B', 0};
    const auto font = Parse(record);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->header.headerOnly, 1);
    EXPECT_EQ(font->header.pointSize, 12);
    EXPECT_EQ(font->name, "Ar");
    EXPECT_EQ(font->style, "B");
    EXPECT_TRUE(font->locationTable.empty());
    const auto summary = ParseHeaderOnly(record);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->name, "Ar");
}

TEST(FontRecordParse, RefusesEveryRecordCutBeforeItsName) {
    for (const Bytes* golden : {&kTinySingle, &kTinyTwoDensity}) {
        const std::size_t nameAt = golden->size() - 3;
        for (std::size_t n = 0; n < nameAt; ++n) {
            SCOPED_TRACE(n);
            EXPECT_FALSE(Parse(std::span(golden->data(), n)));
        }
        // Cut inside the strings: the font is whole, the text is what is there.
        EXPECT_TRUE(Parse(std::span(golden->data(), nameAt)));
    }
}

TEST(FontRecordParse, RefusesHeadersThatClaimMoreThanTheFontData) {
    struct Case {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
    };
    const Case cases[] = {
        {"font data length shorter than the layout", 9, 0x27},
        {"lastChar before firstChar - 1", 15, 0x3F},
        {"more rows than the strike holds", 25, 0x03},
        {"more row words than the strike holds", 35, 0x02},
        {"wider range than the tables", 15, 0x50},
        {"font data length past the record", 9, 0x40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes record = kTinySingle;
        record[c.offset] = c.value;
        EXPECT_FALSE(Parse(record));
    }
}

TEST(FontRecordSerialise, RefusesMissingOrMisSizedTables) {
    struct Case {
        const char* what;
        void (*spoil)(CFontRecord&);
    };
    const Case cases[] = {
        {"no location table", [](CFontRecord& f) { f.locationTable.clear(); }},
        {"no offset/width table", [](CFontRecord& f) { f.offsetWidth.clear(); }},
        {"location table one short", [](CFontRecord& f) { f.locationTable.pop_back(); }},
        {"strike one byte short", [](CFontRecord& f) { f.strike1.pop_back(); }},
        {"second strike missing", [](CFontRecord& f) { f.strike2.clear(); }},
        {"font data length too short", [](CFontRecord& f) { f.header.fontDataLength -= 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFontRecord f = tinyFont(true);
        c.spoil(f);
        EXPECT_FALSE(Serialise(f));
    }
}

TEST(RenameFontRecord, KeepsTheFontDataAndReplacesTheStrings) {
    const auto renamed = RenameFontRecord(kTinySingle, "Arial", "BI");
    ASSERT_TRUE(renamed);
    Bytes expected(kTinySingle.begin(), kTinySingle.end() - 3);
    for (const char c : std::string("Arial\0BI", 8)) expected.push_back(static_cast<std::uint8_t>(c));
    expected.push_back(0);
    EXPECT_EQ(*renamed, expected);
    EXPECT_FALSE(RenameFontRecord(std::span(kTinySingle.data(), 20), "A", ""));
}

TEST(FontRecordLayout, FieldsPointAtTheTablesAndStrikesTheyName) {
    struct Case {
        bool two;
        int first, last, rows, rowWords;
    };
    const Case cases[] = {{false, 'A', 'A', 2, 1}, {false, 32, 255, 13, 57}, {true, 'A', 'A', 2, 1}, {true, 30, 255, 11, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.two) + " " + std::to_string(c.last) + " " + std::to_string(c.rows));
        CFontRecord f = tinyFont(c.two);
        f.font.firstChar = static_cast<std::uint16_t>(c.first);
        f.font.lastChar = static_cast<std::uint16_t>(c.last);
        f.font.fRectHeight = static_cast<std::uint16_t>(c.rows);
        f.font.rowWords = static_cast<std::uint16_t>(c.rowWords);
        const std::size_t count = std::size_t(f.Count());
        f.locationTable.assign(count + 1, 0);
        f.offsetWidth.assign(2 * count, 0x5A);
        f.strike1.assign(f.StrikeBytes(), 0x11);
        if (c.two) f.strike2.assign(4 * f.StrikeBytes(), 0x22);
        f.SetLayoutFields();
        const auto bytes = Serialise(f);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(bytes->size(), f.RecordSize());
        EXPECT_EQ(f.header.fontDataLength + 10 + 3, bytes->size());
        // owTLoc counts words from its own field (record offset 26) to the offset/width table.
        const std::size_t table = 26 + 2 * std::size_t(f.font.owTLoc);
        EXPECT_EQ(Bytes(bytes->begin() + std::ptrdiff_t(table), bytes->begin() + std::ptrdiff_t(table + 2 * count)),
                  f.offsetWidth);
        if (!c.two) continue;
        // The density entries' offsets count from the font header (record offset 10).
        EXPECT_EQ(f.densities[0].density, 72);
        EXPECT_EQ(f.densities[1].density, 144);
        EXPECT_EQ((*bytes)[10 + f.densities[0].glyphBitsOffset], 0x11);
        EXPECT_EQ((*bytes)[10 + f.densities[1].glyphBitsOffset - 1], 0x11);
        EXPECT_EQ((*bytes)[10 + f.densities[1].glyphBitsOffset], 0x22);
        EXPECT_EQ(Parse(*bytes)->densities[1].glyphBitsOffset, f.densities[1].glyphBitsOffset);
    }
}

// Records that parse (their parts lie within their bytes) but say what no handheld holds: each is
// refused by HandheldLimitFault with a cause naming the field, and the golden records pass.
TEST(FontRecordLimits, RefusesCellsRangesAndTablesNoHandheldHolds) {
    for (const Bytes* golden : {&kTinySingle, &kTinyTwoDensity}) {
        const auto font = Parse(*golden);
        ASSERT_TRUE(font);
        EXPECT_EQ(HandheldLimitFault(*font), std::nullopt);
    }
    // The 49 bytes of a record with no strike (rowWords 0) and a cell 0xFFFF rows tall.
    const Bytes noStrike = {
        0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24,  // n = 36
        0x00, 0x90, 0x00, 0x41, 0x00, 0x41, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x02, 0xFF, 0xFF,  // fRectWidth 2, fRectHeight 0xFFFF
        0x00, 0x06, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // rowWords 0
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // location table
        0x00, 0x00, 0xFF, 0xFF,  // offset/width table
        'N', 0x00, 0x00,
    };
    ASSERT_EQ(noStrike.size(), 49u);
    const auto parsed = Parse(noStrike);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(HandheldLimitFault(*parsed), "font \"N\" (12 pt): cell height 65535 is outside the handheld's 1 to 160 rows");

    struct Case {
        const char* what;
        void (*change)(CFontRecord&);
        const char* cause;
    };
    const Case cases[] = {
        {"codes past 255", [](CFontRecord& f) { f.font.lastChar = 0x141; }, "last character 321 is beyond"},
        {"no rows", [](CFontRecord& f) { f.font.fRectHeight = 0; }, "cell height 0 is outside"},
        {"taller than the screen", [](CFontRecord& f) { f.font.fRectHeight = 161; }, "cell height 161"},
        {"wider than the screen", [](CFontRecord& f) { f.font.fRectWidth = 161; }, "cell width 161"},
        {"more than a record holds", [](CFontRecord& f) { f.header.fontDataLength = 65500; }, "65513 bytes are more"},
        {"strike narrower than its locations", [](CFontRecord& f) { f.locationTable.back() = 17; },
         "the strike ends at column 17, past its 16"},
        {"locations running backwards", [](CFontRecord& f) { f.locationTable = {2, 1, 1}; },
         "the location of character 0x41 runs backwards (2 to 1)"},
        {"a glyph wider than the cell", [](CFontRecord& f) { f.locationTable = {0, 3, 3}; },
         "the glyph of character 0x41 is 3 columns wide, wider than the cell's 2"},
        {"an advance wider than the cell", [](CFontRecord& f) { f.offsetWidth[3] = 200; },
         "the advance of the missing-character symbol is 200"},
    };
    for (const bool two : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            CFontRecord font = tinyFont(two);
            c.change(font);
            const auto fault = HandheldLimitFault(font);
            ASSERT_TRUE(fault);
            EXPECT_NE(fault->find(c.cause), std::string::npos) << *fault;
        }
    }
    // A missing character's 0xFF width is no advance, and a header-only record has nothing to check.
    CFontRecord missing = tinyFont(false);
    missing.offsetWidth = {0xFF, 0xFF, 0x00, 0x01};
    EXPECT_EQ(HandheldLimitFault(missing), std::nullopt);
    CFontRecord headerOnly;
    headerOnly.header.headerOnly = 1;
    EXPECT_EQ(HandheldLimitFault(headerOnly), std::nullopt);
}
