// FontBuilder.h: Palm font records built from installed fonts: the offset/width and location
// tables, the strikes, and the single- and double-density records.
#pragma once

#include "FontRecord.h"
#include "GlyphRasteriser.h"

#include <optional>
#include <string>
#include <vector>

class CFontList;
class DocumentUi;

// Why a build failed, for messages that name the cause.
struct BuildFailure {
    std::string reason;
};

// The offset/width table and the location table of cells firstChar .. lastChar + 1, and the row
// words of the strike they describe. Fails (reason set) when an advance exceeds 255 pixels or the
// strike exceeds 65,535 bits.
bool BuildTables(CFontRecord& record, const GlyphCells& cells, int firstChar, int lastChar, BuildFailure* why);

// The strike of cells at scale (1 or 2): glyphRows rows of ink below topRows blank rows, each row
// rowWords x scale 16-bit words. Uses the record's tables. None when memory runs out.
std::optional<std::vector<std::uint8_t>> ComposeStrike(const CFontRecord& record, int glyphRows, int topRows,
                                                       int scale, const GlyphCells& cells, int firstChar,
                                                       int lastChar);

// The single-density font of description at size points.
bool BuildLowDensity(gdi::FontEngine& engine, CFontRecord& record, int size, const gdi::LOGFONT& description,
                     BuildFailure* why = nullptr);
// The two-density font: a second font at twice the size, fitted one pixel at a time to twice the
// single-density cell height.
bool BuildHighDensity(gdi::FontEngine& engine, CFontRecord& record, int size, const gdi::LOGFONT& description,
                      BuildFailure* why = nullptr);

// Builds one font and adds it to list. On failure shows "Unknown font error" through ui.
bool ConvertOne(gdi::FontEngine& engine, CFontList& list, bool highDensity, int size,
                const gdi::LOGFONT& description, DocumentUi& ui, BuildFailure* why = nullptr);
