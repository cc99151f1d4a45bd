// FontBuilder.cpp
#include "FontBuilder.h"

#include "FontList.h"
#include "platform/gdi/CodePages.h"
#include "resources/converter/ConverterStrings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

std::string StyleCodeOf(const FontRequest& request) {
    std::string style;
    if (request.Bold()) style += "B";
    if (request.italic) style += "I";
    return style;
}

namespace {
constexpr int kMaxAdvance = 255;
constexpr int kMaxStrikeBits = 65535;

bool fail(std::string* why, std::string reason) {
    if (why) *why = std::move(reason);
    return false;
}

void setNameAndStyle(CFontRecord& record, const FontRequest& request) {
    record.name = request.FaceName();
    record.style = StyleCodeOf(request);
}

// The font of request with a character height of pixels.
std::unique_ptr<gdi::Font> fontOfHeight(gdi::FontEngine& engine, const FontRequest& request, int pixels) {
    return engine.CreateFontIndirect(request.DescriptionAt(pixels));
}

// RenderStrike of font, request's font of pixels, through strikes when given.
bool drawStrike(StrikeCache* strikes, const FontRequest& request, int pixels, gdi::Font& font, GlyphCells& cells,
                gdi::TEXTMETRIC& metrics) {
    return strikes ? strikes->Render(request.DescriptionAt(pixels), font, cells, metrics)
                   : RenderStrike(font, cells, metrics);
}
}  // namespace

bool BuildTables(CFontRecord& record, const GlyphCells& cells, int firstChar, int lastChar, std::string* why) {
    const int count = lastChar - firstChar + 2;
    record.offsetWidth.assign(2 * std::size_t(count), 0);
    record.locationTable.assign(std::size_t(count) + 1, 0);
    int maxWidth = 0;
    long location = 0;
    for (int i = 0; i < count; ++i) {
        const GlyphCell& cell = cells[std::size_t(firstChar + i)];
        record.locationTable[std::size_t(i)] = static_cast<std::uint16_t>(location);
        if (!cell.Present()) {
            record.offsetWidth[2 * std::size_t(i)] = 0xFF;
            record.offsetWidth[2 * std::size_t(i) + 1] = 0xFF;
            continue;
        }
        const int advance = cell.Advance();
        if (advance > kMaxAdvance)
            return fail(why, "character " + std::to_string(firstChar + i) + " is " + std::to_string(advance) +
                                 " pixels wide; a Palm font holds at most " + std::to_string(kMaxAdvance));
        record.offsetWidth[2 * std::size_t(i) + 1] = static_cast<std::uint8_t>(advance);
        maxWidth = std::max(maxWidth, advance);
        location += advance;
        if (location > kMaxStrikeBits)
            return fail(why, "the strike would be " + std::to_string(location) + " pixels wide; a Palm font holds at most " +
                                 std::to_string(kMaxStrikeBits));
    }
    record.locationTable[std::size_t(count)] = static_cast<std::uint16_t>(location);
    record.font.maxWidth = record.font.fRectWidth = static_cast<std::uint16_t>(maxWidth);
    // Words that hold loc[count] bits; 1 for an empty strike (the divisions truncate toward zero).
    record.font.rowWords = static_cast<std::uint16_t>((location - 1) / 8 / 2 + 1);
    return true;
}

namespace {
// The strike of rows rows of cells at scale, each cell's row r on strike row rowOf(cell) + r;
// rows that fall outside the strike are left out, and so are those outside inkedRows(cell), a
// cell's rows [first, end) that may hold ink (the rest are clear and add nothing).
template <typename RowOf, typename InkedRows>
std::optional<std::vector<std::uint8_t>> composeRows(const CFontRecord& record, int rows, int scale,
                                                     const GlyphCells& cells, int firstChar, int lastChar,
                                                     RowOf rowOf, InkedRows inkedRows) {
    const std::size_t bytesPerRow = std::size_t(record.font.rowWords) * std::size_t(scale) * 2;
    std::vector<std::uint8_t> strike;
    try {
        strike.assign(std::size_t(rows) * bytesPerRow, 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    const std::size_t bitsPerRow = bytesPerRow * 8;
    for (int i = 0; i <= lastChar - firstChar + 1; ++i) {
        if (record.offsetWidth[2 * std::size_t(i)] == 0xFF) continue;
        const GlyphCell& cell = cells[std::size_t(firstChar + i)];
        const std::size_t rowBytes = cell.RowBytes();
        if (cell.bits.size() < rowBytes * std::size_t(std::max(cell.height, 0))) continue;
        const std::size_t firstBit = std::size_t(record.locationTable[std::size_t(i)]) * std::size_t(scale) +
                                     std::size_t(cell.leftPad);
        // Never past the row, whatever the cell claims.
        const std::size_t columns = firstBit >= bitsPerRow ? 0 : std::min(std::size_t(cell.width), bitsPerRow - firstBit);
        const int offset = rowOf(cell);
        const auto [inkFrom, inkEnd] = inkedRows(cell);
        const int r0 = std::max({0, -offset, inkFrom}), r1 = std::min({cell.height, rows - offset, inkEnd});
        if (columns != 0 && r0 < r1)
            OrBitRows(cell.bits.data() + std::size_t(r0) * rowBytes, rowBytes, 0, columns, r1 - r0,
                      strike.data() + std::size_t(offset + r0) * bytesPerRow, bytesPerRow, firstBit);
    }
    return strike;
}
}  // namespace

std::optional<std::vector<std::uint8_t>> ComposeStrike(const CFontRecord& record, int glyphRows, int topRows,
                                                       int scale, const GlyphCells& cells, int firstChar,
                                                       int lastChar) {
    return composeRows(record, glyphRows + topRows, scale, cells, firstChar, lastChar,
                       [topRows](const GlyphCell&) { return topRows; },
                       [](const GlyphCell& cell) { return std::pair(0, cell.height); });
}

namespace {
// The strike of cells framed to above and below rows around the baseline, each cell's baseline
// on strike row above, without copying any cell into its frame.
bool composeFramed(CFontRecord& record, const GlyphCells& cells, int above, int below, int scale,
                   const gdi::TEXTMETRIC& tm, std::vector<std::uint8_t>& strike, std::string* why) {
    if (!CellsFitFrame(cells, above, below)) return fail(why, "the characters' ink does not fit the strike");
    // A cell without bits draws nothing.
    // A drawn cell's ink lies within inkAbove rows over its baseline and inkBelow rows from it
    // down (see GlyphCell); most of its rows (the font's leading, ascent and descent) hold none.
    auto composed = composeRows(record, above + below, scale, cells, tm.tmFirstChar, tm.tmLastChar,
                                [above](const GlyphCell& cell) { return cell.bits.empty() ? 0 : above - cell.baseline; },
                                [](const GlyphCell& cell) {
                                    return std::pair(cell.baseline - cell.inkAbove, cell.baseline + cell.inkBelow);
                                });
    if (!composed) return fail(why, "out of memory");
    strike = std::move(*composed);
    return true;
}

bool noCharacters(std::string* why, int pixels) {
    return fail(why, "no character of the font can be drawn at " + std::to_string(pixels) + " pixels");
}
}  // namespace

bool BuildLowDensity(gdi::FontEngine& engine, CFontRecord& record, const FontRequest& request, std::string* why,
                     StrikeCache* strikes) {
    const int size = request.pointSize;
    record = CFontRecord();
    setNameAndStyle(record, request);
    const auto font = fontOfHeight(engine, request, size);
    if (!font) return fail(why, "the font cannot be created");
    auto cells = std::make_unique<GlyphCells>();
    gdi::TEXTMETRIC tm;
    if (!drawStrike(strikes, request, size, *font, *cells, tm) || !AnyCharacterPresent(*cells, tm.tmFirstChar, tm.tmLastChar))
        return noCharacters(why, size);
    SetMissingSymbol(*cells, tm);
    record.font.firstChar = tm.tmFirstChar;
    record.font.lastChar = tm.tmLastChar;
    if (!BuildTables(record, *cells, tm.tmFirstChar, tm.tmLastChar, why)) return false;
    // The external leading's rows lie above the ascent; ink that rises past the ascent uses
    // them first and adds rows beyond them.
    const InkRows ink = MeasureInk(*cells, tm.tmFirstChar, tm.tmLastChar);
    const int above = std::max(tm.tmExternalLeading + tm.tmAscent, ink.above);
    const int below = std::max(tm.tmDescent, ink.below);
    if (!composeFramed(record, *cells, above, below, 1, tm, record.strike1, why)) return false;
    record.header.flags = CFontRecord::kFlagsSingle;
    record.header.pointSize = static_cast<std::uint16_t>(size);
    record.font.fontType = CFontRecord::kSingleDensityType;
    record.font.fRectHeight = static_cast<std::uint16_t>(above + below);
    record.font.ascent = static_cast<std::uint16_t>(above);
    record.font.descent = static_cast<std::uint16_t>(below);
    record.SetLayoutFields();
    return true;
}

std::unique_ptr<gdi::Font> FitDoubleSizeFont(gdi::FontEngine& engine, const FontRequest& request,
                                             const gdi::TEXTMETRIC& single, int* fittedHeight, std::string* why) {
    const int size = request.pointSize;
    const int lead = std::min(single.tmExternalLeading, 1);
    const int target = 2 * (single.tmHeight + lead);
    int height2 = 2 * size;
    auto font2 = fontOfHeight(engine, request, height2);
    // One pixel of height at a time: up while more than a row short, then down while too tall.
    // Each candidate is let go before the next is made, so that they all use one opened face.
    int d = font2 ? target - font2->GetTextMetrics().tmHeight : 0;
    for (int guard = 0; font2 && d > 1 && guard < 4 * size + 16; ++guard) {
        font2.reset();
        font2 = fontOfHeight(engine, request, ++height2);
        if (font2) d = target - font2->GetTextMetrics().tmHeight;
    }
    while (font2 && d < 0 && height2 > 1) {
        font2.reset();
        font2 = fontOfHeight(engine, request, --height2);
        if (font2) d = target - font2->GetTextMetrics().tmHeight;
    }
    if (!font2) {
        fail(why, "the font cannot be created");
        return nullptr;
    }
    if (d < 0) {
        fail(why, "no double-size font fits the single-size cell");
        return nullptr;
    }
    if (fittedHeight) *fittedHeight = height2;
    return font2;
}

bool BuildHighDensity(gdi::FontEngine& engine, CFontRecord& record, const FontRequest& request, std::string* why,
                      StrikeCache* strikes) {
    const int size = request.pointSize;
    record = CFontRecord();
    setNameAndStyle(record, request);
    auto font1 = fontOfHeight(engine, request, size);
    if (!font1) return fail(why, "the font cannot be created");
    const gdi::TEXTMETRIC tm1 = font1->GetTextMetrics();
    // Strike 1 is drawn before the double-size font is fitted and its font let go, so that the
    // double-size fonts use the face it had instead of opening another. Its failure is still
    // reported after the fitting's.
    auto cells1 = std::make_unique<GlyphCells>();
    gdi::TEXTMETRIC m1, m2;
    const bool drawn1 =
        drawStrike(strikes, request, size, *font1, *cells1, m1) && AnyCharacterPresent(*cells1, m1.tmFirstChar, m1.tmLastChar);
    font1.reset();
    int height2 = 0;
    const auto font2 = FitDoubleSizeFont(engine, request, tm1, &height2, why);
    if (!font2) return false;

    auto cells2 = std::make_unique<GlyphCells>();
    if (!drawn1) return noCharacters(why, size);
    drawStrike(strikes, request, height2, *font2, *cells2, m2);
    FitDoubleAdvances(*cells1, *cells2, m2);
    if (!AnyCharacterPresent(*cells2, m1.tmFirstChar, m1.tmLastChar)) return noCharacters(why, height2);
    SetMissingSymbol(*cells1, m1);
    SetMissingSymbol(*cells2, m1);
    record.font.firstChar = m1.tmFirstChar;
    record.font.lastChar = m1.tmLastChar;
    if (!BuildTables(record, *cells1, m1.tmFirstChar, m1.tmLastChar, why)) return false;

    // One baseline for both strikes: strike 1's rows above it (its leading, ascent and any ink
    // rising past them) give the ascent, and strike 2 stands on row 2 x ascent. Each side gets
    // the rows the ink of either strike needs, so that strike 2 keeps exactly twice the rows.
    const int lead = std::min(m1.tmExternalLeading, 1);
    const InkRows ink1 = MeasureInk(*cells1, m1.tmFirstChar, m1.tmLastChar);
    const InkRows ink2 = MeasureInk(*cells2, m1.tmFirstChar, m1.tmLastChar);
    const int above = std::max({lead + m1.tmAscent, ink1.above, (ink2.above + 1) / 2});
    const int below = std::max({m1.tmDescent, ink1.below, (ink2.below + 1) / 2});
    if (!composeFramed(record, *cells1, above, below, 1, m1, record.strike1, why) ||
        !composeFramed(record, *cells2, 2 * above, 2 * below, 2, m1, record.strike2, why))
        return false;

    record.header.flags = CFontRecord::kFlagsTwoDensity;
    record.header.pointSize = static_cast<std::uint16_t>(size);
    record.font.fontType = CFontRecord::kTwoDensityType;
    record.font.version = 1;
    record.font.densityCount = 2;
    record.font.fRectHeight = static_cast<std::uint16_t>(above + below);
    record.font.ascent = static_cast<std::uint16_t>(above);
    record.font.descent = static_cast<std::uint16_t>(below);
    record.SetLayoutFields();
    return true;
}

namespace {
const char* styleName(const FontRequest& request) {
    const bool bold = request.Bold(), italic = request.italic;
    return bold ? (italic ? "Bold Italic" : "Bold") : (italic ? "Italic" : "Regular");
}

// 67387 as "67,387".
std::string withThousands(std::size_t n) {
    std::string digits = std::to_string(n);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3) digits.insert(std::size_t(at), ",");
    return digits;
}
}  // namespace

std::string TooLargeReason(std::size_t recordSize) {
    return "the record would be " + withThousands(recordSize) + " bytes, too large for a handheld record (at most " +
           withThousands(CFontRecord::kMaxHandheldRecordSize) + ")";
}

bool FitsHandheldRecord(const CFontRecord& record, std::string* why) {
    if (record.RecordSize() <= CFontRecord::kMaxHandheldRecordSize) return true;
    return fail(why, TooLargeReason(record.RecordSize()));
}

bool BuildOne(gdi::FontEngine& engine, CFontRecord& record, bool highDensity, const FontRequest& request,
              std::string* why, StrikeCache* strikes) {
    struct Building {
        StrikeCache* strikes;
        const FontRequest& request;
        ~Building() {
            if (strikes) strikes->End(request);
        }
    };
    if (strikes) strikes->Begin(request);
    const Building building{strikes, request};
    return highDensity ? BuildHighDensity(engine, record, request, why, strikes)
                       : BuildLowDensity(engine, record, request, why, strikes);
}

bool EncodeNameAndStyle(CFontRecord& record, std::uint32_t codePage, std::string* why) {
    const auto name = gdi::CodePageFromUtf8(record.name, codePage);
    const auto style = gdi::CodePageFromUtf8(record.style, codePage);
    for (const auto* text : {&name, &style}) {
        if (text->ok) continue;
        return fail(why, std::string(text == &name ? "the name" : "the style") + " holds " +
                             gdi::DescribeCharacter(text->missing) + ", which code page " + std::to_string(codePage) +
                             " does not have");
    }
    record.name = name.bytes;
    record.style = style.bytes;
    return true;
}

namespace {
// Adds a built record to list; a font the handheld cannot take is refused (reason and the
// message naming the font set).
AddOutcome addOrRefuse(CFontList& list, CFontRecord& record, bool built, const FontRequest& request,
                       std::string* why, Outcome* failure) {
    // The handheld reads names in its code page; and it keeps each record in one memory chunk: a
    // larger font could be written to the file but never installed.
    const std::string shownName = record.name;
    std::string reason;
    if (built && (!EncodeNameAndStyle(record, list.CodePage(), &reason) || !FitsHandheldRecord(record, &reason))) {
        if (why) *why = reason;
        *failure = Outcome::Refused(shownName + " " + styleName(request) + " " + std::to_string(request.pointSize) +
                                        " pt: " + reason,
                                    std::string(), reason);
        return AddOutcome::Refused;
    }
    Outcome full = Outcome::Stopped();
    if (built && list.AddConverted(record, &full) != -1) return AddOutcome::Added;
    if (built && why) *why = "the record cannot be added";
    *failure = std::move(full).Then(ConverterMessage(converter::kStrUnknownFontError));
    return AddOutcome::Failed;
}
}  // namespace

Outcome AddBuiltFont(CFontList& list, CFontRecord& record, bool built, const FontRequest& request, std::string* why) {
    Outcome refusal = Outcome::Done();
    if (addOrRefuse(list, record, built, request, why, &refusal) == AddOutcome::Added) return Outcome::Done();
    return refusal;
}

AddOutcome AddBuiltFontOrRefuse(CFontList& list, CFontRecord& record, bool built, const FontRequest& request,
                                std::string* why, Outcome* failure) {
    Outcome refusal = Outcome::Done();
    const AddOutcome outcome = addOrRefuse(list, record, built, request, why, &refusal);
    if (outcome == AddOutcome::Refused && why) *why = refusal.Messages().front().Text();
    if (outcome == AddOutcome::Failed && failure) *failure = std::move(refusal);
    return outcome;
}

Outcome ConvertOne(gdi::FontEngine& engine, CFontList& list, bool highDensity, const FontRequest& request,
                   std::string* why) {
    CFontRecord record;
    const bool built = BuildOne(engine, record, highDensity, request, why);
    return AddBuiltFont(list, record, built, request, why);
}
