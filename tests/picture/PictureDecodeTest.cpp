// Tests of decoding picture records into .bmp files: the example records, the colour tables,
// the record versions and depths, and the malformed records that must write nothing.
#include "picture/PictureExporter.h"

#include "picture/Palettes.h"
#include "platform/bytes/ByteWriter.h"
#include "platform/gdi/BmpFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using Bytes = std::vector<std::uint8_t>;
using gdi::RGB;

namespace {
const Bytes kExampleV1 = {0x0A, 0x01, 0x00, 0x02, 0x00, 0x01, 0x08, 0x02, 0x00, 0x48, 0x00, 0x7D, 0x00, 0x00};
Bytes exampleV2() {
    Bytes r = {0x20, 0x02, 0x00, 0x02, 0x00, 0x01, 0x08, 0x02, 0x00, 0x48, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04};
    r.resize(32, 0);
    r.insert(r.end(), {0xFC, 0x00, 0x7D, 0x00, 0x00});
    return r;
}

// The fields both versions start with; the density is 72 at level 2.
void writeSharedHeader(bytes::ByteWriter& w, std::uint8_t headerSize, std::uint8_t version, int width, int height,
                       int depth) {
    w.writeU8(headerSize);
    w.writeU8(version);
    w.writeU16(static_cast<std::uint16_t>(width));
    w.writeU16(static_cast<std::uint16_t>(height));
    w.writeU8(static_cast<std::uint8_t>(depth));
    w.writeU8(2);
    w.writeU16(72);
}

Bytes v1(int width, int height, int depth, Bytes pixels, std::uint8_t version = 1) {
    Bytes r;
    bytes::ByteWriter w(r);
    writeSharedHeader(w, 10, version, width, height, depth);
    w.writeBytes(pixels);
    return r;
}

Bytes v2(int width, int height, int depth, bool compressed, std::uint32_t rawSize, Bytes data) {
    Bytes r;
    bytes::ByteWriter w(r);
    writeSharedHeader(w, 32, 2, width, height, depth);
    w.writeU16(compressed ? 1 : 0);
    w.writeU32(rawSize);
    w.writeZeros(16);
    w.writeBytes(data);
    return r;
}

struct Decoded {
    bool ok = false;
    std::vector<gdi::COLORREF> pixels;
    Bytes file;
};

Decoded decode(const Bytes& record) {
    TempDir dir;
    const auto path = dir.file("out.bmp");
    PictureExporter exporter;
    Decoded d;
    d.ok = exporter.exportPicture(record.data(), static_cast<std::uint32_t>(record.size()), path, false);
    if (!d.ok) {
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_FALSE(exporter.failure().empty());
        return d;
    }
    d.file = readWholeFile(path);
    const auto bitmap = gdi::LoadImage(path);
    EXPECT_TRUE(bitmap);
    for (int y = 0; bitmap && y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x) d.pixels.push_back(bitmap->GetPixel(x, y));
    return d;
}
}  // namespace

TEST(PictureDecode, ExampleRecordsGiveWhiteThenRed) {
    for (const Bytes& record : {kExampleV1, exampleV2()}) {
        const auto d = decode(record);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.pixels, (std::vector<gdi::COLORREF>{RGB(255, 255, 255), RGB(255, 0, 0)}));
        // 24 bits per pixel: no colour table, pixels at 54, rows of 8 bytes.
        ASSERT_EQ(d.file.size(), 62u);
        EXPECT_EQ(d.file[0], 'B');
        EXPECT_EQ(d.file[10], 54);
        EXPECT_EQ(d.file[28], 24);
        EXPECT_EQ(d.file[2], 62);
        EXPECT_EQ(d.file[34], 8);  // image size
    }
}

TEST(PictureDecode, ColourTablesAndTheSixteenBitForm) {
    struct Case {
        const char* what;
        Bytes record;
        gdi::COLORREF color;
    };
    const Case cases[] = {
        {"0xFFFF", v1(1, 1, 16, {0xFF, 0xFF}), RGB(248, 252, 248)},
        {"F8 00", v1(1, 1, 16, {0xF8, 0x00}), RGB(248, 0, 0)},
        {"depth 24 reads words", v1(1, 1, 24, {0x00, 0x1F}), RGB(0, 0, 248)},
        {"palette 215", v1(1, 1, 8, {215}), RGB(17, 17, 17)},
        {"palette 230", v1(1, 1, 8, {230}), RGB(0, 0, 0)},
        {"palette 108", v1(1, 1, 8, {108}), RGB(255, 255, 102)},
        {"palette 214", v1(1, 1, 8, {214}), RGB(0, 51, 0)},
        {"2-bit value 1", v1(1, 1, 2, {0x40}), RGB(192, 192, 192)},
        {"4-bit value 15", v1(1, 1, 4, {0xF0}), RGB(0, 0, 0)},
        {"4-bit value 1", v1(1, 1, 4, {0x10}), RGB(238, 238, 238)},
        {"1-bit set", v1(1, 1, 1, {0x80}), RGB(0, 0, 0)},
        {"depth 3 is black", v1(1, 1, 3, {0x00}), RGB(0, 0, 0)},
        {"depth 0 is black", v1(1, 1, 0, {0x00}), RGB(0, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto d = decode(c.record);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.pixels, std::vector<gdi::COLORREF>{c.color});
    }
    EXPECT_EQ(SystemPalette8[1].green, 204);
    EXPECT_EQ(SystemPalette8[6].blue, 204);
    EXPECT_EQ(SystemPalette8[18].red, 204);
}

TEST(PictureDecode, PixelsOfSubByteDepthsComeFromTheHighBitsFirst) {
    const auto d = decode(v1(4, 1, 2, {0x1B, 0, 0, 0}));  // values 0, 1, 2, 3
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (std::vector<gdi::COLORREF>{RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                                     RGB(0, 0, 0)}));
}

TEST(PictureDecode, VersionsOtherThanTwoReadAsVersionOne) {
    for (const std::uint8_t version : {0, 1, 3}) {
        SCOPED_TRACE(int(version));
        const auto d = decode(v1(1, 1, 8, {125}, version));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.pixels, std::vector<gdi::COLORREF>{RGB(255, 0, 0)});
    }
}

TEST(PictureDecode, RowBytesComeFromTheRecordLength) {
    // 2 x 2 at depth 8: 18 bytes give rows of 4; at 19 bytes the last byte is ignored.
    Bytes pixels = {0, 125, 0, 0, 125, 0, 0, 0};
    for (const bool extra : {false, true}) {
        Bytes p = pixels;
        if (extra) p.push_back(95);
        const auto d = decode(v1(2, 2, 8, p));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.pixels, (std::vector<gdi::COLORREF>{RGB(255, 255, 255), RGB(255, 0, 0), RGB(255, 0, 0),
                                                         RGB(255, 255, 255)}));
    }
}

TEST(PictureDecode, SixteenBitRowsStepInWholeWords) {
    // 1 x 2 at depth 16 in 16 bytes: rowBytes is 3, so the second row begins one word (2 bytes)
    // after the first, not 3 bytes; the record's last byte belongs to no row.
    const auto d = decode(v1(1, 2, 16, {0xF8, 0x00, 0x00, 0x1F, 0x07, 0xE0}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (std::vector<gdi::COLORREF>{RGB(248, 0, 0), RGB(0, 0, 248)}));
    // The same in version 2, where rowBytes comes from rawSize (6 / 2 = 3).
    const auto v = decode(v2(1, 2, 16, false, 6, {0xF8, 0x00, 0x00, 0x1F, 0x07, 0xE0}));
    ASSERT_TRUE(v.ok);
    EXPECT_EQ(v.pixels, (std::vector<gdi::COLORREF>{RGB(248, 0, 0), RGB(0, 0, 248)}));
}

TEST(PictureDecode, FirstRecordRowIsTheLastRowOfTheFile) {
    const auto d = decode(v1(1, 2, 8, {125, 0, 0, 0, 95, 0, 0, 0}));  // red above blue
    ASSERT_TRUE(d.ok);
    // Rows of 4 bytes at 54: the first stored row is the bottom one (blue).
    EXPECT_EQ(Bytes(d.file.begin() + 54, d.file.begin() + 57), (Bytes{255, 0, 0}));
    EXPECT_EQ(Bytes(d.file.begin() + 58, d.file.begin() + 61), (Bytes{0, 0, 255}));
}

TEST(PictureDecode, VersionTwoRawAndCompressed) {
    const auto raw = decode(v2(2, 1, 8, false, 4, {0, 125, 0, 0}));
    ASSERT_TRUE(raw.ok);
    EXPECT_EQ(raw.pixels, (std::vector<gdi::COLORREF>{RGB(255, 255, 255), RGB(255, 0, 0)}));
    const auto words = decode(v2(2, 1, 16, true, 4, {0x02, 0x00, 0xF8, 0x00}));
    ASSERT_TRUE(words.ok);
    EXPECT_EQ(words.pixels, (std::vector<gdi::COLORREF>{RGB(248, 0, 0), RGB(248, 0, 0)}));
}

TEST(PictureDecode, MalformedRecordsFailAndWriteNothing) {
    struct Case {
        const char* what;
        Bytes record;
    };
    const Case cases[] = {
        {"shorter than a header", {10, 1, 0, 1}},
        {"width 0", v1(0, 1, 8, {0, 0, 0, 0})},
        {"height 0", v1(1, 0, 8, {})},
        {"negative height", {10, 1, 0, 1, 0xFF, 0xFF, 8, 2, 0, 72, 0, 0, 0, 0}},
        {"rows shorter than the width", v1(8, 1, 8, {0, 0, 0, 0})},
        {"16-bit row too short", v1(2, 1, 16, {0, 0, 0})},
        {"no pixel data", v1(1, 1, 8, {})},
        {"version 2 cut in its header", Bytes(20, 2)},
        {"raw data shorter than raw size", v2(2, 1, 8, false, 4, {0, 125})},
        {"count 0", v2(2, 1, 8, true, 4, {0x00, 1})},
        {"count -128", v2(2, 1, 8, true, 4, {0x80, 1})},
        {"stream ends early", v2(2, 1, 8, true, 4, {0x02, 1})},
        {"absurd raw size", v2(100, 100, 8, true, 0x7FFFFFFF, {0x7F, 1})},
        {"raw size smaller than the rows", v2(4, 2, 8, true, 4, {0x04, 1})},
        // Short records that claim large pictures fail before any picture is allocated.
        {"250 x 250 at 8 bits in 100 bytes", v1(250, 250, 8, Bytes(90, 0))},
        {"250 x 250 at depth 3 with no rows", v1(250, 250, 3, {})},
        {"250 x 250 at depth 0 with no rows", v1(250, 250, 0, {})},
        {"compressed 250 x 250 from 2 bytes", v2(250, 250, 8, true, 62500, {0x7F, 1})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(decode(c.record).ok);
    }
}

TEST(PictureDecode, OverwriteRule) {
    TempDir dir;
    const auto path = dir.file("x.bmp");
    writeWholeFile(path, {1, 2, 3});
    PictureExporter exporter;
    EXPECT_FALSE(exporter.exportPicture(kExampleV1.data(), 14, path, false));
    EXPECT_EQ(readWholeFile(path), (Bytes{1, 2, 3}));
    EXPECT_TRUE(exporter.exportPicture(kExampleV1.data(), 14, path, true));
    EXPECT_EQ(readWholeFile(path).size(), 62u);
    EXPECT_FALSE(exporter.exportPicture(kExampleV1.data(), 14, dir.file("no/such/folder.bmp"), true));
}

TEST(Palettes, Rgb565ToColorTakesTheStoredWord) {
    std::uint16_t stored;
    const std::uint8_t bytes[] = {0xF8, 0x00};
    std::memcpy(&stored, bytes, 2);
    EXPECT_EQ(rgb565ToColor(stored), RGB(248, 0, 0));
    EXPECT_EQ(rgb565ToColor(0xFFFF), RGB(248, 252, 248));
    EXPECT_EQ(indexToColor(0x80, 7), RGB(0, 0, 0));
}
