// Bitmap.h: a bitmap held in plain memory, as the display-compatible bitmaps and the loaded
// device-independent sections of GDI are.
//
// Pixels are kept as 24-bit blue-green-red triples in bottom-up rows padded to four bytes: the
// layout of a 24-bit packed device-independent bitmap, so that GetDIBits is a copy. The display
// this stands in for is a 24-bit one (kDisplayBitsPerPixel). A bitmap loaded from a file reports
// the file's own bits per pixel, as a DIB section does, whatever it is kept in.
#pragma once

#include "Colorref.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace gdi {

inline constexpr int kDisplayBitsPerPixel = 24;
// Bitmaps larger than this are refused: no picture the system handles comes near it, and a
// bad size field must not make the program allocate gigabytes.
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t(4096) * 4096;
inline constexpr int kMaxBitmapSide = 32767;

class Bitmap {
public:
    // A white-initialised bitmap; none for sizes of 0 or less or past the limits above.
    static std::unique_ptr<Bitmap> Create(int width, int height, int reportedBitsPerPixel = kDisplayBitsPerPixel);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    // Bytes of one stored row.
    std::size_t Stride() const { return stride_; }

    // y = 0 is the top row. Outside the bitmap SetPixel fails and GetPixel gives kInvalidColor.
    bool SetPixel(int x, int y, COLORREF color) {
        if (!contains(x, y)) return false;
        std::uint8_t* p = pixelAt(x, y);
        p[0] = GetBValue(color);
        p[1] = GetGValue(color);
        p[2] = GetRValue(color);
        return true;
    }
    COLORREF GetPixel(int x, int y) const {
        if (!contains(x, y)) return kInvalidColor;
        const std::uint8_t* p = pixelAt(x, y);
        return RGB(p[2], p[1], p[0]);
    }

    // Row y (0 = top) as stored: width blue-green-red triples, then padding.
    std::uint8_t* Row(int y) { return bits_.data() + std::size_t(height_ - 1 - y) * stride_; }
    const std::uint8_t* Row(int y) const { return bits_.data() + std::size_t(height_ - 1 - y) * stride_; }
    // Every row, bottom row first.
    const std::vector<std::uint8_t>& Bits() const { return bits_; }

private:
    Bitmap(int width, int height, int bitsPerPixel);
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    std::uint8_t* pixelAt(int x, int y) { return Row(y) + std::size_t(x) * 3; }
    const std::uint8_t* pixelAt(int x, int y) const { return Row(y) + std::size_t(x) * 3; }

    int width_;
    int height_;
    int bitsPerPixel_;
    std::size_t stride_;
    std::vector<std::uint8_t> bits_;
};

// CreateCompatibleBitmap: a width x height bitmap in the display's format; none on failure.
std::unique_ptr<Bitmap> CreateCompatibleBitmap(int width, int height);

}  // namespace gdi
