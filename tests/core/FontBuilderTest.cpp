// Tests of the glyph rasteriser and the font builds with a scripted font engine: cell pads and
// widths, the double-size fitting rules, the tables, the strikes and a whole record's bytes.
#include "core/FontBuilder.h"

#include "core/FontList.h"
#include "core/qz_fileio/DbRecord.h"
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
    // 11 rows and 1 of leading; strike 2's boxes reach 5 rows below its baseline, which takes
    // 3 rows below strike 1's.
    EXPECT_EQ(record.font.fRectHeight, 13);
    EXPECT_EQ(record.strike2.size(), 4 * record.strike1.size());
    EXPECT_EQ(record.font.ascent, 10);
    EXPECT_EQ(record.font.descent, 3);
    const auto bytes = Serialise(record);
    ASSERT_TRUE(bytes);
    const auto back = Parse(*bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->densities[1].glyphBitsOffset, back->densities[0].glyphBitsOffset + record.strike1.size());
}

namespace {
int inkBits(const std::vector<std::uint8_t>& strike) {
    int n = 0;
    for (const auto byte : strike) n += __builtin_popcount(byte);
    return n;
}

// The first and last rows with ink in columns from .. to of a strike.
std::pair<int, int> inkRows(const CFontRecord& f, int scale, int from, int to) {
    const auto& strike = scale == 1 ? f.strike1 : f.strike2;
    const int rowBytes = f.font.rowWords * 2 * scale;
    int first = -1, last = -1;
    for (int r = 0; r < f.font.fRectHeight * scale; ++r)
        for (int x = from; x < to; ++x)
            if (strike[std::size_t(r * rowBytes + x / 8)] & (0x80 >> (x % 8))) {
                if (first < 0) first = r;
                last = r;
            }
    return {first, last};
}
}  // namespace

TEST(BuildFonts, InkPastTheAscentOrDescentAddsRowsAndKeepsOneBaseline) {
    // 'A' is a box from the ascent to the descent; 'B' reaches as far as the case says. The
    // single-size font has 7 rows above the baseline and 2 below, the double-size one 14 and 4.
    struct Case {
        const char* what;
        bool high;
        int leading;
        int above1, below1;  // 'B' at single size
        int above2, below2;  // 'B' at double size
        int ascent, descent;
    };
    const Case cases[] = {
        {"ink that fits changes nothing", false, 0, 7, 2, 14, 4, 7, 2},
        {"a glyph rising two rows", false, 0, 9, 2, 14, 4, 9, 2},
        {"a rise the leading's row holds", false, 1, 8, 2, 14, 4, 8, 2},
        {"a glyph one row below the descent", false, 0, 5, 3, 14, 4, 7, 3},
        {"two densities that fit", true, 0, 7, 2, 14, 4, 7, 2},
        {"single size rising two rows", true, 0, 9, 2, 14, 4, 9, 2},
        {"double size rising three rows: half rounded up", true, 0, 7, 2, 17, 4, 9, 2},
        {"double size two rows below its descent", true, 0, 7, 2, 14, 6, 7, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFontEngine engine;
        engine.face.metrics[9] = scriptedMetrics(9, 7, 'A', 'B', 8, c.leading);
        engine.face.metrics[18] = scriptedMetrics(18, 14, 'A', 'B', 16);
        engine.face.glyphs[9]['B'] = {{0, 3, 1}, true, c.above1, c.below1};
        engine.face.glyphs[18]['B'] = {{0, 6, 2}, true, c.above2, c.below2};
        CFontRecord f;
        ASSERT_TRUE(c.high ? BuildHighDensity(engine, f, 9, face()) : BuildLowDensity(engine, f, 9, face()));
        EXPECT_EQ(f.font.ascent, c.ascent);
        EXPECT_EQ(f.font.descent, c.descent);
        EXPECT_EQ(f.font.fRectHeight, c.ascent + c.descent);
        // Nothing is cut: 'A' twice (once as the missing-character symbol) and 'B' whole.
        EXPECT_EQ(inkBits(f.strike1), 2 * 2 * 9 + 3 * (c.above1 + c.below1));
        // 'A' stands on the baseline row ascent - 1, and on 2 x ascent - 1 at double size.
        EXPECT_EQ(inkRows(f, 1, 0, 3), std::make_pair(c.ascent - 7, c.ascent + 1));
        if (!c.high) continue;
        EXPECT_EQ(f.strike2.size(), 4 * f.strike1.size());
        EXPECT_EQ(inkBits(f.strike2), 2 * 2 * 18 + 6 * (c.above2 + c.below2));
        EXPECT_EQ(inkRows(f, 2, 0, 6), std::make_pair(2 * c.ascent - 14, 2 * c.ascent + 3));
        const auto back = Parse(Serialise(f).value());
        ASSERT_TRUE(back);
        EXPECT_EQ(back->strike2, f.strike2);
    }
}

TEST(BuildFonts, AFontWithoutOneDrawnCharacterFails) {
    struct Case {
        const char* what;
        bool drawable;
        int maxCharWidth;  // 0: no surface to draw on can be made
        bool high;
    };
    const Case cases[] = {
        {"no character can be drawn", false, 8, false},
        {"no surface", true, 0, false},
        {"two densities, no character", false, 8, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFontEngine engine;
        engine.face.metrics[9] = scriptedMetrics(9, 7, 'A', 'Z', c.maxCharWidth);
        engine.face.metrics[18] = scriptedMetrics(18, 14, 'A', 'Z', c.maxCharWidth);
        engine.face.defaultGlyph.drawable = c.drawable;
        CFontRecord f;
        std::string why;
        EXPECT_FALSE(c.high ? BuildHighDensity(engine, f, 9, face(), &why) : BuildLowDensity(engine, f, 9, face(), &why));
        EXPECT_EQ(why, "no character of the font can be drawn at 9 pixels");
    }
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
    std::string why;
    EXPECT_FALSE(BuildTables(record, cells, 32, 255, &why));
    EXPECT_NE(why.find("at most 255"), std::string::npos);
    // 257 cells of at most 255 columns never pass 65,535 bits, so the advance limit is the one
    // that can be met.
}

TEST(ConvertOne, RefusesARecordLargerThanAHandheldRecord) {
    // 225 cells of 8 columns: rows of 113 words. A two-density record of r rows then takes
    // 10 + 44 + 4 x 225 + 5 x 226 r bytes and 3 of name and style: 65,367 at 57 rows, 66,497 at 58.
    for (const int rows : {57, 58}) {
        SCOPED_TRACE(rows);
        ScriptedFontEngine engine;
        engine.face.metrics[9] = scriptedMetrics(rows, rows - 10, 32, 255);
        engine.face.metrics[18] = scriptedMetrics(2 * rows, 2 * rows - 20, 32, 255, 16);
        engine.face.defaultGlyph = {{0, 7, 1}, true};
        ScriptedDocumentUi ui;
        CFontList list(ui);
        list.New();
        std::string why;
        const bool converted = ConvertOne(engine, list, true, 9, face(), ui, &why);
        if (rows == 57) {
            EXPECT_TRUE(converted);
            ASSERT_EQ(list.Count(), 1u);
            EXPECT_EQ(list.At(0)->record->Bytes().size(), 65367u);
            continue;
        }
        EXPECT_FALSE(converted);
        EXPECT_EQ(list.Count(), 0u);
        EXPECT_EQ(why, "the record would be 66,497 bytes, too large for a handheld record (at most 65,505)");
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "S Regular 9 pt: " + why);
    }
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
