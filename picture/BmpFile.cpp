// BmpFile.cpp: the packed device-independent bitmap of a drawn picture, and the .bmp file that
// holds it.
#include "BmpFile.h"

#include "platform/bytes/ByteOrder.h"
#include "platform/bytes/ByteWriter.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DibBits.h"
#include "platform/win/AtomicFile.h"

#include <new>

namespace {
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

std::uint32_t colorTableEntries(std::uint16_t bitCount) { return bitCount <= 8 ? 1u << bitCount : 0u; }

void storeInfoHeader(const gdi::BITMAPINFOHEADER& h, std::span<std::uint8_t> out) {
    bytes::ByteWriter w(out, std::endian::little);
    w.writeU32(h.biSize);
    w.writeU32(static_cast<std::uint32_t>(h.biWidth));
    w.writeU32(static_cast<std::uint32_t>(h.biHeight));
    w.writeU16(h.biPlanes);
    w.writeU16(h.biBitCount);
    w.writeU32(h.biCompression);
    w.writeU32(h.biSizeImage);
    w.writeU32(static_cast<std::uint32_t>(h.biXPelsPerMeter));
    w.writeU32(static_cast<std::uint32_t>(h.biYPelsPerMeter));
    w.writeU32(h.biClrUsed);
    w.writeU32(h.biClrImportant);
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
    storeInfoHeader(header, block);
    return block;
}

bool writeBmpFile(const std::string& path, std::span<const std::uint8_t> block, bool overwrite) {
    if (block.size() < kInfoHeaderSize) return false;
    const std::uint32_t headerSize = bytes::loadU32LE(block.data());
    const std::uint16_t bitCount = bytes::loadU16LE(block.data() + 14);
    std::uint8_t fileHeader[kFileHeaderSize];
    bytes::ByteWriter w(fileHeader, std::endian::little);
    w.writeText("BM");
    w.writeU32(static_cast<std::uint32_t>(kFileHeaderSize + block.size()));
    w.writeU32(0);  // two reserved words
    w.writeU32(static_cast<std::uint32_t>(kFileHeaderSize + headerSize + 4 * colorTableEntries(bitCount)));

    return win::writeFileAtomically(path, {fileHeader, block}, overwrite);
}
