// Tests of the glyph rasteriser and the font builds with a scripted font engine: cell pads and
// widths, the double-size fitting rules, the tables, the strikes and a whole record's bytes.
#include "core/FontBuilder.h"

#include "core/FontList.h"
#include "support/ScriptedDocumentUi.h"
#include "support/ScriptedFontEngine.h"

#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;

namespace {
gdi::LOGFONT face(int weight = 400, bool italic = false) { return gdi::makeLogFont("S", 9, weight, italic, 0); }

struct Cells {
    std::unique_ptr<GlyphCells> one = std::make_unique<GlyphCells>();
    std::unique_ptr<GlyphCells> two = std::make_unique<GlyphCells>();
};

// Renders character 'A' at 9 px, and at 18 px fitted to it, with the given widths.
Cells renderPair(gdi::ABC single, gdi::ABC doubled) {
    ScriptedFontEngine engine;
    engine.face.metrics[9] = scriptedMetrics(9, 7, 'A', 'A');
    engine.face.metrics[18] = scriptedMetrics(18, 14, 'A', 'A', 16);
    engine.face.glyphs[9]['A'] = {single, true};
    engine.face.glyphs[18]['A'] = {doubled, true};
    Cells cells;
    auto f1 = engine.CreateFontIndirect(gdi::makeLogFont("S", -9, 400, false, 0));
    auto f2 = engine.CreateFontIndirect(gdi::makeLogFont("S", -18, 400, false, 0));
    gdi::TEXTMETRIC m1, m2;
    RenderStrike(*f1, *cells.one, m1);
    RenderDoubleStrike(*f2, *cells.one, *cells.two, m2);
    return cells;
}
}  // namespace

TEST(RenderStrike, CellPadsAndWidths) {
    struct Case {
        const char* what;
        gdi::ABC abc;
        int width, leftPad, rightPad;
        int inkColumns;
    };
    const Case cases[] = {
        {"space: full advance, no pads, no ink", {0, 0, 4}, 4, 0, 0, 0},
        {"abcC 1: no right pad", {0, 3, 1}, 3, 1, 0, 3},
        {"abcC 2: one right pad", {0, 3, 2}, 3, 1, 1, 3},
        {"negative abcA: drawn at |A|, captured from 0", {-2, 3, 1}, 3, 1, 0, 3},
        {"positive abcA", {2, 3, 0}, 3, 1, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFontEngine engine;
        engine.face.metrics[9] = scriptedMetrics(9, 7, 'A', 'A');
        engine.face.glyphs[9]['A'] = {c.abc, true};
        auto font = engine.CreateFontIndirect(gdi::makeLogFont("S", -9, 400, false, 0));
        GlyphCells cells;
        gdi::TEXTMETRIC tm;
        RenderStrike(*font, cells, tm);
        const GlyphCell& cell = cells['A'];
        EXPECT_EQ(cell.width, c.width);
        EXPECT_EQ(cell.leftPad, c.leftPad);
        EXPECT_EQ(cell.rightPad, c.rightPad);
        EXPECT_EQ(cell.height, 9);
        int ink = 0;
        for (int x = 0; x < cell.width; ++x) ink += cell.pixels[std::size_t(x)];
        EXPECT_EQ(ink, c.inkColumns);
    }
}

TEST(RenderStrike, UndrawableCharacterIsMissing) {
    ScriptedFontEngine engine;
    engine.face.metrics[9] = scriptedMetrics(9, 7, 'A', 'B');
    engine.face.glyphs[9]['B'] = {{0, 3, 0}, false};
    auto font = engine.CreateFontIndirect(gdi::makeLogFont("S", -9, 400, false, 0));
    GlyphCells cells;
    gdi::TEXTMETRIC tm;
    RenderStrike(*font, cells, tm);
    EXPECT_TRUE(cells['A'].Present());
    EXPECT_FALSE(cells['B'].Present());
    SetMissingSymbol(cells, tm);
    EXPECT_EQ(cells['B' + 1].width, cells['A'].width);  // the default character's cell
}

TEST(RenderDoubleStrike, FitsEachDoubleCellToTwiceTheSingleAdvance) {
    struct Case {
        const char* what;
        gdi::ABC single, doubled;
        int left1, right1, left2, right2;
    };
    const Case cases[] = {
        // single: pads 1 and 1 around 3 columns, advance 5.
        {"exactly twice as wide: pads doubled", {0, 3, 2}, {0, 6, 2}, 1, 1, 2, 2},
        {"two columns short: one more on each side", {0, 3, 2}, {0, 7, 0}, 1, 1, 2, 1},
        {"too wide by an even half: both single pads grow", {0, 3, 2}, {0, 11, 2}, 2, 2, 2, 1},
        {"odd half with equal pads: left gets the extra", {0, 3, 2}, {0, 13, 2}, 3, 2, 2, 1},
        {"odd half with the left pad larger: right gets it", {0, 3, 0}, {0, 11, 2}, 2, 2, 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Cells cells = renderPair(c.single, c.doubled);
        const GlyphCell& one = (*cells.one)['A'];
        const GlyphCell& two = (*cells.two)['A'];
        EXPECT_EQ(one.leftPad, c.left1);
        EXPECT_EQ(one.rightPad, c.right1);
        EXPECT_EQ(two.leftPad, c.left2);
        EXPECT_EQ(two.rightPad, c.right2);
        EXPECT_EQ(two.Advance(), 2 * one.Advance());
    }
}

TEST(BuildLowDensity, SmallFontRecordByteForByte) {
    ScriptedFontEngine engine;
    engine.face.metrics[9] = scriptedMetrics(3, 2, 'A', 'B', 4);
    engine.face.glyphs[9]['A'] = {{0, 2, 1}, true};
    engine.face.glyphs[9]['B'] = {{0, 1, 0}, true};
    CFontRecord record;
    ASSERT_TRUE(BuildLowDensity(engine, record, 9, face()));
    EXPECT_EQ(engine.created.back().lfHeight, -9);
    const Bytes expected = {
        0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2E,  // n = 6 + 12 + 28
        0x00, 0x90, 0x00, 0x41, 0x00, 0x42,                          // type, 'A', 'B'
        0x00, 0x03, 0x00, 0x00, 0x00, 0x00,                          // maxWidth 3
        0x00, 0x03, 0x00, 0x03,                                      // fRectWidth, fRectHeight
        0x00, 0x0C,                                                  // owTLoc (6 + 6 + 12) / 2
        0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01,              // ascent, descent, leading, rowWords
        0x6B, 0x00, 0x6B, 0x00, 0x6B, 0x00,                          // A at 1-2, B at 4, symbol at 6-7
        0x00, 0x00, 0x00, 0x03, 0x00, 0x05, 0x00, 0x08,              // locations
        0x00, 0x03, 0x00, 0x02, 0x00, 0x03,                          // offsets and widths
        'S', 0x00, 0x00,
    };
    EXPECT_EQ(Serialise(record).value(), expected);
}

TEST(BuildHighDensity, SecondStrikeHasTwiceTheRowsAndRowWords) {
    ScriptedFontEngine engine;
    engine.face.metrics[9] = scriptedMetrics(11, 9, 32, 126, 10, 1);
    // The first double-size font is too short; the fitting walks up to 20 px.
    engine.face.metrics[18] = scriptedMetrics(21, 17, 32, 126, 20);
    engine.face.metrics[19] = scriptedMetrics(22, 18, 32, 126, 20);
    engine.face.metrics[20] = scriptedMetrics(24, 19, 32, 126, 20);
    engine.face.defaultGlyph = {{0, 3, 1}, true};
    CFontRecord record;
    ASSERT_TRUE(BuildHighDensity(engine, record, 9, face(700, true)));
    EXPECT_EQ(engine.created.back().lfHeight, -20);
    EXPECT_EQ(record.style, "BI");
    EXPECT_EQ(record.Count(), 96);
    EXPECT_EQ(record.font.fRectHeight, 12);  // 11 rows and 1 of leading
    EXPECT_EQ(record.strike2.size(), 4 * record.strike1.size());
    EXPECT_EQ(record.font.descent, 2);       // 5 / 2
    const auto bytes = Serialise(record);
    ASSERT_TRUE(bytes);
    const auto back = Parse(*bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->densities[1].glyphBitsOffset, back->densities[0].glyphBitsOffset + record.strike1.size());
}

TEST(BuildTables, RangeAndLimits) {
    GlyphCells cells;
    for (int c = 32; c <= 256; ++c) cells[std::size_t(c)] = GlyphCell{{}, 3, 1, 1, 0, 0};
    cells[100].width = 0;  // missing
    CFontRecord record;
    ASSERT_TRUE(BuildTables(record, cells, 32, 255, nullptr));
    EXPECT_EQ(record.locationTable.size(), 226u);
    EXPECT_EQ(record.offsetWidth[2 * (100 - 32)], 0xFF);
    EXPECT_EQ(record.offsetWidth[2 * (100 - 32) + 1], 0xFF);
    EXPECT_EQ(record.locationTable[100 - 32], record.locationTable[101 - 32]);
    EXPECT_EQ(record.locationTable.back(), 224 * 4);

    cells[40].width = 300;
    BuildFailure why;
    EXPECT_FALSE(BuildTables(record, cells, 32, 255, &why));
    EXPECT_NE(why.reason.find("at most 255"), std::string::npos);
    // 257 cells of at most 255 columns never pass 65,535 bits, so the advance limit is the one
    // that can be met.
}

TEST(ConvertOne, FailureShowsUnknownFontErrorAndAddsNothing) {
    ScriptedFontEngine engine;  // no heights: no font can be made
    ScriptedDocumentUi ui;
    CFontList list(ui);
    list.New();
    EXPECT_FALSE(ConvertOne(engine, list, false, 9, face(), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Unknown font error");
    EXPECT_EQ(list.Count(), 0u);
}
