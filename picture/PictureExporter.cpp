// PictureExporter.cpp: decoding picture records.
#include "PictureExporter.h"

#include "BmpFile.h"
#include "Palettes.h"
#include "PictureRecord.h"
#include "RunLength.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/MemoryDC.h"

#include <array>

namespace {
// Bits of record data one pixel takes at depth; depths read as black take none.
int bitsReadPerPixel(int depth) {
    if (depth > 8) return 16;
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 ? depth : 0;
}

std::size_t bytesPerRow(int width, int depth) { return (std::size_t(width) * bitsReadPerPixel(depth) + 7) / 8; }

// A compressed unit stands for at most 127 raw units, so no honest stream expands further.
constexpr std::size_t kMaxExpansion = 64;
}  // namespace

PictureExporter::PictureExporter() = default;
PictureExporter::~PictureExporter() = default;

bool PictureExporter::fail(std::string why) {
    failure_ = std::move(why);
    bitmap_.reset();
    return false;
}

bool PictureExporter::draw(std::span<const std::uint8_t> pixels, int width, int height, int depth,
                           std::size_t rowBytes) {
    if (rowBytes < bytesPerRow(width, depth))
        return fail("rows of " + std::to_string(rowBytes) + " bytes cannot hold " + std::to_string(width) +
                    " pixels of depth " + std::to_string(depth));
    if (rowBytes != 0 && pixels.size() / rowBytes < std::size_t(height))
        return fail("the record is shorter than its pixel rows");
    bitmap_ = gdi::CreateCompatibleBitmap(width, height);
    if (!bitmap_) return fail("a picture of " + std::to_string(width) + " x " + std::to_string(height) + " is too large");
    gdi::MemoryDC dc;
    gdi::Bitmap* previous = dc.SelectObject(bitmap_.get());

    // Indexed pixels go through a table of the 256 byte values at this depth.
    std::array<gdi::COLORREF, 256> colorOf{};
    if (depth <= 8)
        for (int v = 0; v < 256; ++v) colorOf[static_cast<std::size_t>(v)] = indexToColor(static_cast<std::uint8_t>(v), depth);
    const int bits = bitsReadPerPixel(depth);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels.data() + std::size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            gdi::COLORREF color;
            if (depth > 8) {
                color = rgb565BytesToColor(row[2 * x], row[2 * x + 1]);
            } else if (bits == 0) {
                color = gdi::RGB(0, 0, 0);
            } else {
                const std::size_t bit = std::size_t(bits) * std::size_t(x);
                color = colorOf[static_cast<std::uint8_t>(row[bit / 8] << (bit % 8))];
            }
            if (dc.SetPixel(x, y, color) == gdi::kInvalidColor) {
                dc.SelectObject(previous);
                return fail("a pixel cannot be set");
            }
        }
    }
    dc.SelectObject(previous);
    return true;
}

bool PictureExporter::finish(const std::string& bmpPath, bool overwrite) {
    const auto block = bitmapToPackedDib(*bitmap_);
    bitmap_.reset();
    if (!block) return fail("the bitmap cannot be copied out");
    if (!writeBmpFile(bmpPath, *block, overwrite)) return fail("the file " + bmpPath + " cannot be written");
    return true;
}

bool PictureExporter::exportPicture(const std::uint8_t* record, std::uint32_t size, const std::string& bmpPath,
                                    bool overwrite) {
    if (record == nullptr) return fail("no record");
    const std::span<const std::uint8_t> bytes(record, size);
    const auto header = readPictureHeader(bytes);
    if (!header) return fail("the record is shorter than its header");
    if (header->IsVersion2()) return exportVersion2Picture(bytes, bmpPath, overwrite);
    if (header->width <= 0 || header->height <= 0) return fail("the picture has no pixels");
    const auto pixels = bytes.subspan(PictureRecord::kVersion1HeaderSize);
    const std::size_t rowBytes = pixels.size() / std::size_t(header->height);
    if (!draw(pixels, header->width, header->height, header->depth, rowBytes)) return false;
    return finish(bmpPath, overwrite);
}

bool PictureExporter::exportVersion2Picture(std::span<const std::uint8_t> record, const std::string& bmpPath,
                                            bool overwrite) {
    const auto header = readPictureHeader(record);
    if (!header || !header->IsVersion2()) return fail("the record is shorter than its header");
    if (header->width <= 0 || header->height <= 0) return fail("the picture has no pixels");
    const std::size_t rowBytes = header->rawSize / std::size_t(header->height);
    const auto stream = record.subspan(PictureRecord::kVersion2HeaderSize);
    if (header->compressed == 0) {
        if (stream.size() < header->rawSize) return fail("the record is shorter than its raw size");
        if (!draw(stream.first(header->rawSize), header->width, header->height, header->depth, rowBytes)) return false;
        return finish(bmpPath, overwrite);
    }
    if (header->rawSize / kMaxExpansion > stream.size())
        return fail("a raw size of " + std::to_string(header->rawSize) + " bytes cannot come from " +
                    std::to_string(stream.size()) + " bytes of compressed data");
    const auto raw = expandRunLength(stream, header->rawSize, header->depth > 8 ? 2 : 1);
    if (!raw) return fail("the compressed data ends early or holds a count of 0 or -128");
    if (!draw(*raw, header->width, header->height, header->depth, rowBytes)) return false;
    return finish(bmpPath, overwrite);
}
