// GlyphRasteriser.h: drawing a font's characters through the font engine and capturing each as
// a GlyphCell, at one size or at two sizes whose advances are kept in a ratio of exactly two.
#pragma once

#include "platform/gdi/FontEngine.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct GlyphCell {
    // The ink: height rows of RowBytes() bytes, a row's first column in the high bit of its first
    // byte, a set bit being ink (bits past the width are clear); empty: never filled.
    std::vector<std::uint8_t> bits;
    int width = 0;     // black box width, or the whole advance for an empty black box; 0: missing
    int height = 0;    // rows: the font's tmHeight, more where the ink reaches past its ascent or descent
    int leftPad = 0;   // blank columns before the image in the Palm cell
    int rightPad = 0;  // blank columns after it
    int baseline = 0;  // rows of the cell above the baseline
    int inkAbove = 0;  // rows from the highest ink down to the baseline; 0 without ink above it
    int inkBelow = 0;  // rows from the baseline down to the lowest ink; 0 without ink below it

    int Advance() const { return leftPad + width + rightPad; }
    bool Present() const { return width != 0; }
    std::size_t RowBytes() const { return (std::size_t(width > 0 ? width : 0) + 7) / 8; }
    // Whether column x of row y is ink; both must lie in a filled cell.
    bool Ink(int x, int y) const {
        return (bits[std::size_t(y) * RowBytes() + std::size_t(x) / 8] >> (7 - x % 8)) & 1;
    }
};

// For each of rows rows (fromStride bytes apart in from, toStride bytes apart in to): ORs count
// bits from bit fromBit of the row in from into the row in to from bit toBit on (bits are taken
// high bit first). Reads and writes nothing before the first row's first byte that holds bits
// or past the last row's last; bytes in between that hold none may be read and written back
// unchanged.
void OrBitRows(const std::uint8_t* from, std::size_t fromStride, std::size_t fromBit, std::size_t count, int rows,
               std::uint8_t* to, std::size_t toStride, std::size_t toBit);

// Cells by character code; cell lastChar + 1 holds the missing-character symbol.
using GlyphCells = std::array<GlyphCell, 257>;

// Draws every character of font's range into cells and returns its metrics in metrics. A
// character that cannot be drawn keeps an empty cell. Each cell holds the tmHeight rows around the
// baseline and any rows above or below them that the character inks (hinted accents often rise
// past tmAscent). False, with every cell empty, when no surface to draw on can be made.
bool RenderStrike(gdi::Font& font, GlyphCells& cells, gdi::TEXTMETRIC& metrics);

// RenderStrike with the double-size font, then FitDoubleAdvances.
bool RenderDoubleStrike(gdi::Font& font2, GlyphCells& cells1, GlyphCells& cells2, gdi::TEXTMETRIC& metrics2);
// Fits each drawn double-size cell (of a strike with metrics2) to exactly twice the advance of
// its single-size twin, widening whichever of the two is short.
void FitDoubleAdvances(GlyphCells& cells1, GlyphCells& cells2, const gdi::TEXTMETRIC& metrics2);

// Cell lastChar + 1 := a copy of the default character's cell (empty outside the range).
void SetMissingSymbol(GlyphCells& cells, const gdi::TEXTMETRIC& metrics);

// The rows above and below the baseline that hold the ink of every drawn cell from firstChar to
// lastChar + 1.
struct InkRows {
    int above = 0;
    int below = 0;
};
InkRows MeasureInk(const GlyphCells& cells, int firstChar, int lastChar);

// Whether every drawn cell's ink fits above rows over its baseline and below rows from it down,
// the frame all cells share in a strike.
bool CellsFitFrame(const GlyphCells& cells, int above, int below);

// Whether any character from firstChar to lastChar was drawn.
bool AnyCharacterPresent(const GlyphCells& cells, int firstChar, int lastChar);
