// GlyphRasteriser.cpp: drawing a font's characters through the font engine and capturing each as a
// GlyphCell, at one size or at two sizes whose advances are kept in a ratio of exactly two.
#include "GlyphRasteriser.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
// Frames a cell on a surface whose font rows start room rows down and whose ink (if any; -1
// otherwise) spans rows firstInk .. lastInk: the font's rows widened to the ink's, the baseline
// and the ink above and below it. The cell's bits are allocated, all clear; returns the surface
// row that is the cell's top.
int frameCell(GlyphCell& cell, const gdi::TEXTMETRIC& metrics, int room, int firstInk, int lastInk) {
    const int base = room + metrics.tmAscent;
    int top = room;
    int bottom = room + metrics.tmHeight;
    cell.inkAbove = cell.inkBelow = 0;
    if (firstInk >= 0) {
        top = std::min(top, firstInk);
        bottom = std::max(bottom, lastInk + 1);
        cell.inkAbove = std::max(0, base - firstInk);
        cell.inkBelow = std::max(0, lastInk + 1 - base);
    }
    cell.baseline = base - top;
    cell.height = bottom - top;
    cell.bits.assign(cell.RowBytes() * std::size_t(cell.height), 0);
    return top;
}

// The surface characters are drawn on: 2 x tmMaxCharWidth columns and the tmHeight rows of the
// font's cell, with room above and below for ink that reaches past the ascent or the descent.
// When a character's ink touches the surface's top or bottom edge the room is doubled and the
// character drawn again, so that no ink is lost to the surface's size.
class Surface {
public:
    explicit Surface(const gdi::TEXTMETRIC& metrics) : metrics_(metrics), room_(std::max(2, metrics.tmHeight / 4)) {
        bitmap_ = make(room_);
    }

    bool valid() const { return bitmap_ != nullptr; }

    // Only drawing tells.
    static bool undrawable(gdi::Font&, std::uint8_t) { return false; }

    // Draws ch with its baseline at column x and captures columns startX .. startX + cell.width
    // into cell: the cell's rows of the font and every row above or below them with ink. False
    // when the character cannot be drawn.
    bool drawAndCapture(gdi::Font& font, int x, std::uint8_t ch, int startX, GlyphCell& cell) {
        for (;;) {
            bitmap_->FillWhite();
            if (!font.TextOut(*bitmap_, x, baselineY(), ch)) return false;
            scan(startX, cell.width);
            const int height = bitmap_->Height();
            const bool touchesEdge = firstInk_ == 0 || lastInk_ == height - 1;
            if (!touchesEdge || !grow()) break;
        }
        frame(cell);
        return true;
    }

private:
    int baselineY() const { return room_ + metrics_.tmAscent; }

    std::unique_ptr<gdi::Bitmap> make(int room) const {
        const long height = long(metrics_.tmHeight) + 2L * room;
        if (height > gdi::kMaxBitmapSide) return nullptr;
        return gdi::CreateCompatibleBitmap(2 * metrics_.tmMaxCharWidth, static_cast<int>(height));
    }

    // Twice the room; false (keeping the surface) when no larger surface can be made.
    bool grow() {
        auto larger = make(2 * room_);
        if (!larger) return false;
        bitmap_ = std::move(larger);
        room_ *= 2;
        return true;
    }

    // The first and last rows with ink in the columns; a row without ink is all white bytes.
    void scan(int startX, int width) {
        const gdi::Bitmap& bitmap = *bitmap_;
        startX_ = startX;
        width_ = width;
        firstInk_ = lastInk_ = -1;
        const int from = std::max(startX, 0);
        const int to = std::min(startX + width, bitmap.Width());
        if (to <= from) return;
        const std::size_t bytes = std::size_t(to - from) * 3;
        if (white_.size() < bytes) white_.assign(bytes, 0xFF);
        for (int y = 0; y < bitmap.Height(); ++y) {
            if (std::memcmp(bitmap.Row(y) + std::size_t(from) * 3, white_.data(), bytes) == 0) continue;
            if (firstInk_ < 0) firstInk_ = y;
            lastInk_ = y;
        }
    }

    // The cell: the font's rows, widened to the ink's. Every pixel of the columns that is
    // neither white nor outside the bitmap (what GetPixel would report) is ink; the bitmap's
    // rows are read straight.
    void frame(GlyphCell& cell) const {
        const gdi::Bitmap& bitmap = *bitmap_;
        const int top = frameCell(cell, metrics_, room_, firstInk_, lastInk_);
        const std::size_t rowBytes = cell.RowBytes();
        const int from = std::max(startX_, 0);
        const int to = std::min(startX_ + width_, bitmap.Width());
        for (int y = std::max(top, firstInk_); firstInk_ >= 0 && y <= lastInk_; ++y) {
            const std::uint8_t* row = bitmap.Row(y);
            std::uint8_t* ink = cell.bits.data() + std::size_t(y - top) * rowBytes;
            for (int x = from; x < to; ++x) {
                const std::uint8_t* p = row + std::size_t(x) * 3;
                if ((p[0] & p[1] & p[2]) != 0xFF) ink[(x - startX_) / 8] |= static_cast<std::uint8_t>(0x80 >> ((x - startX_) % 8));
            }
        }
    }

    const gdi::TEXTMETRIC& metrics_;
    int room_;
    std::unique_ptr<gdi::Bitmap> bitmap_;
    std::vector<std::uint8_t> white_;  // a row of white pixels
    int startX_ = 0;                   // the last scan's columns
    int width_ = 0;
    int firstInk_ = -1;
    int lastInk_ = -1;
};

// What Surface captures, read from the masks of a font that has them instead of drawn and
// scanned: the same surface geometry (its width clips the ink, and the room above and below
// grows exactly as Surface's does), kept as arithmetic, with no bitmap at all.
class MaskSurface {
public:
    explicit MaskSurface(const gdi::TEXTMETRIC& metrics) : metrics_(metrics), room_(std::max(2, metrics.tmHeight / 4)) {}

    bool valid() const { return fits(room_); }

    // Whether ch cannot be drawn, asked before its widths so that its glyph need not be made.
    static bool undrawable(gdi::Font& font, std::uint8_t ch) {
        gdi::GlyphMask mask;
        return !font.GetGlyphMask(ch, mask);
    }

    bool drawAndCapture(gdi::Font& font, int x, std::uint8_t ch, int startX, GlyphCell& cell) {
        gdi::GlyphMask mask;
        if (!font.GetGlyphMask(ch, mask)) return false;
        // Surface columns from .. to are captured; mask column c lies on surface column x0 + c.
        const int from = std::max(startX, 0);
        const int to = std::min(startX + cell.width, 2 * metrics_.tmMaxCharWidth);
        const int x0 = x + mask.left;
        const int c0 = std::max(from - x0, 0);
        const int c1 = std::min(to - x0, mask.width);
        const bool captured = from < to && c0 < c1;
        const auto inked = [&](int r) { return anyBit(maskRow(mask, r), c0, c1); };

        // Surface's loop: while the ink touches the top or bottom row, double the room. Only the
        // first and the last inked rows on the surface matter, so the rows are searched from
        // either end.
        int firstInk, lastInk, maskRow0;
        for (;;) {
            const int height = metrics_.tmHeight + 2 * room_;
            maskRow0 = baselineY() - mask.top;
            firstInk = lastInk = -1;
            const int lo = std::max(0, -maskRow0), hi = std::min(mask.rows, height - maskRow0);
            int r = lo;
            while (captured && r < hi && !inked(r)) ++r;
            if (captured && r < hi) {
                firstInk = maskRow0 + r;
                int s = hi - 1;
                while (!inked(s)) --s;
                lastInk = maskRow0 + s;
            }
            const bool touchesEdge = firstInk == 0 || lastInk == height - 1;
            if (!touchesEdge || !fits(2 * room_)) break;
            room_ *= 2;
        }

        // Surface's frame.
        const int top = frameCell(cell, metrics_, room_, firstInk, lastInk);
        const std::size_t rowBytes = cell.RowBytes();
        if (firstInk < 0) return true;
        const std::uint8_t* source = maskRow(mask, firstInk - maskRow0);
        std::uint8_t* target = cell.bits.data() + std::size_t(firstInk - top) * rowBytes;
        const int rows = lastInk - firstInk + 1;
        const std::size_t count = std::size_t(c1 - c0);
        if (c0 == 0 && x0 == startX && std::size_t(mask.pitch) == rowBytes && (count + 7) / 8 == rowBytes) {
            // The usual glyph: the mask's rows are the cell's, byte for byte, and the inked ones
            // lie together, so they are copied as one block, each row's bits past the width cleared.
            copyRows(source, rowBytes, count, rows, target);
        } else {
            OrBitRows(source, std::size_t(mask.pitch), std::size_t(c0), count, rows, target, rowBytes,
                      std::size_t(x0 + c0 - startX));
        }
        return true;
    }

private:
    int baselineY() const { return room_ + metrics_.tmAscent; }

    // Whether Surface could make its bitmap with room rows above and below the font's.
    bool fits(int room) const {
        const long height = long(metrics_.tmHeight) + 2L * room;
        return height <= gdi::kMaxBitmapSide && gdi::Bitmap::FitsLimits(2 * metrics_.tmMaxCharWidth, static_cast<int>(height));
    }

    static const std::uint8_t* maskRow(const gdi::GlyphMask& mask, int r) {
        return mask.bits + std::ptrdiff_t(r) * mask.pitch;
    }

    // rows rows of rowBytes bytes, each holding count bits from its first, copied from from to
    // the clear rows at to: what OrBitRows would leave there, without its work per row.
    static void copyRows(const std::uint8_t* from, std::size_t rowBytes, std::size_t count, int rows,
                         std::uint8_t* to) {
        std::memcpy(to, from, rowBytes * std::size_t(rows));
        const auto tail = static_cast<std::uint8_t>(0xFF00u >> (count % 8));
        if (tail == 0) return;
        for (std::uint8_t* last = to + rowBytes - 1; rows > 0; --rows, last += rowBytes) *last &= tail;
    }

    // Whether any of bits c0 .. c1 - 1 of the row is set.
    static bool anyBit(const std::uint8_t* row, int c0, int c1) {
        const int first = c0 >> 3, last = (c1 - 1) >> 3;
        const auto headMask = static_cast<std::uint8_t>(0xFF >> (c0 & 7));
        const auto tailMask = static_cast<std::uint8_t>(0xFF << (7 - ((c1 - 1) & 7)));
        if (first == last) return (row[first] & headMask & tailMask) != 0;
        if ((row[first] & headMask) != 0 || (row[last] & tailMask) != 0) return true;
        for (int i = first + 1; i < last; ++i)
            if (row[i] != 0) return true;
        return false;
    }

    const gdi::TEXTMETRIC& metrics_;
    int room_;
};

// Every character of the font's range drawn on surface into cells.
template <typename DrawingSurface>
void renderCharacters(gdi::Font& font, const gdi::TEXTMETRIC& metrics, DrawingSurface& surface, GlyphCells& cells) {
    for (unsigned ch = metrics.tmFirstChar; ch <= metrics.tmLastChar; ++ch) {
        const auto byte = static_cast<std::uint8_t>(ch);
        if (surface.undrawable(font, byte)) continue;
        std::int32_t charWidth = 0;
        if (!font.GetCharWidth32(byte, charWidth)) charWidth = 0;
        gdi::SIZE extent;
        if (!font.GetTextExtentPoint32(byte, extent)) extent.cx = 0;
        std::int32_t advance = std::max(charWidth, extent.cx);
        gdi::ABC abc;
        if (font.GetCharABCWidths(byte, abc))
            advance = std::max(abc.abcA, 0) + static_cast<std::int32_t>(abc.abcB) + std::max(abc.abcC, 0);
        else
            abc = {0, static_cast<std::uint32_t>(advance), 0};
        GlyphCell cell;
        int startX;
        if (abc.abcB == 0) {
            cell.width = advance;
            startX = 0;
        } else {
            cell.width = static_cast<int>(abc.abcB);
            cell.leftPad = 1;
            cell.rightPad = abc.abcC > 1 ? 1 : 0;
            startX = std::abs(abc.abcA) + abc.abcA;
        }
        if (!surface.drawAndCapture(font, std::abs(abc.abcA), byte, startX, cell)) continue;
        cells[ch] = std::move(cell);
    }
}

}  // namespace

namespace {
// Every character through a surface of the given kind; false (every cell empty) when none can
// be made.
template <typename SurfaceKind>
bool renderOn(gdi::Font& font, const gdi::TEXTMETRIC& metrics, GlyphCells& cells) {
    SurfaceKind surface(metrics);
    if (!surface.valid()) return false;
    renderCharacters(font, metrics, surface, cells);
    return true;
}
}  // namespace

bool RenderStrike(gdi::Font& font, GlyphCells& cells, gdi::TEXTMETRIC& metrics) {
    metrics = font.GetTextMetrics();
    return font.HasGlyphMasks() ? renderOn<MaskSurface>(font, metrics, cells) : renderOn<Surface>(font, metrics, cells);
}

void SetMissingSymbol(GlyphCells& cells, const gdi::TEXTMETRIC& metrics) {
    GlyphCell& symbol = cells[std::size_t(metrics.tmLastChar) + 1];
    if (metrics.tmDefaultChar >= metrics.tmFirstChar && metrics.tmDefaultChar <= metrics.tmLastChar)
        symbol = cells[metrics.tmDefaultChar];
    else
        symbol = GlyphCell();
}

bool RenderDoubleStrike(gdi::Font& font2, GlyphCells& cells1, GlyphCells& cells2, gdi::TEXTMETRIC& metrics2) {
    RenderStrike(font2, cells2, metrics2);
    FitDoubleAdvances(cells1, cells2, metrics2);
    return true;
}

void FitDoubleAdvances(GlyphCells& cells1, GlyphCells& cells2, const gdi::TEXTMETRIC& metrics2) {
    for (unsigned ch = metrics2.tmFirstChar; ch <= metrics2.tmLastChar; ++ch) {
        GlyphCell& c2 = cells2[ch];
        GlyphCell& c1 = cells1[ch];
        if (!c2.Present()) continue;
        // RenderStrike already gave c2 its pads: 1 and (C > 1), or none for an empty black box.
        if (c2.width == 2 * c1.width) {
            c2.leftPad = 2 * c1.leftPad;
            c2.rightPad = 2 * c1.rightPad;
            continue;
        }
        int adv2 = c2.Advance();
        if (adv2 % 2 != 0) {
            ++adv2;
            if (c2.leftPad > c2.rightPad) ++c2.rightPad;
            else ++c2.leftPad;
        }
        const int diff = adv2 - 2 * c1.Advance();
        if (diff > 0) {
            const int half = diff / 2;
            if (half % 2 == 0) {
                c1.leftPad += half / 2;
                c1.rightPad += half / 2;
            } else {
                const int q = half / 2;
                if (c1.leftPad > c1.rightPad) {
                    c1.leftPad += q;
                    c1.rightPad += q + 1;
                } else {
                    c1.leftPad += q + 1;
                    c1.rightPad += q;
                }
            }
        } else if (diff < 0) {
            c2.leftPad += -diff / 2;
            c2.rightPad += -diff / 2;
        }
    }
}

InkRows MeasureInk(const GlyphCells& cells, int firstChar, int lastChar) {
    InkRows rows;
    for (int ch = firstChar; ch <= lastChar + 1 && ch < int(cells.size()); ++ch) {
        const GlyphCell& cell = cells[std::size_t(ch)];
        if (!cell.Present() || cell.bits.empty()) continue;
        rows.above = std::max(rows.above, cell.inkAbove);
        rows.below = std::max(rows.below, cell.inkBelow);
    }
    return rows;
}

bool CellsFitFrame(const GlyphCells& cells, int above, int below) {
    for (const GlyphCell& cell : cells)
        if (!cell.bits.empty() && (cell.inkAbove > above || cell.inkBelow > below)) return false;
    return true;
}

bool AnyCharacterPresent(const GlyphCells& cells, int firstChar, int lastChar) {
    for (int ch = std::max(firstChar, 0); ch <= lastChar && ch < int(cells.size()); ++ch)
        if (cells[std::size_t(ch)].Present()) return true;
    return false;
}

namespace {
// The first n (1 to 8) bytes at p as the high end of a 64-bit number, the first byte highest.
inline std::uint64_t loadHigh(const std::uint8_t* p, std::size_t n) {
    std::uint64_t word = 0;
    switch (n) {
    case 8: word |= std::uint64_t(p[7]); [[fallthrough]];
    case 7: word |= std::uint64_t(p[6]) << 8; [[fallthrough]];
    case 6: word |= std::uint64_t(p[5]) << 16; [[fallthrough]];
    case 5: word |= std::uint64_t(p[4]) << 24; [[fallthrough]];
    case 4: word |= std::uint64_t(p[3]) << 32; [[fallthrough]];
    case 3: word |= std::uint64_t(p[2]) << 40; [[fallthrough]];
    case 2: word |= std::uint64_t(p[1]) << 48; [[fallthrough]];
    default: word |= std::uint64_t(p[0]) << 56;
    }
    return word;
}

// The eight bytes at p as one number, the first byte highest, and back.
inline std::uint64_t loadWord(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
}
inline void storeWord(std::uint8_t* p, std::uint64_t word) {
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    std::memcpy(p, &word, sizeof word);
}

// How many of rows rows, stride bytes apart, starting with the first, have eight bytes from their
// first within the span that ends with the last row's bytes bytes.
inline std::size_t rowsWithWholeWords(int rows, std::size_t stride, std::size_t bytes) {
    if (rows <= 0 || stride == 0) return 0;
    const std::size_t span = std::size_t(rows - 1) * stride + bytes;
    return span < 8 ? 0 : std::min(std::size_t(rows), (span - 8) / stride + 1);
}

// ORs the high n (1 to 8) bytes of word into the bytes at p, the highest into the first.
inline void orHigh(std::uint8_t* p, std::size_t n, std::uint64_t word) {
    switch (n) {
    case 8: p[7] |= static_cast<std::uint8_t>(word); [[fallthrough]];
    case 7: p[6] |= static_cast<std::uint8_t>(word >> 8); [[fallthrough]];
    case 6: p[5] |= static_cast<std::uint8_t>(word >> 16); [[fallthrough]];
    case 5: p[4] |= static_cast<std::uint8_t>(word >> 24); [[fallthrough]];
    case 4: p[3] |= static_cast<std::uint8_t>(word >> 32); [[fallthrough]];
    case 3: p[2] |= static_cast<std::uint8_t>(word >> 40); [[fallthrough]];
    case 2: p[1] |= static_cast<std::uint8_t>(word >> 48); [[fallthrough]];
    default: p[0] |= static_cast<std::uint8_t>(word >> 56);
    }
}
}  // namespace

void OrBitRows(const std::uint8_t* from, std::size_t fromStride, std::size_t fromBit, std::size_t count, int rows,
               std::uint8_t* to, std::size_t toStride, std::size_t toBit) {
    from += fromBit / 8;
    to += toBit / 8;
    const unsigned fromShift = fromBit % 8, toShift = toBit % 8;
    if (count > 0 && fromShift == 0 && toShift == 0) {
        // Both rows start on a byte: whole bytes, then the last one's leading bits.
        const std::size_t whole = count / 8;
        const auto tail = static_cast<std::uint8_t>(0xFF00u >> (count % 8));
        for (int r = 0; r < rows; ++r, from += fromStride, to += toStride) {
            for (std::size_t i = 0; i < whole; ++i) to[i] |= from[i];
            if (tail != 0) to[whole] |= static_cast<std::uint8_t>(from[whole] & tail);
        }
        return;
    }
    if (count > 0 && fromShift + count <= 64 && toShift + count <= 64) {
        // A glyph's row fits a 64-bit word: each row is read, aligned and merged as one number,
        // touching only the bytes the bits lie in.
        const std::size_t inBytes = (fromShift + count + 7) / 8, outBytes = (toShift + count + 7) / 8;
        const std::uint64_t keep = ~std::uint64_t(0) << (64 - count);
        // Rows followed by enough of the span (all but the last one or few) are read and merged
        // eight bytes at a time; the bytes past the bits are written back as they were.
        const std::size_t whole = std::min(rowsWithWholeWords(rows, fromStride, inBytes),
                                           rowsWithWholeWords(rows, toStride, outBytes));
        int r = 0;
        for (; std::size_t(r) < whole; ++r, from += fromStride, to += toStride)
            storeWord(to, loadWord(to) | (((loadWord(from) << fromShift) & keep) >> toShift));
        for (; r < rows; ++r, from += fromStride, to += toStride)
            orHigh(to, outBytes, ((loadHigh(from, inBytes) << fromShift) & keep) >> toShift);
        return;
    }
    for (int r = 0; r < rows; ++r, from += fromStride, to += toStride) {
        const std::uint8_t* in = from;
        std::uint8_t* out = to;
        for (std::size_t done = 0; done < count; done += 8, ++in, ++out) {
            const unsigned n = static_cast<unsigned>(std::min<std::size_t>(8, count - done));
            // The n bits, high bit first; the next source byte only when they reach into it.
            unsigned byte = in[0];
            if (fromShift != 0) {
                byte = (byte << fromShift) & 0xFF;
                if (n > 8 - fromShift) byte |= in[1] >> (8 - fromShift);
            }
            byte &= 0xFF00u >> n;
            // They reach into the next target byte when they straddle it.
            const unsigned spread = byte << (8 - toShift);
            out[0] |= static_cast<std::uint8_t>(spread >> 8);
            if (toShift + n > 8) out[1] |= static_cast<std::uint8_t>(spread);
        }
    }
}
