// BmpLoader.h: LoadImage of a .bmp file as a device-independent section. Reads the common
// variants: core (12-byte), info (40-byte), V4 and V5 headers; 1, 4 and 8 bits with palettes,
// RLE4 and RLE8; 16 bits 5-5-5, 5-6-5 and other bit fields; 24 and 32 bits; bottom-up and top-down
// rows. The bitmap reports the file's bits per pixel.
#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace gdi {

// Files longer than this are not read.
inline constexpr std::size_t kMaxBmpFileSize = std::size_t(256) << 20;

// The picture in bytes, or none when they are not a .bmp file this loader reads or are malformed
// in any way (cut short, impossible sizes, palette index out of range, a picture past the bitmap
// limits, pixel data too short to fill the picture: rows missing, or a run-length stream that
// could not cover it even in runs of 255); why, when given, then says what was wrong. Never
// reads outside bytes, and allocates the picture only once its data can fill it.
std::unique_ptr<Bitmap> LoadImageFromBytes(std::span<const std::uint8_t> bytes, std::string* why = nullptr);

// The same for the file at path.
std::unique_ptr<Bitmap> LoadImage(const std::string& path, std::string* why = nullptr);

}  // namespace gdi
