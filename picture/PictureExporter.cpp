// PictureExporter.cpp: decoding picture records.
#include "PictureExporter.h"

#include "platform/gdi/BmpFile.h"
#include "Palettes.h"
#include "PictureRecord.h"
#include "RunLength.h"
#include "platform/gdi/Bitmap.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace {
// Bits of record data one pixel takes at depth; depths read as black take none.
int bitsReadPerPixel(int depth) {
    if (depth > 8) return 16;
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 ? depth : 0;
}

// Bytes a row must hold before the picture is drawn. Depths read as black need no data to draw,
// but their rows must still hold what they announce (at least a bit a pixel), so that a short
// record cannot make the decoder build a large picture out of nothing.
std::size_t bytesPerRow(int width, int depth) {
    const int bits = bitsReadPerPixel(depth) != 0 ? bitsReadPerPixel(depth) : std::max(depth, 1);
    return (std::size_t(width) * std::size_t(bits) + 7) / 8;
}

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
    // 16-bit rows are counted in whole words: with an odd rowBytes the next row begins
    // rowBytes div 2 words further on, and the odd byte is not part of the row.
    const std::size_t stride = depth > 8 ? rowBytes / 2 * 2 : rowBytes;
    if (stride < bytesPerRow(width, depth))
        return fail("rows of " + std::to_string(rowBytes) + " bytes cannot hold " + std::to_string(width) +
                    " pixels of depth " + std::to_string(depth));
    if (stride != 0 && pixels.size() / stride < std::size_t(height))
        return fail("the record is shorter than its pixel rows");
    // Every pixel is written below, so the bitmap is not whitened first.
    bitmap_ = gdi::Bitmap::CreateForOverwrite(width, height, gdi::kDisplayBitsPerPixel);
    if (!bitmap_) return fail("a picture of " + std::to_string(width) + " x " + std::to_string(height) + " is too large");

    // The bitmap is plain memory: each row is filled in place, three bytes (blue, green, red) a
    // pixel, exactly as setting its pixels one by one would.
    std::array<gdi::COLORREF, 256> colorOf{};
    if (depth <= 8)
        for (int v = 0; v < 256; ++v) colorOf[static_cast<std::size_t>(v)] = indexToColor(static_cast<std::uint8_t>(v), depth);
    const int bits = bitsReadPerPixel(depth);
    const auto put = [](std::uint8_t* p, gdi::COLORREF c) {
        p[0] = gdi::GetBValue(c);
        p[1] = gdi::GetGValue(c);
        p[2] = gdi::GetRValue(c);
    };
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels.data() + std::size_t(y) * stride;
        std::uint8_t* out = bitmap_->Row(y);
        if (depth > 8) {
            for (int x = 0; x < width; ++x, out += 3) put(out, rgb565BytesToColor(row[2 * x], row[2 * x + 1]));
        } else if (bits == 8) {
            for (int x = 0; x < width; ++x, out += 3) put(out, colorOf[row[x]]);
        } else if (bits == 0) {
            std::fill(out, out + 3 * std::size_t(width), std::uint8_t{0});
        } else {
            for (int x = 0; x < width; ++x, out += 3) {
                const std::size_t bit = std::size_t(bits) * std::size_t(x);
                put(out, colorOf[static_cast<std::uint8_t>(row[bit / 8] << (bit % 8))]);
            }
        }
    }
    return true;
}

bool PictureExporter::finish(const std::string& bmpPath, bool overwrite) {
    const auto block = gdi::bitmapToPackedDib(*bitmap_);
    bitmap_.reset();
    if (!block) return fail("the bitmap cannot be copied out");
    errno = 0;
    if (!gdi::writeBmpFile(bmpPath, *block, overwrite)) {
        const int error = errno;
        return fail(error != 0 ? std::string("the file cannot be written: ") + std::strerror(error)
                               : std::string("the file cannot be written"));
    }
    return true;
}

bool PictureExporter::exportPicture(const std::uint8_t* record, std::uint32_t size, const std::string& bmpPath,
                                    bool overwrite) {
    if (record == nullptr) return fail("no record");
    return decodePicture({record, size}) && finish(bmpPath, overwrite);
}

bool PictureExporter::exportVersion2Picture(std::span<const std::uint8_t> record, const std::string& bmpPath,
                                            bool overwrite) {
    return decodeVersion2(record) && finish(bmpPath, overwrite);
}

bool PictureExporter::decodePicture(std::span<const std::uint8_t> record) {
    const auto header = readPictureHeader(record);
    if (!header) return fail("the record is shorter than its header");
    if (header->IsVersion2()) return decodeVersion2(record);
    if (header->width <= 0 || header->height <= 0) return fail("the picture has no pixels");
    const auto pixels = record.subspan(PictureRecord::kVersion1HeaderSize);
    const std::size_t rowBytes = pixels.size() / std::size_t(header->height);
    return draw(pixels, header->width, header->height, header->depth, rowBytes);
}

bool PictureExporter::decodeVersion2(std::span<const std::uint8_t> record) {
    const auto header = readPictureHeader(record);
    if (!header || !header->IsVersion2()) return fail("the record is shorter than its header");
    if (header->width <= 0 || header->height <= 0) return fail("the picture has no pixels");
    const std::size_t rowBytes = header->rawSize / std::size_t(header->height);
    const auto stream = record.subspan(PictureRecord::kVersion2HeaderSize);
    if (header->compressed == 0) {
        if (stream.size() < header->rawSize) return fail("the record is shorter than its raw size");
        return draw(stream.first(header->rawSize), header->width, header->height, header->depth, rowBytes);
    }
    if (header->rawSize / kMaxExpansion > stream.size())
        return fail("a raw size of " + std::to_string(header->rawSize) + " bytes cannot come from " +
                    std::to_string(stream.size()) + " bytes of compressed data");
    const auto raw = expandRunLength(stream, header->rawSize, header->depth > 8 ? 2 : 1);
    if (!raw) return fail("the compressed data ends early or holds a count of 0 or -128");
    return draw(*raw, header->width, header->height, header->depth, rowBytes);
}
