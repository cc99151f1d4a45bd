// BmpBuilder.cpp: hand-made .bmp files for tests, one header field at a time.
#include "BmpBuilder.h"

namespace {
void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
}  // namespace

std::vector<std::uint8_t> buildBmp(const BmpLayout& s) {
    std::vector<std::uint8_t> info;
    put32(info, s.headerSize);
    if (s.headerSize == 12) {
        put16(info, static_cast<std::uint32_t>(s.width));
        put16(info, static_cast<std::uint32_t>(s.height));
        put16(info, 1);
        put16(info, s.bitCount);
    } else {
        put32(info, static_cast<std::uint32_t>(s.width));
        put32(info, static_cast<std::uint32_t>(s.height));
        put16(info, 1);
        put16(info, s.bitCount);
        put32(info, s.compression);
        put32(info, static_cast<std::uint32_t>(s.pixels.size()));
        put32(info, 2835);
        put32(info, 2835);
        put32(info, s.colorsUsed);
        put32(info, 0);
        if (s.headerSize > 40) {
            for (std::size_t i = 0; i < 4; ++i) put32(info, i < s.masks.size() ? s.masks[i] : 0);
            while (info.size() < s.headerSize) info.push_back(0);
        } else {
            for (const auto m : s.masks) put32(info, m);
        }
    }
    info.insert(info.end(), s.palette.begin(), s.palette.end());
    std::vector<std::uint8_t> file{'B', 'M'};
    put32(file, static_cast<std::uint32_t>(14 + info.size() + s.pixels.size()));
    put32(file, 0);
    put32(file, static_cast<std::uint32_t>(14 + info.size()));
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), s.pixels.begin(), s.pixels.end());
    return file;
}
