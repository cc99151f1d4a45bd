// PictureDatabase.h: a picture as the handheld keeps it: a database of its own, creator DrAw and
// type bpmf (uncompressed) or bpmc (compressed), whose application info block holds
//   offset  size  meaning
//   0       2     tag 12, big-endian
//   2       4     the picture record's length in bytes, big-endian
// and whose records are the PictureRecord cut into pieces of 4096 bytes (the last one shorter).
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::uint32_t kCreatorDrAw = 0x44724177;  // 'DrAw'
inline constexpr std::uint32_t kTypeBpmf = 0x62706D66;     // 'bpmf'
inline constexpr std::uint32_t kTypeBpmc = 0x62706D63;     // 'bpmc'
inline constexpr std::uint16_t kPictureTag = 12;
inline constexpr std::size_t kPictureInfoSize = 6;
inline constexpr std::size_t kPictureChunk = 4096;

inline bool IsPictureDatabase(std::uint32_t type, std::uint32_t creator) {
    return creator == kCreatorDrAw && (type == kTypeBpmf || type == kTypeBpmc);
}
