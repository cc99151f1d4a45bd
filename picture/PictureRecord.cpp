// PictureRecord.cpp: the paint application's picture record, a header and pixel rows.
#include "PictureRecord.h"

#include "platform/bytes/ByteOrder.h"
#include "platform/bytes/ByteWriter.h"

std::optional<PictureRecord> readPictureHeader(std::span<const std::uint8_t> record) {
    if (record.size() < PictureRecord::kVersion1HeaderSize) return std::nullopt;
    PictureRecord h;
    const std::uint8_t* p = record.data();
    h.headerSize = p[0];
    h.version = p[1];
    h.width = static_cast<std::int16_t>(bytes::loadU16BE(p + 2));
    h.height = static_cast<std::int16_t>(bytes::loadU16BE(p + 4));
    h.depth = p[6];
    h.densityLevel = p[7];
    h.density = bytes::loadU16BE(p + 8);
    if (h.IsVersion2()) {
        if (record.size() < PictureRecord::kVersion2HeaderSize) return std::nullopt;
        h.compressed = static_cast<std::int16_t>(bytes::loadU16BE(p + 10));
        h.rawSize = bytes::loadU32BE(p + 12);
    }
    return h;
}

void writePictureHeader(const PictureRecord& h, std::uint8_t* p) {
    bytes::ByteWriter w({p, h.PixelOffset()});
    w.writeU8(h.headerSize);
    w.writeU8(h.version);
    w.writeI16(h.width);
    w.writeI16(h.height);
    w.writeU8(h.depth);
    w.writeU8(h.densityLevel);
    w.writeU16(h.density);
    if (h.IsVersion2()) {
        w.writeI16(h.compressed);
        w.writeU32(h.rawSize);
        w.writeZeros(16);
    }
}
