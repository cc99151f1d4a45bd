// PictureEncoder.h: a .bmp file turned into a picture record within a handheld's limits, at 8 bits
// (indices into SystemPalette8) or 16 bits (5-6-5 colour), plain or run-length compressed.
#pragma once

#include "DeviceFormat.h"
#include "platform/gdi/Colorref.h"

#include <cstdint>
#include <string>
#include <vector>

// Why a picture was refused.
enum class EncodeRefusal {
    None,
    CannotLoad,    // not a .bmp file the loader reads
    TooWide,       // wider than maxWidth
    TooTall,       // taller than maxHeight
    RawTooLarge,   // more pixel data than maxRawSize
    NoPixels,      // nothing left after cutting to even dimensions (a picture one pixel high)
};

// Sets record to the picture record of the .bmp at bmpPath and length to its size, or record to
// empty and length to 0 when the picture is refused (why, when given, says which limit). A format
// with compression goes to buildCompressedPictureRecord.
void buildPictureRecord(const std::string& bmpPath, const DeviceFormat& format, std::vector<std::uint8_t>& record,
                        std::uint32_t& length, EncodeRefusal* why = nullptr);
// The same, always as a compressed version-2 record.
void buildCompressedPictureRecord(const std::string& bmpPath, const DeviceFormat& format,
                                  std::vector<std::uint8_t>& record, std::uint32_t& length,
                                  EncodeRefusal* why = nullptr);

// The pixel value of a colour: at depth 8 the index of the colour cube's cell (colours darker than
// 43 in all three channels take 255, black); at depth 16 the 5-6-5 word, to be stored big-endian.
std::uint16_t colorToIndex(gdi::COLORREF color, int depth);

// The padded length of one record row: a multiple of four bytes.
inline std::size_t recordRowBytes(int width, int depth) {
    return ((std::size_t(width) * std::size_t(depth) + 7) / 8 + 3) / 4 * 4;
}
