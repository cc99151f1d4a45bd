// GlyphRasteriser.cpp
#include "GlyphRasteriser.h"

#include <algorithm>
#include <cstdlib>

namespace {
// The cell's pixels: every pixel of the rectangle that is neither white nor outside the bitmap
// (what GetPixel would report), read straight from the bitmap's rows.
void capture(const gdi::Bitmap& bitmap, int startX, GlyphCell& cell) {
    cell.pixels.assign(std::size_t(cell.width) * std::size_t(cell.height), 0);
    const int from = std::max(startX, 0);
    const int to = std::min(startX + cell.width, bitmap.Width());
    for (int y = 0; y < std::min(cell.height, bitmap.Height()); ++y) {
        const std::uint8_t* row = bitmap.Row(y);
        std::uint8_t* ink = cell.pixels.data() + std::size_t(y) * std::size_t(cell.width);
        for (int x = from; x < to; ++x) {
            const std::uint8_t* p = row + std::size_t(x) * 3;
            ink[x - startX] = (p[0] & p[1] & p[2]) != 0xFF;
        }
    }
}

}  // namespace

bool RenderStrike(gdi::Font& font, GlyphCells& cells, gdi::TEXTMETRIC& metrics) {
    metrics = font.GetTextMetrics();
    auto bitmap = gdi::CreateCompatibleBitmap(2 * metrics.tmMaxCharWidth, metrics.tmHeight);
    if (!bitmap) return true;  // nothing can be drawn: every cell stays empty
    for (unsigned ch = metrics.tmFirstChar; ch <= metrics.tmLastChar; ++ch) {
        const auto byte = static_cast<std::uint8_t>(ch);
        bitmap->FillWhite();
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
        if (!font.TextOut(*bitmap, std::abs(abc.abcA), metrics.tmAscent, byte)) continue;
        GlyphCell& cell = cells[ch];
        cell.height = metrics.tmHeight;
        cell.abcC = abc.abcC;
        int startX;
        if (abc.abcB == 0) {
            cell.width = advance;
            cell.leftPad = cell.rightPad = 0;
            startX = 0;
        } else {
            cell.width = static_cast<int>(abc.abcB);
            cell.leftPad = 1;
            cell.rightPad = abc.abcC > 1 ? 1 : 0;
            startX = std::abs(abc.abcA) + abc.abcA;
        }
        capture(*bitmap, startX, cell);
    }
    return true;
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
    return true;
}
