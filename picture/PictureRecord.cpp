// PictureRecord.cpp: the paint application's picture record, a header and pixel rows.
#include "PictureRecord.h"

#include "SwapBytes.h"

#include <cstring>

namespace {
template <typename T>
T readBigEndian(const std::uint8_t* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    swapBytes(value);
    return value;
}
template <typename T>
void writeBigEndian(std::uint8_t* p, T value) {
    swapBytes(value);
    std::memcpy(p, &value, sizeof value);
}
}  // namespace

std::optional<PictureRecord> readPictureHeader(std::span<const std::uint8_t> record) {
    if (record.size() < PictureRecord::kVersion1HeaderSize) return std::nullopt;
    PictureRecord h;
    const std::uint8_t* p = record.data();
    h.headerSize = p[0];
    h.version = p[1];
    h.width = readBigEndian<std::int16_t>(p + 2);
    h.height = readBigEndian<std::int16_t>(p + 4);
    h.depth = p[6];
    h.densityLevel = p[7];
    h.density = readBigEndian<std::uint16_t>(p + 8);
    if (h.IsVersion2()) {
        if (record.size() < PictureRecord::kVersion2HeaderSize) return std::nullopt;
        h.compressed = readBigEndian<std::int16_t>(p + 10);
        h.rawSize = readBigEndian<std::uint32_t>(p + 12);
    }
    return h;
}

void writePictureHeader(const PictureRecord& h, std::uint8_t* p) {
    p[0] = h.headerSize;
    p[1] = h.version;
    writeBigEndian(p + 2, h.width);
    writeBigEndian(p + 4, h.height);
    p[6] = h.depth;
    p[7] = h.densityLevel;
    writeBigEndian(p + 8, h.density);
    if (h.IsVersion2()) {
        writeBigEndian(p + 10, h.compressed);
        writeBigEndian(p + 12, h.rawSize);
        std::memset(p + 16, 0, 16);
    }
}
