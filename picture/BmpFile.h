// BmpFile.h: the packed device-independent bitmap of a drawn picture, and the .bmp file that
// holds it.
//
// .bmp file header (14 bytes, little-endian): 0 u16 "BM"; 2 u32 file size; 6 u16, 8 u16 reserved;
// 10 u32 offset of the pixel rows (14 + 40 + 4 x colour-table entries). The packed bitmap follows:
// a 40-byte information header, the colour table (bit counts of 8 or less), the rows bottom-up.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gdi {
class Bitmap;
}

// The packed bitmap (header, colour table, rows) of bitmap; none when it cannot be built.
std::optional<std::vector<std::uint8_t>> bitmapToPackedDib(const gdi::Bitmap& bitmap);

// Writes a .bmp file of packed bitmap block at path. With overwrite, an existing file is replaced;
// without, an existing file is left untouched and the result is false. The file appears only
// when complete: a failed write leaves no partial file and the old one, if any, as it was.
bool writeBmpFile(const std::string& path, std::span<const std::uint8_t> block, bool overwrite);
