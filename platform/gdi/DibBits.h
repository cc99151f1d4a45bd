// DibBits.h: describing a bitmap and copying it out as a device-independent bitmap.
#pragma once

#include "Bitmap.h"

#include <cstdint>

namespace gdi {

struct BITMAP {
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 0;
    std::uint16_t bmBitsPixel = 0;
};

struct BITMAPINFOHEADER {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

inline constexpr std::uint32_t BI_RGB = 0;

// GetObject of a bitmap: width, height, planes and bits per pixel; false for no bitmap.
bool GetObject(const Bitmap* bitmap, BITMAP& out);

// GetDIBits for a bitmap in the display's format. With bits null it completes header (bit count
// 24 unless set, image size, compression BI_RGB) and returns the number of rows; otherwise it
// also writes the rows, bottom row first, into bits (header.biSizeImage bytes) and returns the
// rows written. Bit counts other than 24 and 32 give 0.
int GetDIBits(const Bitmap& bitmap, BITMAPINFOHEADER& header, std::uint8_t* bits);

}  // namespace gdi
