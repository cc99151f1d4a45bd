// Bitmap.h: a bitmap held in plain memory, as the display-compatible bitmaps and the loaded
// device-independent sections of GDI are.
//
// Pixels are kept as 24-bit blue-green-red triples in bottom-up rows padded to four bytes: the
// layout of a 24-bit packed device-independent bitmap, so that GetDIBits is a copy. The display
// this stands in for is a 24-bit one (kDisplayBitsPerPixel). A bitmap loaded from a file reports
// the file's own bits per pixel, as a DIB section does, whatever it is kept in.
#pragma once

#include "Colorref.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

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
    // The same, for a caller that writes every pixel through Row at once: the pixels start
    // undefined (only the row padding is set, white as in Create).
    static std::unique_ptr<Bitmap> CreateForOverwrite(int width, int height, int reportedBitsPerPixel);
    // Whether Create accepts the size (it may still fail for want of memory).
    static bool FitsLimits(int width, int height) {
        return width > 0 && height > 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
               std::int64_t(width) * height <= kMaxBitmapPixels;
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    // Bytes of one stored row.
    std::size_t Stride() const { return stride_; }

    // y = 0 is the top row. Outside the bitmap SetPixel fails and GetPixel gives kInvalidColor.
    bool SetPixel(int x, int y, COLORREF color) {
        if (!contains(x, y)) return false;
        markDirty(x, y);
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

    // Sets to color every pixel of a one-bit mask (rows of pitch bytes, most significant bit
    // first) placed with its top-left corner at (x, y), clipped to the bitmap.
    void DrawMask(int x, int y, const std::uint8_t* mask, int width, int rows, int pitch, COLORREF color);

    // Fills the bitmap white (BitBlt with WHITENESS). Only what was written since the last fill
    // is touched, so a bitmap that is drawn into sparsely is cleared cheaply.
    void FillWhite();

    // Row y (0 = top) as stored: width blue-green-red triples, then padding. Writing through it
    // is allowed; the next FillWhite then clears the whole bitmap.
    std::uint8_t* Row(int y) {
        dirtyLeft_ = dirtyTop_ = 0;
        dirtyRight_ = width_;
        dirtyBottom_ = height_;
        return bits_.get() + std::size_t(height_ - 1 - y) * stride_;
    }
    const std::uint8_t* Row(int y) const { return bits_.get() + std::size_t(height_ - 1 - y) * stride_; }
    // Every row, bottom row first.
    std::span<const std::uint8_t> Bits() const { return {bits_.get(), stride_ * std::size_t(height_)}; }

private:
    Bitmap(int width, int height, int bitsPerPixel, bool white);
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    void markDirty(int x, int y) {
        dirtyLeft_ = std::min(dirtyLeft_, x);
        dirtyRight_ = std::max(dirtyRight_, x + 1);
        dirtyTop_ = std::min(dirtyTop_, y);
        dirtyBottom_ = std::max(dirtyBottom_, y + 1);
    }
    std::uint8_t* pixelAt(int x, int y) { return bits_.get() + std::size_t(height_ - 1 - y) * stride_ + std::size_t(x) * 3; }
    const std::uint8_t* pixelAt(int x, int y) const { return Row(y) + std::size_t(x) * 3; }

    int width_;
    int height_;
    int bitsPerPixel_;
    std::size_t stride_;
    std::unique_ptr<std::uint8_t[]> bits_;  // not cleared when allocated
    // The rectangle written since the last FillWhite (empty when left >= right).
    int dirtyLeft_ = 0, dirtyTop_ = 0, dirtyRight_ = 0, dirtyBottom_ = 0;
};

// CreateCompatibleBitmap: a width x height bitmap in the display's format; none on failure.
std::unique_ptr<Bitmap> CreateCompatibleBitmap(int width, int height);

}  // namespace gdi
