// PictureRecord.h: the paint application's picture record, a header and pixel rows.
//
// Version 1 (10-byte header, pixels at 10)   Version 2 (32-byte header, pixels at 32)
//   0 u8  headerSize (10)                      0 u8  headerSize (32)
//   1 u8  version (1)                          1 u8  version (2)
//   2 s16 width                                2 s16 width
//   4 s16 height                               4 s16 height
//   6 u8  depth (1, 2, 4, 8, 16)               6 u8  depth
//   7 u8  densityLevel (3 at 144, else 2)      7 u8  densityLevel
//   8 u16 density                              8 u16 density
//                                             10 s16 compressed (non-zero: run-length coded)
//                                             12 u32 rawSize (height x rowBytes)
//                                             16 16  reserved, zero
// Multi-byte fields are big-endian. Rows run top to bottom; pixels fill each byte from its most
// significant bit; 16-bit pixels are big-endian 5-6-5 words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

struct PictureRecord {
    static constexpr std::size_t kVersion1HeaderSize = 10;
    static constexpr std::size_t kVersion2HeaderSize = 32;

    std::uint8_t headerSize = 0;
    std::uint8_t version = 0;
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::uint8_t depth = 0;
    std::uint8_t densityLevel = 0;
    std::uint16_t density = 0;
    // Version 2 only.
    std::int16_t compressed = 0;
    std::uint32_t rawSize = 0;

    // Every version other than 2 is read as version 1.
    bool IsVersion2() const { return version == 2; }
    std::size_t PixelOffset() const { return IsVersion2() ? kVersion2HeaderSize : kVersion1HeaderSize; }
};

// The header fields of record; none when the record is shorter than its header.
std::optional<PictureRecord> readPictureHeader(std::span<const std::uint8_t> record);

// Writes header into the first 10 or 32 bytes of out (by its version), big-endian.
void writePictureHeader(const PictureRecord& header, std::uint8_t* out);

// The density level written for a density: 3 for 144, otherwise 2.
inline std::uint8_t densityLevelFor(std::uint16_t density) { return density == 144 ? 3 : 2; }
