// Bitmap.cpp
#include "Bitmap.h"

#include <new>

namespace gdi {

Bitmap::Bitmap(int width, int height, int bitsPerPixel, bool white)
    : width_(width),
      height_(height),
      bitsPerPixel_(bitsPerPixel),
      stride_((std::size_t(width) * 24 + 31) / 32 * 4),
      bits_(new std::uint8_t[stride_ * std::size_t(height)]),
      dirtyLeft_(width),
      dirtyTop_(height) {
    const std::size_t size = stride_ * std::size_t(height);
    if (white) {
        std::fill_n(bits_.get(), size, std::uint8_t{0xFF});
        return;
    }
    const std::size_t used = std::size_t(width) * 3;
    if (used == stride_) return;
    for (std::size_t row = 0; row < size; row += stride_) std::fill(bits_.get() + row + used, bits_.get() + row + stride_, std::uint8_t{0xFF});
}

std::unique_ptr<Bitmap> Bitmap::Create(int width, int height, int reportedBitsPerPixel) {
    if (!FitsLimits(width, height)) return nullptr;
    try {
        return std::unique_ptr<Bitmap>(new Bitmap(width, height, reportedBitsPerPixel, true));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<Bitmap> Bitmap::CreateForOverwrite(int width, int height, int reportedBitsPerPixel) {
    if (!FitsLimits(width, height)) return nullptr;
    try {
        return std::unique_ptr<Bitmap>(new Bitmap(width, height, reportedBitsPerPixel, false));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void Bitmap::DrawMask(int x, int y, const std::uint8_t* mask, int width, int rows, int pitch, COLORREF color) {
    const int c0 = std::max(0, -x), c1 = std::min(width, width_ - x);
    const int r0 = std::max(0, -y), r1 = std::min(rows, height_ - y);
    if (c0 >= c1 || r0 >= r1) return;
    markDirty(x + c0, y + r0);
    markDirty(x + c1 - 1, y + r1 - 1);
    const std::uint8_t b = GetBValue(color), g = GetGValue(color), r = GetRValue(color);
    for (int row = r0; row < r1; ++row) {
        const std::uint8_t* bits = mask + std::size_t(row) * std::size_t(pitch);
        std::uint8_t* out = pixelAt(0, y + row);
        for (int col = c0; col < c1;) {
            const std::uint8_t byte = bits[col >> 3];
            if (byte == 0) {  // eight blank pixels (or what is left of them) at once
                col = (col | 7) + 1;
                continue;
            }
            if ((byte & (0x80 >> (col & 7))) != 0) {
                std::uint8_t* p = out + std::size_t(x + col) * 3;
                p[0] = b;
                p[1] = g;
                p[2] = r;
            }
            ++col;
        }
    }
}

void Bitmap::FillWhite() {
    if (dirtyLeft_ < dirtyRight_ && dirtyTop_ < dirtyBottom_) {
        for (int y = dirtyTop_; y < dirtyBottom_; ++y) {
            std::uint8_t* row = bits_.get() + std::size_t(height_ - 1 - y) * stride_;
            std::fill(row + std::size_t(dirtyLeft_) * 3, row + std::size_t(dirtyRight_) * 3, std::uint8_t{0xFF});
        }
    }
    dirtyLeft_ = width_;
    dirtyTop_ = height_;
    dirtyRight_ = dirtyBottom_ = 0;
}

std::unique_ptr<Bitmap> CreateCompatibleBitmap(int width, int height) {
    return Bitmap::Create(width, height, kDisplayBitsPerPixel);
}

}  // namespace gdi
