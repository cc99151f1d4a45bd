// Tests of encoding .bmp files into picture records: the example records, colour mapping,
// depth choice, row padding, density cropping and the device limits.
#include "picture/PictureEncoder.h"

#include "support/BmpBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;
using gdi::RGB;

namespace {
// A 24-bit .bmp of width x height filled by color(x, y), y = 0 the top row.
template <typename ColorAt>
Bytes bmp24(int width, int height, ColorAt color) {
    BmpLayout s;
    s.width = width;
    s.height = height;
    s.bitCount = 24;
    const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    s.pixels.assign(stride * std::size_t(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const gdi::COLORREF c = color(x, y);
            std::uint8_t* p = &s.pixels[std::size_t(height - 1 - y) * stride + std::size_t(x) * 3];
            p[0] = gdi::GetBValue(c);
            p[1] = gdi::GetGValue(c);
            p[2] = gdi::GetRValue(c);
        }
    return buildBmp(s);
}

Bytes bmpOfBitCount(int bitCount, int width, int height) {
    BmpLayout s;
    s.width = width;
    s.height = height;
    s.bitCount = static_cast<std::uint16_t>(bitCount);
    const std::size_t stride = (std::size_t(width) * bitCount + 31) / 32 * 4;
    s.pixels.assign(stride * std::size_t(height), 0);
    if (bitCount <= 8) s.palette.assign(4u << bitCount, 0x80);
    return buildBmp(s);
}

struct Encoded {
    Bytes record;
    std::uint32_t length = 0;
    EncodeRefusal why = EncodeRefusal::None;
};

Encoded encode(const Bytes& bmp, const DeviceFormat& format) {
    TempDir dir;
    writeWholeFile(dir.file("in.bmp"), bmp);
    Encoded e;
    buildPictureRecord(dir.file("in.bmp"), format, e.record, e.length, &e.why);
    EXPECT_EQ(e.length, e.record.size());
    return e;
}

DeviceFormat format(std::uint8_t depth, std::uint16_t density, bool compressed) {
    DeviceFormat f;
    f.depth = depth;
    f.density = density;
    f.compression = compressed ? 1 : 0;
    return f;
}

const auto whiteThenRed = [](int x, int) { return x == 0 ? RGB(255, 255, 255) : RGB(255, 0, 0); };
}  // namespace

TEST(PictureEncode, WhiteThenRedGivesTheExampleRecords) {
    const Bytes v1 = {0x0A, 0x01, 0x00, 0x02, 0x00, 0x01, 0x08, 0x02, 0x00, 0x48, 0x00, 0x7D, 0x00, 0x00};
    EXPECT_EQ(encode(bmp24(2, 1, whiteThenRed), format(8, 72, false)).record, v1);
    Bytes v2 = {0x20, 0x02, 0x00, 0x02, 0x00, 0x01, 0x08, 0x02, 0x00, 0x48, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04};
    v2.resize(32, 0);
    v2.insert(v2.end(), {0xFC, 0x00, 0x7D, 0x00, 0x00});
    EXPECT_EQ(encode(bmp24(2, 1, whiteThenRed), format(8, 72, true)).record, v2);
}

TEST(PictureEncode, OneColourPictureCompressesToOneRun) {
    const auto e = encode(bmp24(4, 2, [](int, int) { return RGB(255, 0, 0); }), format(8, 72, true));
    ASSERT_EQ(e.record.size(), 34u);
    EXPECT_EQ(e.record[15], 8);  // rawSize
    EXPECT_EQ(e.record[32], 0x08);
    EXPECT_EQ(e.record[33], 125);
}

TEST(ColorToIndex, CubeCellsAndSixteenBitWords) {
    struct Case {
        gdi::COLORREF color;
        int depth;
        std::uint16_t value;
    };
    const Case cases[] = {
        {RGB(255, 255, 255), 8, 0}, {RGB(255, 0, 0), 8, 125},    {RGB(0, 0, 255), 8, 95},
        {RGB(100, 150, 200), 8, 62}, {RGB(214, 214, 214), 8, 25}, {RGB(136, 136, 136), 8, 50},
        {RGB(42, 42, 42), 8, 255},  {RGB(0, 0, 0), 8, 255},      {RGB(43, 0, 0), 8, 197},
        {RGB(255, 255, 255), 16, 0xFFFF}, {RGB(255, 0, 0), 16, 0xF800}, {RGB(8, 4, 8), 16, 0x0821},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.color);
        EXPECT_EQ(colorToIndex(c.color, c.depth), c.value);
    }
}

TEST(PictureEncode, DepthFollowsTheFileAndTheDevice) {
    struct Case {
        int bitCount;
        std::uint8_t deviceDepth;
        int recordDepth;
    };
    const Case cases[] = {{1, 16, 8}, {4, 16, 8}, {8, 16, 8}, {16, 16, 16}, {24, 16, 16}, {32, 16, 16},
                          {24, 8, 8}, {32, 1, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bitCount);
        const auto e = encode(bmpOfBitCount(c.bitCount, 3, 1), format(c.deviceDepth, 72, false));
        ASSERT_EQ(e.why, EncodeRefusal::None);
        EXPECT_EQ(e.record[6], c.recordDepth);
    }
}

TEST(PictureEncode, RowsArePaddedToFourBytes) {
    const auto sixteen = encode(bmp24(3, 2, whiteThenRed), format(16, 72, false));
    ASSERT_EQ(sixteen.record.size(), 10u + 2 * 8);
    EXPECT_EQ(Bytes(sixteen.record.begin() + 10, sixteen.record.begin() + 18),
              (Bytes{0xFF, 0xFF, 0xF8, 0x00, 0xF8, 0x00, 0x00, 0x00}));
    EXPECT_EQ(encode(bmp24(5, 1, whiteThenRed), format(8, 72, false)).record.size(), 10u + 8);
    EXPECT_EQ(encode(bmp24(2, 2, whiteThenRed), format(8, 72, false)).record.size(), 18u);
}

TEST(PictureEncode, DensityCroppingAndLevel) {
    struct Case {
        std::uint16_t density;
        int width, height, level;
    };
    const Case cases[] = {{144, 100, 50, 3}, {626, 100, 50, 2}, {72, 101, 51, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.density);
        const auto e = encode(bmp24(101, 51, whiteThenRed), format(8, c.density, false));
        ASSERT_EQ(e.why, EncodeRefusal::None);
        EXPECT_EQ(e.record[3], c.width);
        EXPECT_EQ(e.record[5], c.height);
        EXPECT_EQ(e.record[7], c.level);
        EXPECT_EQ(e.record[8] << 8 | e.record[9], c.density);
    }
}

TEST(PictureEncode, LimitsPassWhenEqualAndRefuseOneOver) {
    const Bytes picture = bmp24(8, 6, whiteThenRed);
    struct Case {
        const char* what;
        std::int16_t maxWidth, maxHeight;
        std::uint32_t maxRaw;
        EncodeRefusal why;
    };
    const Case cases[] = {
        {"exact fit", 8, 6, 48, EncodeRefusal::None},
        {"one column over", 7, 6, 1000, EncodeRefusal::TooWide},
        {"one row over", 8, 5, 1000, EncodeRefusal::TooTall},
        {"one byte of raw data over", 8, 6, 47, EncodeRefusal::RawTooLarge},
    };
    for (const bool compressed : {false, true})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (compressed ? " compressed" : ""));
            DeviceFormat f = format(8, 72, compressed);
            f.maxWidth = c.maxWidth;
            f.maxHeight = c.maxHeight;
            f.maxRawSize = c.maxRaw;
            const auto e = encode(picture, f);
            EXPECT_EQ(e.why, c.why);
            EXPECT_EQ(e.record.empty(), c.why != EncodeRefusal::None);
        }
}

TEST(PictureEncode, PictureOnePixelHighHasNoRowsLeftAt144) {
    const auto e = encode(bmp24(5, 1, whiteThenRed), format(16, 144, true));
    EXPECT_EQ(e.why, EncodeRefusal::NoPixels);
    EXPECT_TRUE(e.record.empty());
}

TEST(PictureEncode, UnreadableFileGivesNoRecord) {
    const auto e = encode(Bytes{'B', 'M', 1, 2, 3}, format(16, 144, true));
    EXPECT_EQ(e.why, EncodeRefusal::CannotLoad);
    EXPECT_EQ(e.length, 0u);
    TempDir dir;
    std::vector<std::uint8_t> record{1};
    std::uint32_t length = 5;
    buildPictureRecord(dir.file("missing.bmp"), DeviceFormat(), record, length);
    EXPECT_TRUE(record.empty());
    EXPECT_EQ(length, 0u);
}
