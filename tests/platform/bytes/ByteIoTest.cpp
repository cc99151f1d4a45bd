// Tests of the byte-order helpers, ByteReader and ByteWriter: golden bytes in both orders, round
// trips, and reads and writes that do not fit.
#include "platform/bytes/ByteOrder.h"
#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

namespace {
// One field of each width and its bytes in both orders.
struct FieldCase {
    int width;
    std::uint32_t value;
    Bytes big;
    Bytes little;
};
const FieldCase kFields[] = {
    {2, 0x1234, {0x12, 0x34}, {0x34, 0x12}},
    {2, 0xFF01, {0xFF, 0x01}, {0x01, 0xFF}},
    {3, 0xD54001, {0xD5, 0x40, 0x01}, {0x01, 0x40, 0xD5}},
    {4, 0x7474666E, {0x74, 0x74, 0x66, 0x6E}, {0x6E, 0x66, 0x74, 0x74}},
    {4, 0x80000001, {0x80, 0x00, 0x00, 0x01}, {0x01, 0x00, 0x00, 0x80}},
};

bool writeField(bytes::ByteWriter& w, int width, std::uint32_t v) {
    if (width == 2) return w.writeU16(static_cast<std::uint16_t>(v));
    if (width == 3) return w.writeU24(v);
    return w.writeU32(v);
}
std::optional<std::uint32_t> readField(bytes::ByteReader& r, int width) {
    if (width == 2) return r.readU16();
    return width == 3 ? r.readU24() : r.readU32();
}
}  // namespace

TEST(ByteIo, FieldsHaveTheirBytesInEachOrderAndReadBack) {
    for (const auto& c : kFields) {
        for (const auto order : {std::endian::big, std::endian::little}) {
            SCOPED_TRACE(testing::Message() << std::hex << c.value << (order == std::endian::big ? " big" : " little"));
            const Bytes& expected = order == std::endian::big ? c.big : c.little;
            Bytes out = {0xAA};  // the writer appends after what is there
            bytes::ByteWriter w(out, order);
            ASSERT_TRUE(writeField(w, c.width, c.value));
            EXPECT_EQ(w.position(), std::size_t(c.width));
            EXPECT_EQ(Bytes(out.begin() + 1, out.end()), expected);
            // Read at an odd offset, so that no load can rely on alignment.
            bytes::ByteReader r(out, order);
            ASSERT_TRUE(r.skip(1));
            EXPECT_EQ(readField(r, c.width), c.value);
            EXPECT_EQ(r.remaining(), 0u);
        }
    }
    // The fixed-order helpers agree with the ones that take an order.
    const std::uint8_t p[] = {0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(bytes::loadU16BE(p), 0x0102);
    EXPECT_EQ(bytes::loadU16LE(p), 0x0201);
    EXPECT_EQ(bytes::loadU24BE(p), 0x010203u);
    EXPECT_EQ(bytes::loadU32BE(p), 0x01020304u);
    EXPECT_EQ(bytes::loadU32LE(p), 0x04030201u);
}

TEST(ByteIo, SignedFieldsAndBytesRoundTrip) {
    for (const auto order : {std::endian::big, std::endian::little}) {
        Bytes out;
        bytes::ByteWriter w(out, order);
        w.writeI16(-2);
        w.writeI32(-70000);
        w.writeText("DBLK");
        w.writeZeros(2);
        w.writeBytes(std::array<std::uint8_t, 1>{7});
        ASSERT_EQ(out.size(), 13u);
        bytes::ByteReader r(out, order);
        EXPECT_EQ(r.readI16(), -2);
        EXPECT_EQ(r.readU32(), static_cast<std::uint32_t>(-70000));
        const auto text = r.take(4);
        ASSERT_TRUE(text);
        EXPECT_EQ(std::string(text->begin(), text->end()), "DBLK");
        EXPECT_EQ(r.readU16(), 0);
        EXPECT_EQ(r.readU8(), 7);
    }
}

// Every read that needs more than remains fails and leaves the position where it was, so the
// next read that fits still sees the same bytes.
TEST(ByteIo, ReadPastTheEndFailsWithoutMoving) {
    struct Read {
        const char* name;
        std::size_t needs;
        std::function<bool(bytes::ByteReader&)> read;
    };
    const Read reads[] = {
        {"u8", 1, [](bytes::ByteReader& r) { return r.readU8().has_value(); }},
        {"u16", 2, [](bytes::ByteReader& r) { return r.readU16().has_value(); }},
        {"i16", 2, [](bytes::ByteReader& r) { return r.readI16().has_value(); }},
        {"u24", 3, [](bytes::ByteReader& r) { return r.readU24().has_value(); }},
        {"u32", 4, [](bytes::ByteReader& r) { return r.readU32().has_value(); }},
        {"take 5", 5, [](bytes::ByteReader& r) { return r.take(5).has_value(); }},
        {"skip 5", 5, [](bytes::ByteReader& r) { return r.skip(5); }},
    };
    const Bytes data = {1, 2, 3, 4, 5, 6};
    for (const auto& read : reads) {
        for (std::size_t remaining = 0; remaining < read.needs; ++remaining) {
            SCOPED_TRACE(std::string(read.name) + ", remaining " + std::to_string(remaining));
            bytes::ByteReader r(std::span<const std::uint8_t>(data).first(1 + remaining));
            ASSERT_TRUE(r.skip(1));
            EXPECT_FALSE(read.read(r));
            EXPECT_EQ(r.position(), 1u);
            if (remaining > 0) {
                EXPECT_EQ(r.readU8(), 2);
            }
        }
    }
    bytes::ByteReader r(data);
    EXPECT_FALSE(r.seek(7));
    EXPECT_TRUE(r.seek(6));
    EXPECT_TRUE(r.take(0).has_value());
}

// Over a buffer of fixed size, a write that does not fit writes nothing and does not move.
TEST(ByteIo, WriteOverAFullBufferFailsWithoutWriting) {
    std::array<std::uint8_t, 5> buffer;
    buffer.fill(0xEE);
    bytes::ByteWriter w(buffer, std::endian::little);
    EXPECT_TRUE(w.writeU24(0x030201));
    EXPECT_FALSE(w.writeU32(0x0A0B0C0D));
    EXPECT_FALSE(w.writeU24(0x0A0B0C));
    EXPECT_FALSE(w.writeText("abc"));
    EXPECT_FALSE(w.writeZeros(3));
    EXPECT_EQ(w.position(), 3u);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 5>{1, 2, 3, 0xEE, 0xEE}));
    EXPECT_TRUE(w.writeU16(0x0504));
    EXPECT_FALSE(w.writeU8(6));
    EXPECT_TRUE(w.writeBytes({}));
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
}
