// PictureEncoder.cpp
#include "PictureEncoder.h"

#include "PictureRecord.h"
#include "RunLength.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/gdi/BmpFile.h"
#include "platform/win/WholeFile.h"

#include <algorithm>
#include <array>
#include <memory>
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

// A picture opened and cut to the handheld's needs, its rows still to be read.
struct Prepared {
    std::unique_ptr<gdi::BmpRowReader> picture;
    int width = 0;
    int height = 0;
    int depth = 8;
    std::size_t rowBytes = 0;
};

// The refusal for a picture of width x height pixels (cut already) coded at depth, or None when
// it fits the handheld.
EncodeRefusal limitRefusal(int width, int height, int depth, const DeviceFormat& format) {
    // A record without rows would leave the handheld dividing by a height of 0.
    if (width <= 0 || height <= 0) return EncodeRefusal::NoPixels;
    if (width > format.maxWidth) return EncodeRefusal::TooWide;
    if (height > format.maxHeight) return EncodeRefusal::TooTall;
    if (std::uint64_t(height) * recordRowBytes(width, depth) > format.maxRawSize) return EncodeRefusal::RawTooLarge;
    return EncodeRefusal::None;
}

// Densities 144 and 626 take pictures of even dimensions only.
int cutForDensity(int side, const DeviceFormat& format) {
    return (format.density == 144 || format.density == 626) && side % 2 != 0 ? side - 1 : side;
}

// A file the loader refuses may still state a size past the handheld's limits (the loader keeps
// limits of its own, below many a camera's pictures): then that limit is the refusal, as no
// reading of the file would make the picture fit. 8 bits is the least any picture takes.
EncodeRefusal refusalOfUnread(const std::string& path, const DeviceFormat& format) {
    const auto start = win::ReadFileStart(path, gdi::kBmpSizeBytes);
    const auto size = start ? gdi::StatedBmpSize(*start) : std::nullopt;
    if (!size) return EncodeRefusal::CannotLoad;
    const EncodeRefusal why =
        limitRefusal(cutForDensity(size->width, format), cutForDensity(size->height, format), 8, format);
    return why == EncodeRefusal::None || why == EncodeRefusal::NoPixels ? EncodeRefusal::CannotLoad : why;
}

std::optional<Prepared> prepare(const std::string& path, const DeviceFormat& format, EncodeRefusal& why) {
    Prepared p;
    p.picture = gdi::BmpRowReader::Open(path);
    if (!p.picture || p.picture->BitsPerPixel() <= 0) {
        why = refusalOfUnread(path, format);
        return std::nullopt;
    }
    p.width = cutForDensity(p.picture->Width(), format);
    p.height = cutForDensity(p.picture->Height(), format);
    p.depth = p.picture->BitsPerPixel() > 8 ? 16 : 8;
    if (format.depth <= 8) p.depth = 8;
    why = limitRefusal(p.width, p.height, p.depth, format);
    if (why != EncodeRefusal::None) return std::nullopt;
    p.rowBytes = recordRowBytes(p.width, p.depth);
    return p;
}

// The 5-6-5 word of a colour.
inline std::uint16_t word565(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<std::uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

// One row of blue-green-red triples as record pixels: 5-6-5 words, high byte first, or indexes
// of the 8-bit palette.
void codeRow(const std::uint8_t* bgr, int width, int depth, std::uint8_t* row) {
    if (depth == 16) {
        // The word is made here rather than through colorToIndex, which the compiler does not
        // inline: this loop is most of the cost of sending a picture.
        for (int x = 0; x < width; ++x, bgr += 3) bytes::storeU16BE(row + 2 * x, word565(bgr[2], bgr[1], bgr[0]));
        return;
    }
    for (int x = 0; x < width; ++x, bgr += 3)
        row[x] = static_cast<std::uint8_t>(colorToIndex(gdi::RGB(bgr[2], bgr[1], bgr[0]), 8));
}

// The pixel rows of the record, y = 0 the top row, coded a row at a time as they are read and
// handed to take(row), which may move row on. False when a row cannot be read: the picture does not load after all.
template <typename Take>
bool forEachRow(const Prepared& p, std::uint8_t* row, Take take) {
    std::unique_ptr<std::uint8_t[]> bgr(new std::uint8_t[3 * std::size_t(p.picture->Width())]);
    for (int y = 0; y < p.height; ++y) {
        const std::uint8_t* triples = p.picture->Row(y, bgr.get());
        if (triples == nullptr) return false;
        codeRow(triples, p.width, p.depth, row);
        // The padding of a row is kept 0.
        std::fill(row + std::size_t(p.width) * std::size_t(p.depth / 8), row + p.rowBytes, std::uint8_t{0});
        take(row);
    }
    return true;
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
    if (depth == 16) return word565(r, g, b);
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
    record.resize(PictureRecord::kVersion1HeaderSize + raw);
    std::uint8_t* row = record.data() + PictureRecord::kVersion1HeaderSize;
    if (!forEachRow(*prepared, row, [&](std::uint8_t*& at) { at += prepared->rowBytes; })) {
        record.clear();
        if (why) *why = EncodeRefusal::CannotLoad;
        return;
    }
    writePictureHeader(headerFor(*prepared, format, false), record.data());
    length = static_cast<std::uint32_t>(record.size());
}

void buildCompressedPictureRecord(const std::string& bmpPath, const DeviceFormat& format,
                                  std::vector<std::uint8_t>& record, std::uint32_t& length, EncodeRefusal* why) {
    const auto prepared = start(bmpPath, format, record, length, why);
    if (!prepared) return;
    const std::size_t raw = std::size_t(prepared->height) * prepared->rowBytes;
    // The block grows with the compressed data, which may be longer than the raw data. The rows
    // are compressed as they are coded, so the raw pixels are never held whole.
    record.assign(PictureRecord::kVersion2HeaderSize, 0);
    const int unitSize = prepared->depth == 16 ? 2 : 1;
    record.reserve(PictureRecord::kVersion2HeaderSize + maxCompressedSize(raw, unitSize));
    RunLengthEncoder encoder(unitSize, record);
    std::vector<std::uint8_t> row(prepared->rowBytes);
    if (!forEachRow(*prepared, row.data(), [&](std::uint8_t*& at) { encoder.Append({at, prepared->rowBytes}); })) {
        record.clear();
        if (why) *why = EncodeRefusal::CannotLoad;
        return;
    }
    encoder.Finish();
    PictureRecord header = headerFor(*prepared, format, true);
    header.compressed = 1;
    header.rawSize = static_cast<std::uint32_t>(raw);
    writePictureHeader(header, record.data());
    length = static_cast<std::uint32_t>(record.size());
}
