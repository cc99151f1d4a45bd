// ActionPictures.cpp: the action pictures, put together from a handheld, a computer and what
// goes between them. Sprites are written one character per pixel in the palette below.
#include "ActionPictures.h"

#include "ConduitDialog.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace conduit {

namespace {
constexpr int kW = kActionPictureWidth;
constexpr int kH = kActionPictureHeight;

std::uint32_t colourOf(char c) {
    switch (c) {
    case 'k': return 0x000000;
    case 'r': return 0x800000;
    case 'g': return 0x008000;
    case 'o': return 0x808000;
    case 'n': return 0x000080;
    case 'p': return 0x800080;
    case 't': return 0x008080;
    case 'd': return 0x808080;
    case 'R': return 0xFF0000;
    case 'G': return 0x00FF00;
    case 'Y': return 0xFFFF00;
    case 'B': return 0x0000FF;
    case 'M': return 0xFF00FF;
    case 'C': return 0x00FFFF;
    case 'w': return 0xFFFFFF;
    default: return kPictureGround;  // '.'
    }
}

// A greyed part keeps its shape: dark colours turn mid grey, mid grey turns to the ground, light
// colours turn white.
char greyed(char c) {
    switch (c) {
    case '.':
    case 'd': return '.';
    case 'w':
    case 'C':
    case 'G':
    case 'Y': return 'w';
    default: return 'd';
    }
}

constexpr std::array<std::string_view, 20> kHandheld = {
    "..kkkkkkkkk..",
    ".kdddddddddk.",
    "kdddddddddddk",
    "kdkkkkkkkkkdk",
    "kdkCCCCCCCkdk",
    "kdkCnnCCCCkdk",
    "kdkCCnCCCCkdk",
    "kdkCCCnnCCkdk",
    "kdkCCCCCnCkdk",
    "kdkCCCCCCCkdk",
    "kdkCCCCCCCkdk",
    "kdkkkkkkkkkdk",
    "kdddddddddddk",
    "kdwwwdddwwwdk",
    "kdwwwdddwwwdk",
    "kdddddddddddk",
    "kdnndnnndnndk",
    "kdddddddddddk",
    ".kdddddddddk.",
    "..kkkkkkkkk..",
};

constexpr std::array<std::string_view, 20> kComputer = {
    ".kkkkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwwwdk",
    "kwkkkkkkkkkkkkkwdk",
    "kwkBBBBBBBBBBBkwdk",
    "kwkBwwwwBBBBBBkwdk",
    "kwkBBBBBBBBBBBkwdk",
    "kwkBBBBBwwwwwBkwdk",
    "kwkBBBBBBBBBBBkwdk",
    "kwkBBwwwwwBBBBkwdk",
    "kwkkkkkkkkkkkkkwdk",
    "kwwwwwwwwwwwwwwwdk",
    "kddddddddddddddddk",
    ".kkkkkkkkkkkkkkkk.",
    "......kwwwwk......",
    "....kkkkkkkkkk....",
    "..................",
    ".kkkkkkkkkkkkkkkk.",
    "kwdwdwdwdwdwdwdwdk",
    "kwwwwwwwwwwwwwwwwk",
    "kkkkkkkkkkkkkkkkkk",
};

constexpr int kTop = 2;
constexpr int kHandheldLeft = 1;
constexpr int kComputerLeft = 29;
constexpr int kGapLeft = 15;   // between the two, 13 pixels wide
constexpr int kGapRight = 27;

class Canvas {
public:
    Canvas() : pixels_(std::size_t(kW) * kH, kPictureGround) {}
    void put(int x, int y, char c) {
        if (x >= 0 && x < kW && y >= 0 && y < kH) pixels_[std::size_t(y) * kW + std::size_t(x)] = colourOf(c);
    }
    template <std::size_t N>
    void sprite(const std::array<std::string_view, N>& rows, int left, bool grey) {
        for (std::size_t y = 0; y < N; ++y)
            for (std::size_t x = 0; x < rows[y].size(); ++x) {
                const char c = rows[y][x];
                if (c != '.') put(left + int(x), kTop + int(y), grey ? greyed(c) : c);
            }
    }
    // A three-pixel shaft and a head seven pixels high, pointing right or left, centred on row cy.
    void arrow(int cy, bool right) {
        constexpr int kHead = 4;
        constexpr int kLength = kGapRight - kGapLeft + 1;
        for (int i = 0; i < kLength; ++i) {
            const int fromTip = kLength - 1 - i;
            const int half = fromTip < kHead ? fromTip : 1;
            const int x = right ? kGapLeft + i : kGapRight - i;
            for (int dy = -half; dy <= half; ++dy) put(x, cy + dy, 'g');
        }
    }
    void bar(int x, int top, int bottom, char c) {
        for (int y = top; y <= bottom; ++y) {
            put(x, y, c);
            put(x + 1, y, c);
        }
    }
    std::vector<std::uint32_t> take() { return std::move(pixels_); }

private:
    std::vector<std::uint32_t> pixels_;
};
}  // namespace

std::vector<std::uint32_t> ActionPicture(int bitmapId) {
    Canvas c;
    switch (bitmapId) {
    case kBitmapSync:
        c.sprite(kHandheld, kHandheldLeft, false);
        c.sprite(kComputer, kComputerLeft, false);
        c.arrow(8, true);
        c.arrow(16, false);
        break;
    case kBitmapDesktopOverwrites:
        c.sprite(kHandheld, kHandheldLeft, true);
        c.sprite(kComputer, kComputerLeft, false);
        c.arrow(12, false);
        break;
    case kBitmapHandheldOverwrites:
        c.sprite(kHandheld, kHandheldLeft, false);
        c.sprite(kComputer, kComputerLeft, true);
        c.arrow(12, true);
        break;
    case kBitmapNothing:
        c.sprite(kHandheld, kHandheldLeft, true);
        c.sprite(kComputer, kComputerLeft, true);
        c.bar(18, 8, 16, 'k');
        c.bar(22, 8, 16, 'k');
        break;
    default: return {};
    }
    return c.take();
}

std::vector<std::uint32_t> MapPictureColour(std::vector<std::uint32_t> pixels, std::uint32_t from, std::uint32_t to) {
    std::replace(pixels.begin(), pixels.end(), from, to);
    return pixels;
}

}  // namespace conduit
