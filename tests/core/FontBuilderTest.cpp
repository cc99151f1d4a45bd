// Tests of the glyph rasteriser and the font builds with a scripted font engine: cell pads and
// widths, the double-size fitting rules, the tables, the strikes and a whole record's bytes.
#include "core/FontBuilder.h"

#include "core/FontList.h"
#include "core/qz_fileio/DbRecord.h"
#include "support/ScriptedDocumentUi.h"
#include "support/ScriptedFontEngine.h"

#include <gtest/gtest.h>

#include <map>

using Bytes = std::vector<std::uint8_t>;

namespace {
FontRequest face(int weight = 400, bool italic = false) { return {"S", 0, 0, 9, weight, italic}; }

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
        for (int x = 0; x < cell.width; ++x) ink += cell.Ink(x, 0);
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
    ASSERT_TRUE(BuildLowDensity(engine, record, face()));
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
    ASSERT_TRUE(BuildHighDensity(engine, record, face(700, true)));
    EXPECT_EQ(engine.created.back().lfHeight, -20);
    EXPECT_EQ(record.style, "BI");
    EXPECT_EQ(record.Count(), 96);
    // 11 rows and 1 of leading; strike 2's boxes reach 5 rows below its baseline, which takes
    // 3 rows below strike 1's.
    EXPECT_EQ(record.font.fRectHeight, 13);
    EXPECT_EQ(record.strike2.size(), 4 * record.strike1.size());
    EXPECT_EQ(record.font.ascent, 10);
    EXPECT_EQ(record.font.descent, 3);
    EXPECT_EQ(HandheldLimitFault(record), std::nullopt);
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
        ASSERT_TRUE(c.high ? BuildHighDensity(engine, f, face()) : BuildLowDensity(engine, f, face()));
        EXPECT_EQ(f.font.ascent, c.ascent);
        EXPECT_EQ(f.font.descent, c.descent);
        EXPECT_EQ(f.font.fRectHeight, c.ascent + c.descent);
        EXPECT_EQ(HandheldLimitFault(f), std::nullopt);
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
        EXPECT_FALSE(c.high ? BuildHighDensity(engine, f, face(), &why) : BuildLowDensity(engine, f, face(), &why));
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
        CFontList list;
        list.New();
        std::string why;
        const bool converted = ui.Show(ConvertOne(engine, list, true, face(), &why));
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
    CFontList list;
    list.New();
    EXPECT_FALSE(ui.Show(ConvertOne(engine, list, false, face())));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Unknown font error");
    EXPECT_EQ(list.Count(), 0u);
}

namespace {
// A font whose characters are given masks, read either through GetGlyphMask or only by drawing
// them with TextOut, so that the two ways of capturing a cell can be set side by side.
class MaskedFont final : public gdi::Font {
public:
    struct Glyph {
        gdi::ABC abc;
        int left = 0, top = 0, width = 0;
        std::vector<std::string> rows;  // '#' is ink
        bool drawable = true;
        bool paddingSet = false;  // the mask's bits past the width are set, which nothing may take as ink
    };

    MaskedFont(gdi::TEXTMETRIC metrics, std::map<int, Glyph> glyphs, bool masks)
        : metrics_(metrics), glyphs_(std::move(glyphs)), masks_(masks) {}

    gdi::TEXTMETRIC GetTextMetrics() const override { return metrics_; }
    bool GetCharWidth32(std::uint8_t ch, std::int32_t& width) override {
        const gdi::ABC& abc = glyph(ch).abc;
        width = abc.abcA + std::int32_t(abc.abcB) + abc.abcC;
        return true;
    }
    bool GetTextExtentPoint32(std::uint8_t ch, gdi::SIZE& size) override {
        std::int32_t width = 0;
        GetCharWidth32(ch, width);
        size = {width, metrics_.tmHeight};
        return true;
    }
    bool GetCharABCWidths(std::uint8_t ch, gdi::ABC& abc) override {
        abc = glyph(ch).abc;
        return true;
    }
    bool TextOut(gdi::Bitmap& bitmap, int x, int y, std::uint8_t ch) override {
        gdi::GlyphMask mask;
        if (!maskOf(ch, mask)) return false;
        bitmap.DrawMask(x + mask.left, y - mask.top, mask.bits, mask.width, mask.rows, mask.pitch, gdi::RGB(0, 0, 0));
        return true;
    }
    bool HasGlyphMasks() const override { return masks_; }
    bool GetGlyphMask(std::uint8_t ch, gdi::GlyphMask& mask) override { return masks_ && maskOf(ch, mask); }

private:
    const Glyph& glyph(std::uint8_t ch) const {
        static const Glyph blank{{0, 0, 3}, 0, 0, 0, {}, true};
        const auto it = glyphs_.find(ch);
        return it == glyphs_.end() ? blank : it->second;
    }
    bool maskOf(std::uint8_t ch, gdi::GlyphMask& mask) {
        const Glyph& g = glyph(ch);
        if (!g.drawable) return false;
        const int pitch = (g.width + 7) / 8;
        bits_.assign(std::size_t(pitch) * g.rows.size(), 0);
        for (std::size_t r = 0; r < g.rows.size(); ++r)
            for (int c = 0; c < g.width && c < int(g.rows[r].size()); ++c)
                if (g.rows[r][std::size_t(c)] == '#') bits_[r * std::size_t(pitch) + std::size_t(c / 8)] |= std::uint8_t(0x80 >> (c % 8));
        if (g.paddingSet && g.width % 8 != 0)
            for (std::size_t r = 0; r < g.rows.size(); ++r) bits_[(r + 1) * std::size_t(pitch) - 1] |= std::uint8_t(0xFF >> (g.width % 8));
        mask = {bits_.data(), g.left, g.top, g.width, int(g.rows.size()), pitch};
        return true;
    }

    gdi::TEXTMETRIC metrics_;
    std::map<int, Glyph> glyphs_;
    bool masks_;
    std::vector<std::uint8_t> bits_;
};

// rows rows of the given column pattern, one string per row.
std::vector<std::string> repeated(const std::string& row, int rows) { return std::vector<std::string>(std::size_t(rows), row); }
}  // namespace

// Cells read from masks must be exactly the cells drawn and scanned, down to the drawing
// surface's quirks: its width clips ink, its room doubles while ink touches its top or bottom
// row (and stays doubled for the next characters), and ink past a blank edge row is lost.
TEST(RenderStrike, MasksGiveTheCellsThatDrawingGives) {
    // 10 rows, 8 above the baseline; the surface is 2 x 6 columns and starts with 2 rows of room.
    const gdi::TEXTMETRIC metrics = scriptedMetrics(10, 8, 'A', 'N', 6);
    // With 16 rows of room, ink past the surface's top, a blank row on its top edge, ink below.
    std::vector<std::string> gap = repeated("##", 14);
    for (int r = 3; r < 8; ++r) gap[std::size_t(r)] = "..";
    std::vector<std::string> spaced(8, "#.#..#.##.#");  // columns across byte boundaries
    spaced[2] = "...........";
    const std::map<int, MaskedFont::Glyph> glyphs = {
        {'A', {{1, 3, 1}, 1, 7, 3, repeated("#.#", 9)}},
        {'B', {{0, 4, 1}, 0, 20, 4, repeated("####", 22)}},               // rises far past the room: 2 -> 16 rows
        {'C', {{0, 2, 1}, 0, 9, 2, repeated("##", 3)}},                   // drawn with the grown room
        {'D', {{-2, 5, 0}, -2, 6, 5, repeated("#...#", 6)}},              // negative A: captured from column 0
        {'E', {{3, 2, 2}, 3, 4, 2, repeated("##", 2)}},                   // positive A
        {'F', {{0, 30, 0}, 0, 5, 30, repeated(std::string(30, '#'), 5)}}, // wider than the surface
        {'G', {{0, 2, 0}, 0, 3, 2, {"##", "##", "##", "##", "##", "##", "##", "##", "##", "##", "##", "##", "##", "##", "##"}}},
        {'H', {{0, 3, 1}, 0, 3, 3, repeated("###", 4), false}},           // cannot be drawn
        {'I', {{0, 0, 4}, 0, 0, 0, {}}},                                  // a space
        {'J', {{1, 11, 1}, 1, 8, 11, spaced}},
        {'K', {{0, 2, 1}, 0, 27, 2, gap}},
        {'L', {{0, 2, 1}, -3, 5, 9, repeated("#########", 5)}},           // ink left of the black box
        {'M', {{1, 3, 1}, 1, 6, 3, {"###", "#..", "...", "..#", "###"}, true, true}},    // set bits past the width
        {'N', {{0, 10, 1}, 0, 7, 10, repeated("#........#", 4), true, true}},           // ... in a second byte
    };
    MaskedFont masked(metrics, glyphs, true), drawn(metrics, glyphs, false);
    GlyphCells fromMasks, fromDrawing;
    gdi::TEXTMETRIC m1, m2;
    ASSERT_TRUE(RenderStrike(masked, fromMasks, m1));
    ASSERT_TRUE(RenderStrike(drawn, fromDrawing, m2));
    for (int ch = 'A'; ch <= 'N'; ++ch) {
        SCOPED_TRACE(std::string(1, char(ch)));
        const GlyphCell &a = fromMasks[std::size_t(ch)], &b = fromDrawing[std::size_t(ch)];
        EXPECT_EQ(a.width, b.width);
        EXPECT_EQ(a.height, b.height);
        EXPECT_EQ(a.leftPad, b.leftPad);
        EXPECT_EQ(a.rightPad, b.rightPad);
        EXPECT_EQ(a.baseline, b.baseline);
        EXPECT_EQ(a.inkAbove, b.inkAbove);
        EXPECT_EQ(a.inkBelow, b.inkBelow);
        EXPECT_EQ(a.bits, b.bits);
    }
    EXPECT_EQ(fromMasks['B'].inkAbove, 20);
    EXPECT_EQ(fromMasks['K'].inkAbove, 19);  // the three rows past the edge are lost
    EXPECT_FALSE(fromMasks['H'].Present());
    EXPECT_EQ(fromMasks['M'].bits[std::size_t(fromMasks['M'].baseline - 6)], 0xE0);  // "###", nothing past it
}

// A glyph taller than any surface can be made keeps what the largest surface holds.
TEST(RenderStrike, MasksTallerThanAnySurfaceAreCutAsDrawingCutsThem) {
    const gdi::TEXTMETRIC metrics = scriptedMetrics(10, 8, 'A', 'A', 2);
    const std::map<int, MaskedFont::Glyph> glyphs = {{'A', {{0, 1, 0}, 0, 20000, 1, repeated("#", 20010)}}};
    MaskedFont masked(metrics, glyphs, true), drawn(metrics, glyphs, false);
    GlyphCells fromMasks, fromDrawing;
    gdi::TEXTMETRIC tm;
    ASSERT_TRUE(RenderStrike(masked, fromMasks, tm));
    ASSERT_TRUE(RenderStrike(drawn, fromDrawing, tm));
    EXPECT_LT(fromMasks['A'].inkAbove, 20000);
    EXPECT_EQ(fromMasks['A'].inkAbove, fromDrawing['A'].inkAbove);
    EXPECT_EQ(fromMasks['A'].height, fromDrawing['A'].height);
    EXPECT_EQ(fromMasks['A'].bits, fromDrawing['A'].bits);
}

// Packing cells into strike rows a byte at a time must set exactly the bits one at a time
// would: cells of every width from 1 to 19 at every bit offset.
TEST(ComposeStrike, PacksEveryCellBitForBit) {
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        auto cells = std::make_unique<GlyphCells>();
        CFontRecord record;
        const int first = 1, last = 60;
        record.offsetWidth.assign(2 * std::size_t(last - first + 2), 0);
        record.locationTable.assign(std::size_t(last - first + 3), 0);
        unsigned seed = 7;
        int location = 0;
        for (int i = 0; i <= last - first + 1; ++i) {
            GlyphCell& cell = (*cells)[std::size_t(first + i)];
            cell.width = 1 + (i * 7) % 19;
            cell.height = 3 + i % 4;
            cell.leftPad = i % 3;
            cell.bits.assign(cell.RowBytes() * std::size_t(cell.height), 0);
            for (int r = 0; r < cell.height; ++r)
                for (int x = 0; x < cell.width; ++x) {
                    seed = seed * 1103515245u + 12345u;
                    if ((seed >> 16) % 3 == 0)
                        cell.bits[std::size_t(r) * cell.RowBytes() + std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
                }
            record.locationTable[std::size_t(i)] = std::uint16_t(location);
            record.offsetWidth[2 * std::size_t(i) + 1] = std::uint8_t(cell.Advance());
            location += cell.leftPad + cell.width;  // the right pad 0
        }
        record.locationTable.back() = std::uint16_t(location);
        record.font.rowWords = std::uint16_t((location - 1) / 16 + 1);
        const int rows = 8, topRows = 1;
        const auto strike = ComposeStrike(record, rows - topRows, topRows, scale, *cells, first, last);
        ASSERT_TRUE(strike);
        std::vector<std::uint8_t> expected(strike->size(), 0);
        const std::size_t rowBytes = std::size_t(record.font.rowWords) * std::size_t(scale) * 2;
        for (int i = 0; i <= last - first + 1; ++i) {
            const GlyphCell& cell = (*cells)[std::size_t(first + i)];
            const std::size_t at = std::size_t(record.locationTable[std::size_t(i)]) * std::size_t(scale) + std::size_t(cell.leftPad);
            for (int r = 0; r < cell.height && topRows + r < rows; ++r)
                for (int x = 0; x < cell.width; ++x)
                    if (cell.Ink(x, r) && at + std::size_t(x) < rowBytes * 8)
                        expected[std::size_t(topRows + r) * rowBytes + (at + std::size_t(x)) / 8] |= std::uint8_t(0x80 >> ((at + std::size_t(x)) % 8));
        }
        EXPECT_EQ(*strike, expected);
    }
}

// Copying rows of bits between any two bit offsets sets exactly those bits and touches no byte
// past them: two rows of ten bytes into rows of twelve, runs short of a 64-bit word and past it.
TEST(OrBitRows, CopiesAnyRunBetweenAnyOffsets) {
    const std::uint8_t source[20] = {0xB5, 0x3C, 0xE7, 0x81, 0xFF, 0x6A, 0x01, 0xC3, 0x5A, 0x99,
                                     0x0F, 0x72, 0xA4, 0xFE, 0x11, 0x80, 0x3B, 0xD6, 0x47, 0xEE};
    for (std::size_t fromBit = 0; fromBit < 12; ++fromBit)
        for (std::size_t toBit = 0; toBit < 12; ++toBit)
            for (std::size_t count = 1; count + fromBit <= 80; ++count) {
                std::uint8_t target[25] = {};  // a guard byte, then two rows of twelve
                OrBitRows(source, 10, fromBit, count, 2, target + 1, 12, toBit);
                std::uint8_t expected[25] = {};
                for (std::size_t row = 0; row < 2; ++row)
                    for (std::size_t i = 0; i < count; ++i)
                        if ((source[10 * row + (fromBit + i) / 8] >> (7 - (fromBit + i) % 8)) & 1)
                            expected[1 + 12 * row + (toBit + i) / 8] |= std::uint8_t(0x80 >> ((toBit + i) % 8));
                ASSERT_EQ(std::vector<std::uint8_t>(target, target + 25), std::vector<std::uint8_t>(expected, expected + 25))
                    << "from bit " << fromBit << " to bit " << toBit << ", " << count << " bits";
            }
}
