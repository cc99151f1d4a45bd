// PictureDatabase.cpp: the info block and the records of a picture database.
#include "PictureDatabase.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <algorithm>

std::optional<PictureInfo> readPictureInfo(std::span<const std::uint8_t> block) {
    bytes::ByteReader r(block);
    const auto tag = r.readU16();
    const auto length = r.readU32();
    if (!tag || !length) return std::nullopt;
    return PictureInfo{*tag, *length};
}

std::array<std::uint8_t, kPictureInfoSize> pictureInfoBlock(std::uint32_t length) {
    std::array<std::uint8_t, kPictureInfoSize> block{};
    bytes::ByteWriter w(block);
    w.writeU16(kPictureTag);
    w.writeU32(length);
    return block;
}

JoinedPicture joinPictureRecords(std::uint32_t length, std::uint32_t recordCount, const PictureRecordSource& record) {
    JoinedPicture joined;
    for (std::uint32_t index = 0; joined.bytes.size() < length; ++index) {
        if (index >= recordCount) {
            joined.outcome = JoinedPicture::Outcome::RecordsRanOut;
            return joined;
        }
        const auto piece = record(index, pictureChunkAt(length, joined.bytes.size()));
        if (!piece) {
            joined.outcome = JoinedPicture::Outcome::RecordFailed;
            return joined;
        }
        const std::size_t take = std::min<std::size_t>(piece->size(), length - joined.bytes.size());
        joined.bytes.insert(joined.bytes.end(), piece->begin(), piece->begin() + std::ptrdiff_t(take));
    }
    return joined;
}
