// BmpFile.cpp: the packed device-independent bitmap of a drawn picture, and the .bmp file that
// holds it.
#include "BmpFile.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DibBits.h"
#include "platform/win/AtomicFile.h"

#include <new>

namespace {
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

void putU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void putU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t getU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint32_t colorTableEntries(std::uint16_t bitCount) { return bitCount <= 8 ? 1u << bitCount : 0u; }

void storeInfoHeader(const gdi::BITMAPINFOHEADER& h, std::uint8_t* p) {
    putU32(p, h.biSize);
    putU32(p + 4, static_cast<std::uint32_t>(h.biWidth));
    putU32(p + 8, static_cast<std::uint32_t>(h.biHeight));
    putU16(p + 12, h.biPlanes);
    putU16(p + 14, h.biBitCount);
    putU32(p + 16, h.biCompression);
    putU32(p + 20, h.biSizeImage);
    putU32(p + 24, static_cast<std::uint32_t>(h.biXPelsPerMeter));
    putU32(p + 28, static_cast<std::uint32_t>(h.biYPelsPerMeter));
    putU32(p + 32, h.biClrUsed);
    putU32(p + 36, h.biClrImportant);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> bitmapToPackedDib(const gdi::Bitmap& bitmap) {
    gdi::BITMAP description;
    if (!gdi::GetObject(&bitmap, description)) return std::nullopt;
    gdi::BITMAPINFOHEADER header;
    header.biWidth = description.bmWidth;
    header.biHeight = description.bmHeight;
    header.biBitCount = static_cast<std::uint16_t>(description.bmPlanes * description.bmBitsPixel);
    const std::uint32_t entries = colorTableEntries(header.biBitCount);
    if (gdi::GetDIBits(bitmap, header, nullptr) == 0) return std::nullopt;
    if (header.biSizeImage == 0)
        header.biSizeImage = static_cast<std::uint32_t>(
            (std::size_t(header.biWidth) * header.biBitCount + 31) / 32 * 4 * std::size_t(header.biHeight));
    const std::size_t rowsAt = kInfoHeaderSize + 4 * std::size_t(entries);
    std::vector<std::uint8_t> block;
    try {
        block.assign(rowsAt + header.biSizeImage, 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (gdi::GetDIBits(bitmap, header, block.data() + rowsAt) == 0) return std::nullopt;
    storeInfoHeader(header, block.data());
    return block;
}

bool writeBmpFile(const std::string& path, std::span<const std::uint8_t> block, bool overwrite) {
    if (block.size() < kInfoHeaderSize) return false;
    const std::uint32_t headerSize = getU32(block.data());
    const std::uint16_t bitCount = static_cast<std::uint16_t>(block[14] | block[15] << 8);
    std::uint8_t fileHeader[kFileHeaderSize] = {'B', 'M'};
    putU32(fileHeader + 2, static_cast<std::uint32_t>(kFileHeaderSize + block.size()));
    putU32(fileHeader + 10, static_cast<std::uint32_t>(kFileHeaderSize + headerSize + 4 * colorTableEntries(bitCount)));

    return win::writeFileAtomically(path, {fileHeader, block}, overwrite);
}
