// FontBuilder.cpp
#include "FontBuilder.h"

#include "DocumentUi.h"
#include "FontList.h"
#include "platform/win/MessageBoxTypes.h"
#include "resources/converter/ConverterStrings.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {
constexpr int kMaxAdvance = 255;
constexpr int kMaxStrikeBits = 65535;

bool fail(BuildFailure* why, std::string reason) {
    if (why) why->reason = std::move(reason);
    return false;
}

void setNameAndStyle(CFontRecord& record, const gdi::LOGFONT& lf) {
    record.name.assign(lf.lfFaceName, strnlen(lf.lfFaceName, gdi::LF_FACESIZE));
    record.style.clear();
    if (lf.lfWeight > 400) record.style += "B";
    if (lf.lfItalic != 0) record.style += "I";
}

std::unique_ptr<gdi::Font> fontOfHeight(gdi::FontEngine& engine, const gdi::LOGFONT& lf, int height) {
    gdi::LOGFONT sized = lf;
    sized.lfHeight = height;
    return engine.CreateFontIndirect(sized);
}

int countOf(const CFontRecord& r) { return r.Count(); }
}  // namespace

bool BuildTables(CFontRecord& record, const GlyphCells& cells, int firstChar, int lastChar, BuildFailure* why) {
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

std::optional<std::vector<std::uint8_t>> ComposeStrike(const CFontRecord& record, int glyphRows, int topRows,
                                                       int scale, const GlyphCells& cells, int firstChar,
                                                       int lastChar) {
    const int rows = glyphRows + topRows;
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
        if (cell.pixels.size() < std::size_t(cell.width) * std::size_t(cell.height)) continue;
        const std::size_t firstBit = std::size_t(record.locationTable[std::size_t(i)]) * std::size_t(scale) +
                                     std::size_t(cell.leftPad);
        // Never past the row, whatever the cell claims.
        const std::size_t columns = firstBit >= bitsPerRow ? 0 : std::min(std::size_t(cell.width), bitsPerRow - firstBit);
        for (int r = 0; r < cell.height && topRows + r < rows; ++r) {
            const std::uint8_t* ink = cell.pixels.data() + std::size_t(r) * std::size_t(cell.width);
            std::uint8_t* row = strike.data() + std::size_t(topRows + r) * bytesPerRow;
            for (std::size_t x = 0; x < columns; ++x)
                if (ink[x]) row[(firstBit + x) / 8] |= static_cast<std::uint8_t>(0x80 >> ((firstBit + x) % 8));
        }
    }
    return strike;
}

bool BuildLowDensity(gdi::FontEngine& engine, CFontRecord& record, int size, const gdi::LOGFONT& lf, BuildFailure* why) {
    record = CFontRecord();
    setNameAndStyle(record, lf);
    const auto font = fontOfHeight(engine, lf, -size);
    if (!font) return fail(why, "the font cannot be created");
    auto cells = std::make_unique<GlyphCells>();
    gdi::TEXTMETRIC tm;
    RenderStrike(*font, *cells, tm);
    SetMissingSymbol(*cells, tm);
    record.font.firstChar = tm.tmFirstChar;
    record.font.lastChar = tm.tmLastChar;
    if (!BuildTables(record, *cells, tm.tmFirstChar, tm.tmLastChar, why)) return false;
    const int rows = tm.tmHeight + tm.tmExternalLeading;
    auto strike = ComposeStrike(record, tm.tmHeight, tm.tmExternalLeading, 1, *cells, tm.tmFirstChar, tm.tmLastChar);
    if (!strike) return fail(why, "out of memory");
    record.strike1 = std::move(*strike);
    const int count = countOf(record);
    const std::size_t s1 = std::size_t(rows) * record.font.rowWords * 2;
    record.header.flags = CFontRecord::kFlagsSingle;
    record.header.pointSize = static_cast<std::uint16_t>(size);
    record.font.fontType = CFontRecord::kSingleDensityType;
    record.font.fRectHeight = static_cast<std::uint16_t>(rows);
    record.font.descent = static_cast<std::uint16_t>(tm.tmDescent);
    record.font.ascent = static_cast<std::uint16_t>(rows - tm.tmDescent);
    record.font.owTLoc = static_cast<std::uint16_t>((s1 + 2 * std::size_t(count) + 28 - 16) / 2);
    record.header.fontDataLength = static_cast<std::uint32_t>(s1 + 4 * std::size_t(count) + 28);
    return true;
}

bool BuildHighDensity(gdi::FontEngine& engine, CFontRecord& record, int size, const gdi::LOGFONT& lf, BuildFailure* why) {
    record = CFontRecord();
    setNameAndStyle(record, lf);
    const auto font1 = fontOfHeight(engine, lf, -size);
    int height2 = 2 * size;
    auto font2 = fontOfHeight(engine, lf, -height2);
    if (!font1 || !font2) return fail(why, "the font cannot be created");
    const gdi::TEXTMETRIC tm1 = font1->GetTextMetrics();
    const int h1 = tm1.tmHeight;
    const int lead = std::min(tm1.tmExternalLeading, 1);
    const int target = 2 * (h1 + lead);

    // Fit the double-size font to twice the single-size cell, one pixel of height at a time.
    int d = target - font2->GetTextMetrics().tmHeight;
    for (int guard = 0; d > 1 && guard < 4 * size + 16; ++guard) {
        font2 = fontOfHeight(engine, lf, -++height2);
        if (!font2) return fail(why, "the font cannot be created");
        d = target - font2->GetTextMetrics().tmHeight;
    }
    while (d < 0 && height2 > 1) {
        font2 = fontOfHeight(engine, lf, -(--height2));
        if (!font2) return fail(why, "the font cannot be created");
        d = target - font2->GetTextMetrics().tmHeight;
    }
    if (d < 0) return fail(why, "no double-size font fits the single-size cell");
    const gdi::TEXTMETRIC fitted = font2->GetTextMetrics();
    const int descent = std::abs(fitted.tmDescent) / 2;

    auto cells1 = std::make_unique<GlyphCells>();
    auto cells2 = std::make_unique<GlyphCells>();
    gdi::TEXTMETRIC m1, m2;
    RenderStrike(*font1, *cells1, m1);
    RenderDoubleStrike(*font2, *cells1, *cells2, m2);
    SetMissingSymbol(*cells1, m1);
    SetMissingSymbol(*cells2, m1);
    record.font.firstChar = m1.tmFirstChar;
    record.font.lastChar = m1.tmLastChar;
    if (!BuildTables(record, *cells1, m1.tmFirstChar, m1.tmLastChar, why)) return false;
    auto strike1 = ComposeStrike(record, h1, lead, 1, *cells1, m1.tmFirstChar, m1.tmLastChar);
    auto strike2 = ComposeStrike(record, m2.tmHeight, d, 2, *cells2, m1.tmFirstChar, m1.tmLastChar);
    if (!strike1 || !strike2) return fail(why, "out of memory");
    record.strike1 = std::move(*strike1);
    record.strike2 = std::move(*strike2);

    const int count = countOf(record);
    const int rows1 = h1 + lead;
    const std::size_t s1 = std::size_t(rows1) * record.font.rowWords * 2;
    record.header.flags = CFontRecord::kFlagsTwoDensity;
    record.header.pointSize = static_cast<std::uint16_t>(size);
    record.font.fontType = CFontRecord::kTwoDensityType;
    record.font.version = 1;
    record.font.densityCount = 2;
    record.font.fRectHeight = static_cast<std::uint16_t>(rows1);
    record.font.ascent = static_cast<std::uint16_t>(rows1 - descent);
    record.font.descent = static_cast<std::uint16_t>(descent);
    record.font.owTLoc = static_cast<std::uint16_t>((2 * count + 44 - 16) / 2);
    const auto firstStrike = static_cast<std::uint32_t>(4 * count + 44);
    record.densities = {DensityEntry{72, firstStrike}, DensityEntry{144, firstStrike + static_cast<std::uint32_t>(s1)}};
    record.header.fontDataLength = static_cast<std::uint32_t>(44 + 4 * std::size_t(count) + 5 * s1);
    return true;
}

bool ConvertOne(gdi::FontEngine& engine, CFontList& list, bool highDensity, int size, const gdi::LOGFONT& lf,
                DocumentUi& ui, BuildFailure* why) {
    CFontRecord record;
    const bool built = highDensity ? BuildHighDensity(engine, record, size, lf, why)
                                   : BuildLowDensity(engine, record, size, lf, why);
    if (built && list.AddConverted(record) != -1) return true;
    if (built && why) why->reason = "the record cannot be added";
    ui.MessageBox(converter::LoadConverterString(converter::kStrUnknownFontError), win::MB_OK);
    return false;
}
