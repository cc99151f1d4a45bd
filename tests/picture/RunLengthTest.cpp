// Tests of the run-length code: the worked examples both ways, and round trips at the limits.
#include "picture/RunLength.h"

#include "platform/bytes/ByteWriter.h"

#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;

namespace {
Bytes compressed(const Bytes& raw, int unit) {
    Bytes out;
    compressRunLength(raw, unit, out);
    return out;
}

Bytes words(std::initializer_list<std::uint16_t> values) {
    Bytes out;
    bytes::ByteWriter w(out);
    for (const auto v : values) w.writeU16(v);
    return out;
}
}  // namespace

TEST(RunLength, WorkedExamples) {
    struct Case {
        const char* what;
        Bytes raw;
        int unit;
        Bytes coded;
    };
    Bytes manyWords;
    for (int i = 0; i < 130; ++i) manyWords.insert(manyWords.end(), {0x08, 0x21});
    const Case cases[] = {
        {"run, literal, run", {5, 5, 5, 5, 7, 8, 9, 9, 9}, 1, {0x04, 5, 0xFE, 7, 8, 0x03, 9}},
        {"pair kept in a literal", {1, 2, 2, 3, 3, 3}, 1, {0xFD, 1, 2, 2, 0x03, 3}},
        {"all different", {1, 2, 3, 4, 5}, 1, {0xFB, 1, 2, 3, 4, 5}},
        {"words", words({0xF800, 0xF800, 0x001F}), 2, {0x02, 0x00, 0xF8, 0x00, 0xFF, 0xFF, 0x00, 0x1F}},
        {"run longer than 127", manyWords, 2, {0x7F, 0x00, 0x08, 0x21, 0x03, 0x00, 0x08, 0x21}},
        {"single unit", {9}, 1, {0xFF, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(compressed(c.raw, c.unit), c.coded);
        EXPECT_EQ(expandRunLength(c.coded, c.raw.size(), c.unit).value(), c.raw);
    }
}

TEST(RunLength, LiteralCutAt127HandsItsTrailingRunBack) {
    Bytes raw;
    for (int i = 0; i < 126; ++i) raw.push_back(static_cast<std::uint8_t>(i % 2));
    raw.insert(raw.end(), {7, 7, 7, 7});
    const Bytes coded = compressed(raw, 1);
    ASSERT_GE(coded.size(), 2u);
    EXPECT_EQ(coded[0], static_cast<std::uint8_t>(-126));
    EXPECT_EQ(Bytes(coded.end() - 2, coded.end()), (Bytes{4, 7}));
    EXPECT_EQ(expandRunLength(coded, raw.size(), 1).value(), raw);
}

TEST(RunLength, WorstCaseStaysWithinTheBound) {
    for (const int unit : {1, 2}) {
        Bytes raw;
        for (int i = 0; i < 1000 * unit; ++i) raw.push_back(static_cast<std::uint8_t>(i * 7 + i / 3));
        // No two neighbouring units equal.
        for (std::size_t i = static_cast<std::size_t>(unit); i < raw.size(); i += static_cast<std::size_t>(unit))
            if (raw[i] == raw[i - static_cast<std::size_t>(unit)]) raw[i] ^= 0x40;
        const Bytes coded = compressed(raw, unit);
        EXPECT_EQ(coded.size(), maxCompressedSize(raw.size(), unit));
        EXPECT_EQ(expandRunLength(coded, raw.size(), unit).value(), raw);
    }
}

TEST(RunLength, ExpansionRefusesBadStreamsAndCutsLongCounts) {
    EXPECT_EQ(expandRunLength(Bytes{0x03, 0x41, 0xFE, 0x42, 0x43}, 5, 1).value(), (Bytes{0x41, 0x41, 0x41, 0x42, 0x43}));
    EXPECT_EQ(expandRunLength(Bytes{0x7F, 0x11}, 3, 1).value(), (Bytes{0x11, 0x11, 0x11}));
    EXPECT_EQ(expandRunLength(Bytes{0x85, 1, 2}, 2, 1).value(), (Bytes{1, 2}));  // literal cut to what is missing
    EXPECT_FALSE(expandRunLength(Bytes{0x00, 0x41}, 2, 1));   // count 0
    EXPECT_FALSE(expandRunLength(Bytes{0x80, 0x41}, 2, 1));   // count -128
    EXPECT_FALSE(expandRunLength(Bytes{0x03}, 3, 1));         // ends before its data unit
    EXPECT_FALSE(expandRunLength(Bytes{0xFD, 1, 2}, 3, 1));   // literal past the end
    EXPECT_FALSE(expandRunLength(Bytes{0x02, 0x00, 0xF8}, 4, 2));
    EXPECT_FALSE(expandRunLength(Bytes{}, 1, 1));
}

// Fed in pieces of any size, the encoder must give exactly the bytes of one call over the whole:
// the pieces below split runs and literals at every kind of place, including across the look-ahead
// of a segment.
TEST(RunLengthEncoder, PiecesGiveTheBytesOfTheWhole) {
    std::vector<std::uint8_t> raw;
    std::uint32_t state = 12345;
    for (int block = 0; block < 60; ++block) {
        state = state * 1103515245 + 12345;
        const int length = 1 + static_cast<int>(state >> 16) % 300;
        const bool run = (state >> 8) % 3 == 0;
        for (int i = 0; i < length; ++i) {
            state = state * 1103515245 + 12345;
            raw.push_back(run ? static_cast<std::uint8_t>(block) : static_cast<std::uint8_t>(state >> 24 & 3));
        }
    }
    if (raw.size() % 2) raw.pop_back();
    for (const int unit : {1, 2})
        for (const std::size_t piece : {std::size_t(2), std::size_t(6), std::size_t(128), std::size_t(254), std::size_t(1000), raw.size()}) {
            SCOPED_TRACE(std::to_string(unit) + "-byte units in pieces of " + std::to_string(piece));
            std::vector<std::uint8_t> whole = {0xAA}, pieces = {0xAA};  // appended to, not replaced
            compressRunLength(raw, unit, whole);
            RunLengthEncoder encoder(unit, pieces);
            for (std::size_t at = 0; at < raw.size(); at += piece)
                encoder.Append(std::span(raw).subspan(at, std::min(piece, raw.size() - at)));
            encoder.Finish();
            EXPECT_EQ(pieces, whole);
        }
}
