// FontPreview.h: a font record drawn as the handheld draws it: its strikes, and a line of text
// laid out with the record's own widths and locations, into a grey picture.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

class CFontRecord;

struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // row-major, 0 black, 255 white

    GreyImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), 255) {}
    void set(int x, int y, std::uint8_t v) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = v;
    }
};

inline constexpr std::string_view kPreviewSample = "The quick brown fox jumps over the lazy dog. 0123456789";

// Both draw nothing (a 0 x 0 picture) for a record without a font or one HandheldLimitFault
// refuses, so that no field of a record a handheld could not hold sizes a picture; callers ask
// HandheldLimitFault first to say why.

// text in strike `density` (1 single, 2 double; a record without a second strike draws 1), each
// handheld pixel as zoom x zoom picture pixels, with a margin of zoom pixels all round.
// zoom is taken as 1 to 8.
GreyImage DrawFontText(const CFontRecord& font, int density, int zoom, std::string_view text = kPreviewSample);

// A picture a person can read, each part with a caption: the font's name, style and size; for
// each strike a grid of its characters, 16 to a row, with the code points on the margin (the
// single-density strike drawn twice as large, so both grids stand at the same size; characters
// the font lacks are shaded); and sample text as the handheld shows it on a 160 x 160 screen
// (single density, shown at 2x) and on a 320 x 320 screen (double density, shown at 1x).
GreyImage DrawFontPreview(const CFontRecord& font);
