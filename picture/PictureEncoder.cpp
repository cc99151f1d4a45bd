// PictureEncoder.cpp
#include "PictureEncoder.h"

#include "PictureRecord.h"
#include "RunLength.h"
#include "platform/gdi/BmpLoader.h"
#include "platform/gdi/DibBits.h"
#include "platform/gdi/MemoryDC.h"

#include <array>
#include <optional>

namespace {
constexpr std::uint8_t kBlackIndex = 255;

// 5 - channel / 43: the cell of a channel value, counted from the bright end.
constexpr std::array<std::uint8_t, 256> makeCellTable() {
    std::array<std::uint8_t, 256> t{};
    for (int v = 0; v < 256; ++v) t[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(5 - v / 43);
    return t;
}
constexpr auto kCell = makeCellTable();

// A loaded picture cut to the handheld's needs, ready to be read pixel by pixel.
struct Prepared {
    std::unique_ptr<gdi::Bitmap> picture;
    int width = 0;
    int height = 0;
    int depth = 8;
    std::size_t rowBytes = 0;
};

std::optional<Prepared> prepare(const std::string& path, const DeviceFormat& format, EncodeRefusal& why) {
    Prepared p;
    p.picture = gdi::LoadImage(path);
    gdi::BITMAP description;
    if (!p.picture || !gdi::GetObject(p.picture.get(), description) || description.bmBitsPixel <= 0) {
        why = EncodeRefusal::CannotLoad;
        return std::nullopt;
    }
    gdi::MemoryDC dc;
    dc.SelectObject(p.picture.get());
    gdi::RECT box;
    dc.GetClipBox(box);
    if (format.density == 144 || format.density == 626) {
        if ((box.right - box.left) % 2 != 0) --box.right;
        if ((box.bottom - box.top) % 2 != 0) --box.bottom;
    }
    p.width = box.right - box.left;
    p.height = box.bottom - box.top;
    // A record without rows would leave the handheld dividing by a height of 0.
    if (p.width <= 0 || p.height <= 0) {
        why = EncodeRefusal::NoPixels;
        return std::nullopt;
    }
    if (p.width > format.maxWidth) {
        why = EncodeRefusal::TooWide;
        return std::nullopt;
    }
    if (p.height > format.maxHeight) {
        why = EncodeRefusal::TooTall;
        return std::nullopt;
    }
    p.depth = description.bmBitsPixel > 8 ? 16 : 8;
    if (format.depth <= 8) p.depth = 8;
    p.rowBytes = recordRowBytes(p.width, p.depth);
    if (std::uint64_t(p.height) * p.rowBytes > format.maxRawSize) {
        why = EncodeRefusal::RawTooLarge;
        return std::nullopt;
    }
    return p;
}

// The pixel rows of the record, y = 0 the top row, read straight from the loaded picture's
// rows (plain memory) with the same colours GetPixel gives.
void fillPixels(const Prepared& p, std::uint8_t* out) {
    for (int y = 0; y < p.height; ++y) {
        const std::uint8_t* from = p.picture->Row(y);
        std::uint8_t* row = out + std::size_t(y) * p.rowBytes;
        for (int x = 0; x < p.width; ++x, from += 3) {
            const std::uint16_t value = colorToIndex(gdi::RGB(from[2], from[1], from[0]), p.depth);
            if (p.depth == 8) {
                row[x] = static_cast<std::uint8_t>(value);
            } else {
                row[2 * x] = static_cast<std::uint8_t>(value >> 8);
                row[2 * x + 1] = static_cast<std::uint8_t>(value);
            }
        }
    }
}

// Both builds begin alike: no record yet, then the picture loaded and checked against the limits.
std::optional<Prepared> start(const std::string& path, const DeviceFormat& format, std::vector<std::uint8_t>& record,
                              std::uint32_t& length, EncodeRefusal* why) {
    record.clear();
    length = 0;
    EncodeRefusal refusal = EncodeRefusal::None;
    auto prepared = prepare(path, format, refusal);
    if (why) *why = refusal;
    return prepared;
}

PictureRecord headerFor(const Prepared& p, const DeviceFormat& format, bool version2) {
    PictureRecord h;
    h.headerSize = static_cast<std::uint8_t>(version2 ? PictureRecord::kVersion2HeaderSize : PictureRecord::kVersion1HeaderSize);
    h.version = version2 ? 2 : 1;
    h.width = static_cast<std::int16_t>(p.width);
    h.height = static_cast<std::int16_t>(p.height);
    h.depth = static_cast<std::uint8_t>(p.depth);
    h.densityLevel = densityLevelFor(format.density);
    h.density = format.density;
    return h;
}
}  // namespace

std::uint16_t colorToIndex(gdi::COLORREF color, int depth) {
    const std::uint8_t r = gdi::GetRValue(color), g = gdi::GetGValue(color), b = gdi::GetBValue(color);
    if (depth == 16) return static_cast<std::uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
    if (r < 43 && g < 43 && b < 43) return kBlackIndex;
    const int kR = kCell[r], kG = kCell[g], kB = kCell[b];
    return static_cast<std::uint16_t>(108 * (kB / 3) + 18 * kR + 6 * (kB % 3) + kG);
}

void buildPictureRecord(const std::string& bmpPath, const DeviceFormat& format, std::vector<std::uint8_t>& record,
                        std::uint32_t& length, EncodeRefusal* why) {
    if (format.compression != 0) {
        buildCompressedPictureRecord(bmpPath, format, record, length, why);
        return;
    }
    const auto prepared = start(bmpPath, format, record, length, why);
    if (!prepared) return;
    const std::size_t raw = std::size_t(prepared->height) * prepared->rowBytes;
    record.assign(PictureRecord::kVersion1HeaderSize + raw, 0);
    fillPixels(*prepared, record.data() + PictureRecord::kVersion1HeaderSize);
    writePictureHeader(headerFor(*prepared, format, false), record.data());
    length = static_cast<std::uint32_t>(record.size());
}

void buildCompressedPictureRecord(const std::string& bmpPath, const DeviceFormat& format,
                                  std::vector<std::uint8_t>& record, std::uint32_t& length, EncodeRefusal* why) {
    const auto prepared = start(bmpPath, format, record, length, why);
    if (!prepared) return;
    const std::size_t raw = std::size_t(prepared->height) * prepared->rowBytes;
    std::vector<std::uint8_t> pixels(raw, 0);
    fillPixels(*prepared, pixels.data());
    // The block grows with the compressed data, which may be longer than the raw data.
    record.assign(PictureRecord::kVersion2HeaderSize, 0);
    compressRunLength(pixels, prepared->depth == 16 ? 2 : 1, record);
    PictureRecord header = headerFor(*prepared, format, true);
    header.compressed = 1;
    header.rawSize = static_cast<std::uint32_t>(raw);
    writePictureHeader(header, record.data());
    length = static_cast<std::uint32_t>(record.size());
}
