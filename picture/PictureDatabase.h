// PictureDatabase.h: a picture as the handheld keeps it: a database of its own, creator DrAw and
// type bpmf (uncompressed) or bpmc (compressed), whose application info block holds
//   offset  size  meaning
//   0       2     tag 12, big-endian
//   2       4     the picture record's length in bytes, big-endian
// and whose records are the PictureRecord cut into pieces of 4096 bytes (the last one shorter).
// Every reader and writer of such a database goes through the functions below, whatever holds
// the database (a file, the Sync API).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

inline constexpr std::uint32_t kCreatorDrAw = 0x44724177;  // 'DrAw'
inline constexpr std::uint32_t kTypeBpmf = 0x62706D66;     // 'bpmf'
inline constexpr std::uint32_t kTypeBpmc = 0x62706D63;     // 'bpmc'
inline constexpr std::uint16_t kPictureTag = 12;
inline constexpr std::size_t kPictureInfoSize = 6;
inline constexpr std::size_t kPictureChunk = 4096;

inline bool IsPictureDatabase(std::uint32_t type, std::uint32_t creator) {
    return creator == kCreatorDrAw && (type == kTypeBpmf || type == kTypeBpmc);
}

// The fields of an application info block.
struct PictureInfo {
    std::uint16_t tag = kPictureTag;
    std::uint32_t length = 0;  // announced, not trusted: the records bound what is read
};

// The info block's fields; none when block is shorter than kPictureInfoSize. Bytes past them are
// ignored.
std::optional<PictureInfo> readPictureInfo(std::span<const std::uint8_t> block);

// The info block of a picture record of length bytes.
std::array<std::uint8_t, kPictureInfoSize> pictureInfoBlock(std::uint32_t length);

// How many bytes of a picture of length bytes the record that starts at offset carries.
inline std::size_t pictureChunkAt(std::size_t length, std::size_t offset) {
    return offset >= length ? 0 : (length - offset < kPictureChunk ? length - offset : kPictureChunk);
}

// The picture joined from its records. record(index, wanted) gives record index, of which the
// picture takes at most wanted bytes (the chunk that record should carry), or none when it cannot
// be had (the source has said why). Records are asked for in order until length bytes have
// arrived or recordCount records were asked for; a longer record adds only what is left, so the
// result never exceeds length and the buffer grows only with what really arrives.
struct JoinedPicture {
    enum class Outcome { Complete, RecordFailed, RecordsRanOut };
    Outcome outcome = Outcome::Complete;
    std::vector<std::uint8_t> bytes;  // exactly length when Complete; what arrived otherwise
};
using PictureRecordSource =
    std::function<std::optional<std::span<const std::uint8_t>>(std::uint32_t index, std::size_t wanted)>;
JoinedPicture joinPictureRecords(std::uint32_t length, std::uint32_t recordCount, const PictureRecordSource& record);
