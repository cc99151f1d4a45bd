// Tests of the .bmp file: every variant the loader reads, given as hand-made bytes, the malformed
// files it must refuse without reading past them, and the files the writer makes.
#include "platform/gdi/BmpFile.h"

#include "support/BmpBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

using gdi::COLORREF;
using gdi::RGB;

namespace {
const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);

// A 2 x 2 picture: top row red, green; bottom row blue, white.
const std::vector<COLORREF> kExpected = {kRed, kGreen, kBlue, kWhite};

// Palette blue, green, red, 0 per entry: 0 red, 1 green, 2 blue, 3 white.
const std::vector<std::uint8_t> kPalette = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};

std::vector<COLORREF> pixelsOf(const gdi::Bitmap& b) {
    std::vector<COLORREF> out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) out.push_back(b.GetPixel(x, y));
    return out;
}

BmpLayout twoByTwo(std::uint16_t bitCount, std::vector<std::uint8_t> rows) {
    BmpLayout s;
    s.width = 2;
    s.height = 2;
    s.bitCount = bitCount;
    s.pixels = std::move(rows);
    if (bitCount <= 8) {
        s.palette = kPalette;
        s.colorsUsed = 4;
    }
    return s;
}
}  // namespace

TEST(LoadImage, ReadsEveryCommonVariant) {
    struct Case {
        const char* what;
        BmpLayout layout;
        std::vector<COLORREF> expected = kExpected;
    };
    std::vector<Case> cases;
    // Rows bottom-up: blue white, then red green.
    cases.push_back({"1 bit",
                     [] {
                         BmpLayout s = twoByTwo(1, {0x80, 0, 0, 0, 0x40, 0, 0, 0});
                         s.palette.resize(8);  // 0 red, 1 green
                         s.colorsUsed = 2;
                         return s;
                     }(),
                     {kRed, kGreen, kGreen, kRed}});
    cases.push_back({"4 bit", twoByTwo(4, {0x23, 0, 0, 0, 0x01, 0, 0, 0})});
    cases.push_back({"8 bit", twoByTwo(8, {2, 3, 0, 0, 0, 1, 0, 0})});
    cases.push_back({"8 bit, palette size from the bit count", [] {
                         BmpLayout s = twoByTwo(8, {2, 3, 0, 0, 0, 1, 0, 0});
                         s.colorsUsed = 0;
                         s.palette.resize(256 * 4, 0);
                         return s;
                     }()});
    cases.push_back({"RLE8", [] {
                         BmpLayout s = twoByTwo(8, {1, 2, 1, 3, 0, 0, 1, 0, 1, 1, 0, 1});
                         s.compression = 1;
                         return s;
                     }()});
    cases.push_back({"RLE8 absolute run and delta", [] {
                         // Three literal pixels (the third past the edge), then a move right.
                         BmpLayout s = twoByTwo(8, {0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 0, 1, 1, 0, 1});
                         s.compression = 1;
                         return s;
                     }()});
    cases.push_back({"RLE4", [] {
                         BmpLayout s = twoByTwo(4, {2, 0x23, 0, 0, 2, 0x01, 0, 1});
                         s.compression = 2;
                         return s;
                     }()});
    cases.push_back({"16 bit 5-5-5", twoByTwo(16, {0x1F, 0x00, 0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03})});
    cases.push_back({"16 bit 5-6-5 bit fields", [] {
                         BmpLayout s = twoByTwo(16, {0x1F, 0x00, 0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07});
                         s.compression = 3;
                         s.masks = {0xF800, 0x07E0, 0x001F};
                         return s;
                     }()});
    cases.push_back({"24 bit", twoByTwo(24, {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0})});
    cases.push_back({"32 bit", twoByTwo(32, {255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0})});
    cases.push_back({"32 bit bit fields in a V4 header", [] {
                         BmpLayout s = twoByTwo(32, {0, 0, 255, 0, 255, 255, 255, 0, 255, 0, 0, 0, 0, 255, 0, 0});
                         s.headerSize = 108;
                         s.compression = 3;
                         s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
                         return s;
                     }()});
    cases.push_back({"24 bit, V5 header, top-down", [] {
                         BmpLayout s = twoByTwo(24, {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0});
                         s.headerSize = 124;
                         s.height = -2;
                         return s;
                     }()});
    cases.push_back({"core header, 8 bit", [] {
                         BmpLayout s = twoByTwo(8, {2, 3, 0, 0, 0, 1, 0, 0});
                         s.headerSize = 12;
                         s.palette = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};
                         s.palette.resize(256 * 3, 0);
                         return s;
                     }()});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string why;
        const auto bitmap = gdi::LoadImageFromBytes(buildBmp(c.layout), &why);
        ASSERT_TRUE(bitmap) << why;
        EXPECT_EQ(bitmap->Width(), 2);
        EXPECT_EQ(bitmap->Height(), 2);
        EXPECT_EQ(bitmap->BitsPerPixel(), c.layout.bitCount);
        EXPECT_EQ(pixelsOf(*bitmap), c.expected);
    }
}

TEST(LoadImage, RunLengthPixelsNoCodeReachesTakeTheFirstEntry) {
    BmpLayout s = twoByTwo(8, {1, 3, 0, 1});  // one white pixel, then end of bitmap
    s.compression = 1;
    const auto bitmap = gdi::LoadImageFromBytes(buildBmp(s));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(pixelsOf(*bitmap), (std::vector<COLORREF>{kRed, kRed, kWhite, kRed}));
}

TEST(LoadImage, RefusesMalformedFiles) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    const auto spoiled = [](auto change) {
        BmpLayout s = twoByTwo(8, {2, 3, 0, 0, 0, 1, 0, 0});
        change(s);
        return buildBmp(s);
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"no signature", {'X', 'M', 0, 0}},
        {"width 0", spoiled([](BmpLayout& s) { s.width = 0; })},
        {"height 0", spoiled([](BmpLayout& s) { s.height = 0; })},
        {"negative width", spoiled([](BmpLayout& s) { s.width = -2; })},
        {"absurd size", spoiled([](BmpLayout& s) { s.width = 30000; s.height = 30000; })},
        {"bit count 7", spoiled([](BmpLayout& s) { s.bitCount = 7; })},
        {"palette index out of range", spoiled([](BmpLayout& s) { s.pixels[0] = 200; })},
        {"RLE with top-down rows", spoiled([](BmpLayout& s) { s.compression = 1; s.height = -2; })},
        {"RLE without end of bitmap", spoiled([](BmpLayout& s) { s.compression = 1; s.pixels = {2, 0, 0, 0}; })},
        {"RLE literal past the end", spoiled([](BmpLayout& s) { s.compression = 1; s.pixels = {0, 9, 1}; })},
        {"RLE4 with 8 bits", spoiled([](BmpLayout& s) { s.compression = 2; })},
        {"bit fields with 8 bits", spoiled([](BmpLayout& s) { s.compression = 3; s.masks = {1, 2, 4}; })},
        {"mask with gaps", [] {
             BmpLayout s = twoByTwo(16, std::vector<std::uint8_t>(8, 0));
             s.compression = 3;
             s.masks = {0xF00F, 0x00F0, 0x0F00};
             return buildBmp(s);
         }()},
        {"JPEG compression", spoiled([](BmpLayout& s) { s.compression = 4; })},
        {"header size 20", spoiled([](BmpLayout& s) { s.headerSize = 20; })},
        // Pictures whose data cannot fill them are refused before they are allocated.
        {"4096 x 4096 rows in 100 bytes", spoiled([](BmpLayout& s) { s.width = 4096; s.height = 4096; s.pixels.resize(100); })},
        {"RLE of 4096 x 4096 in 4 bytes", spoiled([](BmpLayout& s) {
             s.compression = 1; s.width = 4096; s.height = 4096; s.pixels = {0, 0, 0, 1}; })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string why;
        EXPECT_FALSE(gdi::LoadImageFromBytes(c.bytes, &why));
        EXPECT_FALSE(why.empty());
    }
}

TEST(LoadImage, EveryPrefixOfAValidFileIsRefused) {
    for (const auto& layout : {twoByTwo(24, std::vector<std::uint8_t>(16, 7)), twoByTwo(4, {0x23, 0, 0, 0, 0x01, 0, 0, 0})}) {
        const auto full = buildBmp(layout);
        ASSERT_TRUE(gdi::LoadImageFromBytes(full));
        for (std::size_t n = 0; n < full.size(); ++n) {
            SCOPED_TRACE(n);
            EXPECT_FALSE(gdi::LoadImageFromBytes(std::span(full.data(), n)));
        }
    }
}

TEST(LoadImage, LongRunsStopAtTheRowsEnd) {
    // 18 MB of FF 01 pairs: runs of 255 pixels of entry 1, all on the bottom row of a 64 x 4
    // picture. Drawing stops at the row's end and the column counter never runs past it.
    BmpLayout s;
    s.width = 64;
    s.height = 4;
    s.bitCount = 8;
    s.compression = 1;
    s.palette = kPalette;
    s.colorsUsed = 4;
    s.pixels.reserve(18u << 20);
    for (std::size_t i = 0; i < (9u << 20); ++i) s.pixels.insert(s.pixels.end(), {0xFF, 0x01});
    s.pixels.insert(s.pixels.end(), {0x00, 0x00, 0x02, 0x02, 0x00, 0x01});  // next row: two of entry 2
    const auto bitmap = gdi::LoadImageFromBytes(buildBmp(s));
    ASSERT_TRUE(bitmap);
    for (int x = 0; x < 64; ++x) {
        EXPECT_EQ(bitmap->GetPixel(x, 3), kGreen) << x;
        EXPECT_EQ(bitmap->GetPixel(x, 2), x < 2 ? kBlue : kRed) << x;
        EXPECT_EQ(bitmap->GetPixel(x, 0), kRed) << x;
    }
}

TEST(BmpRowReader, KeepsReadingTheFileItOpenedWhenAnotherTakesItsPlace) {
    // A 2 x 2 picture read whole (run-length) and one read a row at a time, each replaced by a
    // one-pixel file under its name once opened.
    BmpLayout rle = twoByTwo(8, {0x02, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x01});
    rle.compression = 1;
    struct Case {
        const char* what;
        BmpLayout layout;
    };
    for (const Case& c : {Case{"run-length", rle}, Case{"24 bits", twoByTwo(24, {255, 0, 0, 255, 255, 255, 0, 0,
                                                                                     0, 0, 255, 0, 255, 0, 0, 0})}}) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file("picture.bmp");
        writeWholeFile(path, buildBmp(c.layout));
        const auto expected = gdi::LoadImage(path);
        ASSERT_TRUE(expected);
        auto rows = gdi::BmpRowReader::Open(path);
        ASSERT_TRUE(rows);
        BmpLayout small = twoByTwo(24, {1, 2, 3, 0});
        small.width = small.height = 1;
        writeWholeFile(dir.file("small.bmp"), buildBmp(small));
        ASSERT_EQ(std::rename(dir.file("small.bmp").c_str(), path.c_str()), 0);
        ASSERT_EQ(rows->Width(), 2);
        ASSERT_EQ(rows->Height(), 2);
        std::vector<std::uint8_t> row(6);
        for (int y = 0; y < 2; ++y) {
            ASSERT_TRUE(rows->ReadRow(y, row.data()));
            EXPECT_EQ(std::memcmp(row.data(), expected->Row(y), row.size()), 0) << y;
        }
    }
}

TEST(StatedBmpSize, ReadsTheHeadersSizeWithoutTheLoadersLimits) {
    struct Case {
        const char* what;
        std::uint32_t headerSize;
        std::int32_t width, height;
        int wantWidth, wantHeight;  // 0: none
    };
    const Case cases[] = {
        {"info header past the pixel limit", 40, 5000, 5000, 5000, 5000},
        {"top-down rows", 124, 40000, -3, 40000, 3},
        {"core header", 12, 300, 200, 300, 200},
        {"no width", 40, 0, 5, 0, 0},
        {"negative width", 40, -5, 5, 0, 0},
        {"no height", 40, 5, 0, 0, 0},
        {"unknown header", 20, 5, 5, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BmpLayout s;
        s.headerSize = c.headerSize;
        s.width = c.width;
        s.height = c.height;
        const auto size = gdi::StatedBmpSize(buildBmp(s));
        ASSERT_EQ(size.has_value(), c.wantWidth != 0);
        if (!size) continue;
        EXPECT_EQ(size->width, c.wantWidth);
        EXPECT_EQ(size->height, c.wantHeight);
    }
    // Every cut of the size fields reads as no size; the first bytes are all it takes.
    BmpLayout s;
    s.width = 5000;
    s.height = 5000;
    const auto file = buildBmp(s);
    for (std::size_t n = 0; n < gdi::kBmpSizeBytes; ++n)
        EXPECT_FALSE(gdi::StatedBmpSize(std::span(file.data(), n))) << n;
    EXPECT_TRUE(gdi::StatedBmpSize(std::span(file.data(), gdi::kBmpSizeBytes)));
}

namespace {
// A 3 x 2 drawing: top row red, green, blue; bottom row white, red, green.
std::unique_ptr<gdi::Bitmap> threeByTwo() {
    auto b = gdi::CreateCompatibleBitmap(3, 2);
    const COLORREF colours[] = {kRed, kGreen, kBlue, kWhite, kRed, kGreen};
    for (int i = 0; i < 6; ++i) b->SetPixel(i % 3, i / 3, colours[i]);
    return b;
}
}  // namespace

TEST(WriteBmpFile, WritesTheHeadersAndPaddedRowsBottomUp) {
    TempDir dir;
    const auto block = gdi::bitmapToPackedDib(*threeByTwo());
    ASSERT_TRUE(block);
    ASSERT_TRUE(gdi::writeBmpFile(dir.file("a.bmp"), *block, false));
    const std::vector<std::uint8_t> expected = {
        'B', 'M', 78, 0, 0, 0,  // signature, file size 14 + 40 + 2 rows of 12
        0, 0, 0, 0,             // reserved
        54, 0, 0, 0,            // rows at 14 + 40: no colour table at 24 bits
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0,  // header size, width, height (bottom-up)
        1, 0, 24, 0, 0, 0, 0, 0,              // planes, bits, BI_RGB
        24, 0, 0, 0,                          // image size
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // resolution, colours
        // Rows bottom first, blue-green-red, padded to 12 bytes with what the drawing's own rows
        // hold past their last pixel: white.
        255, 255, 255, 0, 0, 255, 0, 255, 0, 255, 255, 255,
        0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255,
    };
    EXPECT_EQ(readWholeFile(dir.file("a.bmp")), expected);
    const auto loaded = gdi::LoadImage(dir.file("a.bmp"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(pixelsOf(*loaded), pixelsOf(*threeByTwo()));
}

TEST(WriteBmpFile, KeepsAnExistingFileWithoutOverwrite) {
    TempDir dir;
    const auto block = gdi::bitmapToPackedDib(*threeByTwo());
    ASSERT_TRUE(block);
    writeWholeFile(dir.file("a.bmp"), {'o', 'l', 'd'});
    EXPECT_FALSE(gdi::writeBmpFile(dir.file("a.bmp"), *block, false));
    EXPECT_EQ(readWholeFile(dir.file("a.bmp")), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_TRUE(gdi::writeBmpFile(dir.file("a.bmp"), *block, true));
    EXPECT_EQ(readWholeFile(dir.file("a.bmp")).size(), 78u);
    EXPECT_FALSE(gdi::writeBmpFile(dir.file("b.bmp"), std::span(*block).first(39), true));  // no whole info header
}
