// PngWriter.h: an 8-bit grey picture written as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // row-major, 0 black, 255 white

    GreyImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), 255) {}
    void set(int x, int y, std::uint8_t v) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = v;
    }
};

// Writes image to path (replacing it only once complete); false with why set on failure.
bool writePng(const std::string& path, const GreyImage& image, std::string& why);
