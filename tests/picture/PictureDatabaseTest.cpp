// Tests of the picture database's info block and of joining a picture from its records.
#include "picture/PictureDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

TEST(PictureInfo, BlockHoldsTagAndLengthBigEndian) {
    const auto block = pictureInfoBlock(0x01020304);
    EXPECT_EQ(Bytes(block.begin(), block.end()), (Bytes{0x00, 0x0C,                 // tag 12
                                                        0x01, 0x02, 0x03, 0x04}));  // length
    const auto info = readPictureInfo(block);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->tag, kPictureTag);
    EXPECT_EQ(info->length, 0x01020304u);
}

TEST(PictureInfo, ShortBlockGivesNothingAndLongerBlockIsReadToSixBytes) {
    const Bytes block{0x00, 0x07, 0x00, 0x00, 0x10, 0x00, 0xAA, 0xBB};
    for (std::size_t cut = 0; cut < kPictureInfoSize; ++cut)
        EXPECT_FALSE(readPictureInfo(std::span(block).first(cut))) << cut;
    const auto info = readPictureInfo(block);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->tag, 7);
    EXPECT_EQ(info->length, 0x1000u);
}

TEST(PictureRecords, ChunksAre4096BytesTheLastShorter) {
    EXPECT_EQ(pictureChunkAt(10000, 0), 4096u);
    EXPECT_EQ(pictureChunkAt(10000, 8192), 1808u);
    EXPECT_EQ(pictureChunkAt(8192, 8192), 0u);
    EXPECT_EQ(pictureChunkAt(0, 0), 0u);
}

// Records of the given lengths, each byte its record's index; a negative length fails.
struct JoinCase {
    const char* what;
    std::uint32_t length;
    std::vector<int> records;
    JoinedPicture::Outcome outcome;
    std::size_t joined;
    std::vector<std::size_t> asked;  // the wanted size of each record asked for
};

TEST(PictureRecords, JoinTakesRecordsInOrderUpToTheLength) {
    using O = JoinedPicture::Outcome;
    const JoinCase cases[] = {
        {"exact chunks", 5000, {4096, 904}, O::Complete, 5000, {4096, 904}},
        {"longer last record is cut", 5000, {4096, 2000}, O::Complete, 5000, {4096, 904}},
        {"one long record", 5000, {6000}, O::Complete, 5000, {4096}},
        {"empty picture asks nothing", 0, {4096}, O::Complete, 0, {}},
        {"records run out", 9000, {4096, 4096}, O::RecordsRanOut, 8192, {4096, 4096}},
        {"short records run out", 5000, {100, 100}, O::RecordsRanOut, 200, {4096, 4096}},
        {"a record fails", 9000, {4096, -1, 4096}, O::RecordFailed, 4096, {4096, 4096}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Bytes> records;
        for (std::size_t i = 0; i < c.records.size(); ++i)
            records.emplace_back(c.records[i] < 0 ? 0 : std::size_t(c.records[i]), static_cast<std::uint8_t>(i));
        std::vector<std::size_t> asked;
        const auto joined = joinPictureRecords(c.length, static_cast<std::uint32_t>(records.size()),
                                               [&](std::uint32_t index, std::size_t wanted)
                                                   -> std::optional<std::span<const std::uint8_t>> {
                                                   asked.push_back(wanted);
                                                   if (c.records[index] < 0) return std::nullopt;
                                                   return records[index];
                                               });
        EXPECT_EQ(joined.outcome, c.outcome);
        EXPECT_EQ(joined.bytes.size(), c.joined);
        EXPECT_EQ(asked, c.asked);
        Bytes all;
        for (const auto& r : records) all.insert(all.end(), r.begin(), r.end());
        all.resize(joined.bytes.size());
        EXPECT_EQ(joined.bytes, all);
    }
}
}  // namespace
