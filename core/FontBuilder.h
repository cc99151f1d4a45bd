// FontBuilder.h: Palm font records built from installed fonts: the offset/width and location
// tables, the strikes, and the single- and double-density records.
#pragma once

#include "FontRecord.h"
#include "FontRequest.h"
#include "GlyphRasteriser.h"
#include "Outcome.h"
#include "StrikeCache.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CFontList;

// Every build below that fails sets *why, when given, to a cause a message can name.

// The offset/width table and the location table of cells firstChar .. lastChar + 1, and the row
// words of the strike they describe. Fails (why set) when an advance exceeds 255 pixels or the
// strike exceeds 65,535 bits.
bool BuildTables(CFontRecord& record, const GlyphCells& cells, int firstChar, int lastChar, std::string* why);

// The strike of cells at scale (1 or 2): glyphRows rows of ink below topRows blank rows, each row
// rowWords x scale 16-bit words. Uses the record's tables. None when memory runs out.
std::optional<std::vector<std::uint8_t>> ComposeStrike(const CFontRecord& record, int glyphRows, int topRows,
                                                       int scale, const GlyphCells& cells, int firstChar,
                                                       int lastChar);

// The font of request at twice its size, fitted one pixel of height at a time so that its cell
// is as tall as twice the single-size cell (with at most one row of its external leading), or at
// most one row shorter. Its character height in pixels goes to fittedHeight. None (why set)
// when no such font can be made.
std::unique_ptr<gdi::Font> FitDoubleSizeFont(gdi::FontEngine& engine, const FontRequest& request,
                                             const gdi::TEXTMETRIC& single, int* fittedHeight,
                                             std::string* why = nullptr);

// The single-density font of request, one pixel per point. Ink that reaches above the font's
// ascent (past its external leading) or below its descent adds rows to the strike, so nothing a
// character draws is cut off. Fails when no character can be drawn. Strikes are drawn through
// strikes when given (the build of request begun there).
bool BuildLowDensity(gdi::FontEngine& engine, CFontRecord& record, const FontRequest& request,
                     std::string* why = nullptr, StrikeCache* strikes = nullptr);
// The two-density font: a second font at twice the size (FitDoubleSizeFont). Both strikes share
// one baseline: the ascent is the row strike 1's characters stand on and strike 2's stand on
// row 2 x ascent; rows are added at the top and bottom until the ink of both strikes fits, and
// strike 2 always has twice the rows of strike 1.
bool BuildHighDensity(gdi::FontEngine& engine, CFontRecord& record, const FontRequest& request,
                      std::string* why = nullptr, StrikeCache* strikes = nullptr);

// The style a new record is named with: "B" for a weight above 400, then "I" for italic.
std::string StyleCodeOf(const FontRequest& request);

// Why a record of recordSize bytes is refused.
std::string TooLargeReason(std::size_t recordSize);
// False (why set) when the record, with its name and style as they are, would be larger than
// a handheld record can be. Whatever adds a built font to a document checks this last.
bool FitsHandheldRecord(const CFontRecord& record, std::string* why = nullptr);

// The building half of ConvertOne: the font at one or two densities into record. Touches no
// list, so fonts may be built on several threads at once. A batch passes its strikes (made for
// the same density), which this build begins and ends.
bool BuildOne(gdi::FontEngine& engine, CFontRecord& record, bool highDensity, const FontRequest& request,
              std::string* why = nullptr, StrikeCache* strikes = nullptr);
// The name and style of record, given as UTF-8 text (a face name, what the user typed), in the
// code page of list; false (why set) when they hold a character the code page lacks.
bool EncodeNameAndStyle(CFontRecord& record, std::uint32_t codePage, std::string* why = nullptr);
// The adding half of ConvertOne: record (built says whether BuildOne succeeded; its name and
// style still UTF-8) checked and added to list, its name and style in the list's code page;
// refused with ConvertOne's messages.
Outcome AddBuiltFont(CFontList& list, CFontRecord& record, bool built, const FontRequest& request,
                     std::string* why = nullptr);
// AddBuiltFont for a batch, which goes on past a font the handheld cannot take: such a font
// (too large, or a name the code page cannot hold) is Refused, *why naming the font, style,
// size and cause ("Arial Bold 72 pt: the record would be ..."). Any other failure is Failed,
// failure getting AddBuiltFont's messages ("Unknown font error").
enum class AddOutcome { Added, Refused, Failed };
AddOutcome AddBuiltFontOrRefuse(CFontList& list, CFontRecord& record, bool built, const FontRequest& request,
                                std::string* why, Outcome* failure);
// Builds one font and adds it to list. A font whose record would be larger than a handheld
// record can be, or whose name the list's code page cannot hold, is refused with a message
// naming the font, style, size and cause; any other failure refuses with "Unknown font error"
// (after the list's own message when it is full).
Outcome ConvertOne(gdi::FontEngine& engine, CFontList& list, bool highDensity, const FontRequest& request,
                   std::string* why = nullptr);
