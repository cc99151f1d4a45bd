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

// text in strike `density` (1 single, 2 double; a record without a second strike draws 1), each
// handheld pixel as zoom x zoom picture pixels, with a margin of zoom pixels all round.
GreyImage DrawFontText(const CFontRecord& font, int density, int zoom, std::string_view text = kPreviewSample);

// The strikes side by side at their own sizes, and below them the sample text in each density,
// the single-density line twice as large so that both lines stand at the same size.
GreyImage DrawFontPreview(const CFontRecord& font);
