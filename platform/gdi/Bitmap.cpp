// Bitmap.cpp
#include "Bitmap.h"

#include <new>

namespace gdi {

Bitmap::Bitmap(int width, int height, int bitsPerPixel)
    : width_(width),
      height_(height),
      bitsPerPixel_(bitsPerPixel),
      stride_((std::size_t(width) * 24 + 31) / 32 * 4),
      bits_(stride_ * std::size_t(height), 0xFF) {}

std::unique_ptr<Bitmap> Bitmap::Create(int width, int height, int reportedBitsPerPixel) {
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
        std::int64_t(width) * height > kMaxBitmapPixels)
        return nullptr;
    try {
        return std::unique_ptr<Bitmap>(new Bitmap(width, height, reportedBitsPerPixel));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<Bitmap> CreateCompatibleBitmap(int width, int height) {
    return Bitmap::Create(width, height, kDisplayBitsPerPixel);
}

}  // namespace gdi
