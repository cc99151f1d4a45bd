// BmpBuilder.cpp: hand-made .bmp files for tests, one header field at a time.
#include "BmpBuilder.h"

#include "platform/bytes/ByteWriter.h"

std::vector<std::uint8_t> buildBmp(const BmpLayout& s) {
    std::vector<std::uint8_t> info;
    bytes::ByteWriter h(info, std::endian::little);
    h.writeU32(s.headerSize);
    if (s.headerSize == 12) {
        h.writeU16(static_cast<std::uint16_t>(s.width));
        h.writeU16(static_cast<std::uint16_t>(s.height));
        h.writeU16(1);
        h.writeU16(s.bitCount);
    } else {
        h.writeI32(s.width);
        h.writeI32(s.height);
        h.writeU16(1);
        h.writeU16(s.bitCount);
        h.writeU32(s.compression);
        h.writeU32(static_cast<std::uint32_t>(s.pixels.size()));
        h.writeU32(2835);
        h.writeU32(2835);
        h.writeU32(s.colorsUsed);
        h.writeU32(0);
        if (s.headerSize > 40) {
            for (std::size_t i = 0; i < 4; ++i) h.writeU32(i < s.masks.size() ? s.masks[i] : 0);
            if (info.size() < s.headerSize) h.writeZeros(s.headerSize - info.size());
        } else {
            for (const auto m : s.masks) h.writeU32(m);
        }
    }
    h.writeBytes(s.palette);
    std::vector<std::uint8_t> file;
    bytes::ByteWriter f(file, std::endian::little);
    f.writeText("BM");
    f.writeU32(static_cast<std::uint32_t>(14 + info.size() + s.pixels.size()));
    f.writeU32(0);
    f.writeU32(static_cast<std::uint32_t>(14 + info.size()));
    f.writeBytes(info);
    f.writeBytes(s.pixels);
    return file;
}
