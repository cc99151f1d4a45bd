// DibBits.cpp: describing a bitmap and copying it out as a device-independent bitmap.
#include "DibBits.h"

#include <cstring>

namespace gdi {

bool GetObject(const Bitmap* bitmap, BITMAP& out) {
    if (bitmap == nullptr) return false;
    out.bmType = 0;
    out.bmWidth = bitmap->Width();
    out.bmHeight = bitmap->Height();
    out.bmWidthBytes = static_cast<std::int32_t>((std::size_t(bitmap->Width()) * bitmap->BitsPerPixel() + 15) / 16 * 2);
    out.bmPlanes = 1;
    out.bmBitsPixel = static_cast<std::uint16_t>(bitmap->BitsPerPixel());
    return true;
}

int GetDIBits(const Bitmap& bitmap, BITMAPINFOHEADER& header, std::uint8_t* bits) {
    if (header.biBitCount == 0) header.biBitCount = 24;
    if (header.biBitCount != 24 && header.biBitCount != 32) return 0;
    header.biWidth = bitmap.Width();
    header.biHeight = bitmap.Height();
    header.biPlanes = 1;
    header.biCompression = BI_RGB;
    const std::size_t stride = (std::size_t(bitmap.Width()) * header.biBitCount + 31) / 32 * 4;
    header.biSizeImage = static_cast<std::uint32_t>(stride * std::size_t(bitmap.Height()));
    if (bits == nullptr) return bitmap.Height();
    for (int row = 0; row < bitmap.Height(); ++row) {
        const std::uint8_t* from = bitmap.Bits().data() + std::size_t(row) * bitmap.Stride();
        std::uint8_t* to = bits + std::size_t(row) * stride;
        if (header.biBitCount == 24) {
            std::memcpy(to, from, bitmap.Stride());
        } else {
            for (int x = 0; x < bitmap.Width(); ++x, from += 3, to += 4) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
                to[3] = 0;
            }
        }
    }
    return bitmap.Height();
}

}  // namespace gdi
