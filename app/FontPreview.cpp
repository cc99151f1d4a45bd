// FontPreview.cpp: drawing a font record's strikes and text.
#include "FontPreview.h"

#include "core/FontRecord.h"

#include <algorithm>
#include <limits>
#include <string>

namespace {
constexpr int kMargin = 8;
constexpr std::uint8_t kRule = 190;     // grid lines and screen frames
constexpr std::uint8_t kAbsent = 225;   // cells of characters the font does not have
constexpr std::uint8_t kLabelInk = 70;  // labels and captions, apart from the font's own ink

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

void fillRect(GreyImage& image, int left, int top, int width, int height, std::uint8_t v) {
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) image.set(x, y, v);
}

bool hasCharacter(const CFontRecord& font, int c) {
    if (c < font.font.firstChar || c > font.font.lastChar) return false;
    return font.offsetWidth[2 * std::size_t(c - font.font.firstChar)] != 0xFF;
}

// The index of a character's entry, or of the missing-character symbol.
int entryFor(const CFontRecord& font, unsigned char c) {
    return hasCharacter(font, c) ? c - font.font.firstChar : font.Count() - 1;
}

int advanceOf(const CFontRecord& font, int entry) { return font.offsetWidth[2 * std::size_t(entry) + 1]; }

// The columns entry i takes in the single-density strike.
int glyphWidth(const CFontRecord& font, int i) {
    return font.locationTable[std::size_t(i) + 1] - font.locationTable[std::size_t(i)];
}

// The ink of entry i of strike s with its left column at (left, top), each strike pixel as
// zoom x zoom picture pixels; the glyph's columns from `columns` on are left out.
void drawGlyph(GreyImage& image, const CFontRecord& font, const StrikeView& s, int i, int left, int top, int zoom,
               int columns = std::numeric_limits<int>::max()) {
    const int from = font.locationTable[std::size_t(i)] * s.scale;
    const int to = font.locationTable[std::size_t(i) + 1] * s.scale;
    for (int y = 0; y < s.rows; ++y)
        for (int x = from; x < to && x - from < columns; ++x)
            if (inkAt(s, x, y)) fillRect(image, left + (x - from) * zoom, top + y * zoom, zoom, zoom, 0);
}

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
        drawGlyph(image, font, s, i, pen, top, zoom);
        pen += advanceOf(font, i) * s.scale * zoom;
    }
}
}  // namespace

GreyImage DrawFontText(const CFontRecord& font, int density, int zoom, std::string_view text) {
    if (font.header.headerOnly != 0 || HandheldLimitFault(font)) return GreyImage(0, 0);
    const StrikeView s = strikeOf(font, density);
    zoom = std::clamp(zoom, 1, 8);
    GreyImage image(textWidth(font, text, s.scale, zoom) + 2 * zoom, s.rows * zoom + 2 * zoom);
    drawText(image, font, s, text, zoom, zoom, zoom);
    return image;
}

namespace {
// Captions and code points are drawn with a built-in 5 x 7 pixel face for printable ASCII (bit 4
// is the leftmost column), so that they do not depend on the font being shown.
constexpr int kLabelWidth = 5;
constexpr int kLabelHeight = 7;
constexpr std::uint8_t kLabelGlyphs[95][kLabelHeight] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}, {0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A},
    {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04}, {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}, {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D}, {0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}, {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}, {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00}, {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x06, 0x04, 0x08}, {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}, {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00},
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}, {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}, {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}, {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}, {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x04, 0x08},
    {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02}, {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00}, {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08}, {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04},
    {0x0E, 0x11, 0x01, 0x0D, 0x15, 0x15, 0x0E}, {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}, {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}, {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},
    {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}, {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}, {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F},
    {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}, {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}, {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}, {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}, {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}, {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}, {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}, {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},
    {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A},
    {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}, {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}, {0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0E},
    {0x00, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00}, {0x0E, 0x02, 0x02, 0x02, 0x02, 0x02, 0x0E}, {0x04, 0x0A, 0x11, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F},
    {0x08, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F}, {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x1E}, {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E},
    {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F}, {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E}, {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}, {0x00, 0x0F, 0x11, 0x11, 0x0F, 0x01, 0x0E},
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11}, {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E}, {0x02, 0x00, 0x06, 0x02, 0x02, 0x12, 0x0C}, {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12},
    {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11}, {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}, {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E},
    {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}, {0x00, 0x00, 0x0D, 0x13, 0x0F, 0x01, 0x01}, {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}, {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E},
    {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}, {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D}, {0x00, 0x00, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A},
    {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11}, {0x00, 0x00, 0x11, 0x11, 0x0F, 0x01, 0x0E}, {0x00, 0x00, 0x1F, 0x02, 0x04, 0x08, 0x1F}, {0x02, 0x04, 0x04, 0x08, 0x04, 0x04, 0x02},
    {0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x08, 0x04, 0x04, 0x02, 0x04, 0x04, 0x08}, {0x00, 0x00, 0x08, 0x15, 0x02, 0x00, 0x00},

};

int labelWidth(std::string_view text, int scale) {
    return text.empty() ? 0 : int(text.size()) * (kLabelWidth + 1) * scale - scale;
}

void drawLabel(GreyImage& image, std::string_view text, int left, int top, int scale) {
    for (const unsigned char c : text) {
        const int index = (c >= 32 && c < 127) ? c - 32 : '?' - 32;
        for (int y = 0; y < kLabelHeight; ++y)
            for (int x = 0; x < kLabelWidth; ++x)
                if (kLabelGlyphs[index][y] & (0x10 >> x))
                    fillRect(image, left + x * scale, top + y * scale, scale, scale, kLabelInk);
        left += (kLabelWidth + 1) * scale;
    }
}

void frameRect(GreyImage& image, int left, int top, int width, int height, std::uint8_t v) {
    for (int x = left; x < left + width; ++x) {
        image.set(x, top, v);
        image.set(x, top + height - 1, v);
    }
    for (int y = top; y < top + height; ++y) {
        image.set(left, y, v);
        image.set(left + width - 1, y, v);
    }
}

constexpr int kCaptionScale = 2;
constexpr int kCaptionHeight = kLabelHeight * kCaptionScale + 6;
constexpr int kGridColumns = 16;
constexpr int kCellPadding = 3;
constexpr int kHandheldScreen = 160;  // single-density pixels across and down

int widestGlyph(const CFontRecord& font) {
    int widest = 1;
    for (int i = 0; i + 1 < int(font.locationTable.size()); ++i) widest = std::max(widest, glyphWidth(font, i));
    return widest;
}

// One strike's characters, 16 to a row, the low hex digit of the code point above each column and
// the code point of each row's first character on the left. zoom makes the two strikes equally
// large (2 for single density, 1 for double).
struct Grid {
    int firstRow, lastRow, cellWidth, cellHeight, labelMargin, width, height;
};

Grid gridFor(const CFontRecord& font, const StrikeView& s, int zoom) {
    Grid g{};
    g.firstRow = font.font.firstChar / kGridColumns;
    g.lastRow = font.font.lastChar / kGridColumns;
    g.cellWidth = std::max(widestGlyph(font) * s.scale * zoom, labelWidth("F", kCaptionScale)) + 2 * kCellPadding;
    g.cellHeight = std::max(s.rows * zoom, kLabelHeight * kCaptionScale) + 2 * kCellPadding;
    g.labelMargin = labelWidth("0x00", kCaptionScale) + 2 * kCellPadding;
    g.width = g.labelMargin + kGridColumns * g.cellWidth + 1;
    g.height = kCaptionHeight + (g.lastRow - g.firstRow + 1) * g.cellHeight + 1;
    return g;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string hex2(int v) {
    return {kHexDigits[(v >> 4) & 15], kHexDigits[v & 15]};
}

void drawGrid(GreyImage& image, const CFontRecord& font, const StrikeView& s, int zoom, const Grid& g, int left, int top) {
    for (int col = 0; col < kGridColumns; ++col)
        drawLabel(image, std::string(1, kHexDigits[col]),
                  left + g.labelMargin + col * g.cellWidth + (g.cellWidth - labelWidth("F", kCaptionScale)) / 2, top,
                  kCaptionScale);
    top += kCaptionHeight;
    for (int row = g.firstRow; row <= g.lastRow; ++row) {
        const int y = top + (row - g.firstRow) * g.cellHeight;
        drawLabel(image, "0x" + hex2(row * kGridColumns), left, y + (g.cellHeight - kLabelHeight * kCaptionScale) / 2,
                  kCaptionScale);
        for (int col = 0; col < kGridColumns; ++col) {
            const int c = row * kGridColumns + col;
            const int x = left + g.labelMargin + col * g.cellWidth;
            if (!hasCharacter(font, c)) {
                fillRect(image, x + 1, y + 1, g.cellWidth - 1, g.cellHeight - 1, kAbsent);
                continue;
            }
            const int i = c - font.font.firstChar;
            const int glyphLeft = x + (g.cellWidth - glyphWidth(font, i) * s.scale * zoom) / 2;
            drawGlyph(image, font, s, i, glyphLeft, y + kCellPadding, zoom);
        }
    }
    const int rows = g.lastRow - g.firstRow + 1;
    for (int r = 0; r <= rows; ++r)
        for (int x = left + g.labelMargin; x < left + g.width; ++x) image.set(x, top + r * g.cellHeight, kRule);
    for (int col = 0; col <= kGridColumns; ++col)
        for (int y = top; y < top + rows * g.cellHeight + 1; ++y) image.set(left + g.labelMargin + col * g.cellWidth, y, kRule);
}

constexpr std::string_view kScreenText =
    "The quick brown fox jumps over the lazy dog. THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG! "
    "0123456789 (\"Hello,\" she said; 50% off: $4.99 & more?) [a+b=c] {x*y/z} <tag> @home #1 ~ ^_^";

// The sample text as the handheld lays it out on a screen `pixels` wide and high (in the pixels of
// strike s): words wrap at the right edge, a word longer than a line breaks anywhere, and lines that
// do not fit below are left out. Each strike pixel becomes pixelScale x pixelScale picture pixels.
void drawScreen(GreyImage& image, const CFontRecord& font, const StrikeView& s, int pixels, int pixelScale, int left,
                int top) {
    const int lineHeight = s.rows;
    const auto advance = [&](unsigned char c) { return advanceOf(font, entryFor(font, c)) * s.scale; };
    int penX = 0, penY = 0;
    std::size_t at = 0;
    const std::string_view text = kScreenText;
    while (at < text.size() && penY + lineHeight <= pixels) {
        std::size_t end = text.find(' ', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view word = text.substr(at, end - at);
        int wordWidth = 0;
        for (const unsigned char c : word) wordWidth += advance(c);
        if (penX > 0 && penX + wordWidth > pixels) {
            penX = 0;
            penY += lineHeight;
            if (penY + lineHeight > pixels) break;
        }
        for (const unsigned char c : word) {
            if (penX + advance(c) > pixels && penX > 0) {
                penX = 0;
                penY += lineHeight;
                if (penY + lineHeight > pixels) return;
            }
            drawGlyph(image, font, s, entryFor(font, c), left + penX * pixelScale, top + penY * pixelScale, pixelScale,
                      pixels - penX);
            penX += advance(c);
        }
        penX += advance(' ');
        at = end + 1;
    }
}

// Longer titles are cut: a record's name has no limit of its own, and the picture's width must
// not follow it.
constexpr std::size_t kMaxTitle = 96;

std::string titleOf(const CFontRecord& font) {
    std::string title = font.name.empty() ? "(no name)" : font.name;
    if (!font.style.empty()) title += " " + font.style;
    title += ", " + std::to_string(font.header.pointSize) + " pt";
    if (title.size() > kMaxTitle) title = title.substr(0, kMaxTitle - 3) + "...";
    return title;
}
}  // namespace

GreyImage DrawFontPreview(const CFontRecord& font) {
    if (font.header.headerOnly != 0 || HandheldLimitFault(font)) return GreyImage(0, 0);
    const StrikeView single = strikeOf(font, 1);
    const bool two = font.IsHighDensity();
    const StrikeView twice = strikeOf(font, 2);
    const Grid singleGrid = gridFor(font, single, 2);
    const Grid twiceGrid = gridFor(font, twice, 1);

    // Both screens are shown at the same size: the single-density one at twice, the double-density
    // one at once its own size (a font without a double-density strike has its pixels doubled, as
    // the handheld does).
    constexpr int kScreenSide = 2 * kHandheldScreen + 2;
    const int screensWidth = 2 * kScreenSide + 3 * kMargin;
    const std::string singleCaption = "Single-density strike (72 dpi), shown at 2x";
    const std::string twiceCaption = "Double-density strike (144 dpi), shown at 1x";
    const std::string screensCaption = "Sample text as the handheld shows it";
    const std::string screen1[] = {"160 x 160 screen", "single density, 2x"};
    const std::string screen2[] = {"320 x 320 screen", two ? "double density, 1x" : "pixels doubled, 1x"};
    int width = std::max({singleGrid.width, two ? twiceGrid.width : 0, screensWidth,
                          labelWidth(titleOf(font), kCaptionScale), labelWidth(singleCaption, kCaptionScale),
                          labelWidth(twiceCaption, kCaptionScale), labelWidth(screensCaption, kCaptionScale)});
    width += 2 * kMargin;
    const int height = kMargin + kCaptionHeight + kMargin + kCaptionHeight + singleGrid.height + kMargin +
                       (two ? kCaptionHeight + twiceGrid.height + kMargin : 0) + 3 * kCaptionHeight + kScreenSide + kMargin;
    GreyImage image(width, height);

    int top = kMargin;
    drawLabel(image, titleOf(font), kMargin, top, kCaptionScale);
    top += kCaptionHeight + kMargin;
    drawLabel(image, singleCaption, kMargin, top, kCaptionScale);
    top += kCaptionHeight;
    drawGrid(image, font, single, 2, singleGrid, kMargin, top);
    top += singleGrid.height + kMargin;
    if (two) {
        drawLabel(image, twiceCaption, kMargin, top, kCaptionScale);
        top += kCaptionHeight;
        drawGrid(image, font, twice, 1, twiceGrid, kMargin, top);
        top += twiceGrid.height + kMargin;
    }
    const int left2 = kMargin + kScreenSide + kMargin;
    drawLabel(image, screensCaption, kMargin, top, kCaptionScale);
    top += kCaptionHeight;
    for (int line = 0; line < 2; ++line) {
        drawLabel(image, screen1[line], kMargin, top, kCaptionScale);
        drawLabel(image, screen2[line], left2, top, kCaptionScale);
        top += kCaptionHeight;
    }
    frameRect(image, kMargin, top, kScreenSide, kScreenSide, kRule);
    frameRect(image, left2, top, kScreenSide, kScreenSide, kRule);
    drawScreen(image, font, single, kHandheldScreen, 2, kMargin + 1, top + 1);
    if (two) drawScreen(image, font, twice, 2 * kHandheldScreen, 1, left2 + 1, top + 1);
    else drawScreen(image, font, single, kHandheldScreen, 2, left2 + 1, top + 1);
    return image;
}
