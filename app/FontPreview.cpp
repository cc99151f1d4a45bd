// FontPreview.cpp: drawing a font record's strikes and text.
#include "FontPreview.h"

#include "core/FontRecord.h"

#include <algorithm>

namespace {
constexpr int kMargin = 8;

struct StrikeView {
    const std::vector<std::uint8_t>* bits;
    int rows;
    int bytesPerRow;
    int scale;  // 1 single density, 2 double density
};

StrikeView strikeOf(const CFontRecord& font, int density) {
    const int rows = font.font.fRectHeight;
    if (density == 2 && font.IsHighDensity()) return {&font.strike2, 2 * rows, font.font.rowWords * 4, 2};
    return {&font.strike1, rows, font.font.rowWords * 2, 1};
}

bool inkAt(const StrikeView& s, int x, int y) {
    const std::size_t byte = std::size_t(y) * std::size_t(s.bytesPerRow) + std::size_t(x / 8);
    return byte < s.bits->size() && ((*s.bits)[byte] & (0x80 >> (x % 8))) != 0;
}

void fillPixel(GreyImage& image, int x, int y, int zoom) {
    for (int dy = 0; dy < zoom; ++dy)
        for (int dx = 0; dx < zoom; ++dx) image.set(x + dx, y + dy, 0);
}

void drawStrike(GreyImage& image, const StrikeView& s, int left, int top) {
    for (int y = 0; y < s.rows; ++y)
        for (int x = 0; x < s.bytesPerRow * 8; ++x)
            if (inkAt(s, x, y)) image.set(left + x, top + y, 0);
}

// The index of a character's entry, or of the missing-character symbol.
int entryFor(const CFontRecord& font, unsigned char c) {
    const int missing = font.Count() - 1;
    if (c < font.font.firstChar || c > font.font.lastChar) return missing;
    const int i = c - font.font.firstChar;
    return font.offsetWidth[2 * std::size_t(i)] == 0xFF ? missing : i;
}

int advanceOf(const CFontRecord& font, int entry) { return font.offsetWidth[2 * std::size_t(entry) + 1]; }

int textWidth(const CFontRecord& font, std::string_view text, int scale, int zoom) {
    int width = 0;
    for (unsigned char c : text) width += advanceOf(font, entryFor(font, c)) * scale * zoom;
    return width;
}

void drawText(GreyImage& image, const CFontRecord& font, const StrikeView& s, std::string_view text, int left, int top,
              int zoom) {
    int pen = left;
    for (unsigned char c : text) {
        const int i = entryFor(font, c);
        const int from = font.locationTable[std::size_t(i)] * s.scale;
        const int to = font.locationTable[std::size_t(i) + 1] * s.scale;
        for (int y = 0; y < s.rows; ++y)
            for (int x = from; x < to; ++x)
                if (inkAt(s, x, y)) fillPixel(image, pen + (x - from) * zoom, top + y * zoom, zoom);
        pen += advanceOf(font, i) * s.scale * zoom;
    }
}
}  // namespace

GreyImage DrawFontText(const CFontRecord& font, int density, int zoom, std::string_view text) {
    const StrikeView s = strikeOf(font, density);
    zoom = std::max(zoom, 1);
    GreyImage image(textWidth(font, text, s.scale, zoom) + 2 * zoom, s.rows * zoom + 2 * zoom);
    drawText(image, font, s, text, zoom, zoom, zoom);
    return image;
}

GreyImage DrawFontPreview(const CFontRecord& font) {
    const StrikeView single = strikeOf(font, 1);
    const StrikeView twice = strikeOf(font, 2);
    const bool two = font.IsHighDensity();
    const int rows = single.rows;
    const int strikeWidth = single.bytesPerRow * 8 + (two ? kMargin + twice.bytesPerRow * 8 : 0);
    const int textLine = std::max(textWidth(font, kPreviewSample, 1, 2), two ? textWidth(font, kPreviewSample, 2, 1) : 0);
    const int width = 2 * kMargin + std::max(strikeWidth, textLine);
    const int height = kMargin + (two ? 2 * rows : rows) + kMargin + 2 * rows + (two ? kMargin + 2 * rows : 0) + kMargin;
    GreyImage image(width, height);
    int top = kMargin;
    drawStrike(image, single, kMargin, top);
    if (two) drawStrike(image, twice, kMargin + single.bytesPerRow * 8 + kMargin, top);
    top += (two ? 2 * rows : rows) + kMargin;
    drawText(image, font, single, kPreviewSample, kMargin, top, 2);
    if (two) drawText(image, font, twice, kPreviewSample, kMargin, top + 2 * rows + kMargin, 1);
    return image;
}
