// Tests of the code-page text conversion: names in the handheld's code page and the desktop's
// UTF-8, both ways, without loss and without replacement characters.
#include "platform/gdi/CodePages.h"

#include <gtest/gtest.h>

#include <string>

using gdi::CodePageFromUtf8;
using gdi::CodePageToUtf8;

TEST(CodePageText, ConvertsBothWays) {
    const struct {
        const char* what;
        std::uint32_t codePage;
        std::string bytes;  // in the code page
        std::string utf8;
    } cases[] = {
        {"ASCII", 1252, "Arial", "Arial"},
        {"cp1252 letters", 1252, "Cr\xE8me Br\xFBl\xE9\x65", "Crème Brûlée"},
        {"cp1252 punctuation", 1252, "\x80 \x93quoted\x94", "€ “quoted”"},
        {"Shift-JIS", 932, "\x96\xBE\x92\xA9 Mincho", "明朝 Mincho"},
        {"GBK", 936, "\xCB\xCE\xCC\xE5", "宋体"},
        {"Korean", 949, "\xB1\xBC\xB8\xB2", "굴림"},
        {"Big5", 950, "\xB7\x73\xB2\xD3\xA9\xFA", "新細明"},
        {"empty", 1252, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CodePageToUtf8(c.bytes, c.codePage), c.utf8);
        const auto back = CodePageFromUtf8(c.utf8, c.codePage);
        ASSERT_TRUE(back.ok);
        EXPECT_EQ(back.bytes, c.bytes);
    }
}

TEST(CodePageText, RefusesACharacterTheCodePageLacksAndNamesIt) {
    const struct {
        std::uint32_t codePage;
        std::string utf8;
        std::uint32_t missing;
    } cases[] = {
        {1252, "日本語", 0x65E5},
        {1252, "Zapf \xE2\x9C\x93", 0x2713},
        {932, "ΑΒΓ é", 0xE9},                   // Greek capitals are in Shift-JIS, é is not
        {1252, "bad \xC3", gdi::kNoCharacter},  // cut UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        const auto encoded = CodePageFromUtf8(c.utf8, c.codePage);
        EXPECT_FALSE(encoded.ok);
        EXPECT_EQ(encoded.missing, c.missing);
    }
    EXPECT_EQ(gdi::DescribeCharacter(0x65E5), "\"日\" (U+65E5)");
}

// Every byte string comes back unchanged, even bytes that stand for no character: a name read
// from a file survives being shown and edited.
TEST(CodePageText, EveryByteSurvivesTheTripThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    for (const std::uint32_t codePage : {1252u, 932u, 936u, 949u, 950u}) {
        SCOPED_TRACE(codePage);
        for (const std::string& bytes : {all, std::string("\x81\x20\x82"), std::string("A\x82")}) {
            const std::string utf8 = CodePageToUtf8(bytes, codePage);
            const auto back = CodePageFromUtf8(utf8, codePage);
            ASSERT_TRUE(back.ok);
            EXPECT_EQ(back.bytes, bytes);
            EXPECT_TRUE(CodePageFromUtf8(utf8, codePage).ok);  // valid UTF-8 throughout
        }
    }
    // Bytes cp1252 leaves unassigned are shown as private-use characters, never U+FFFD.
    EXPECT_EQ(CodePageToUtf8("\x81", 1252), "\xEF\x9E\x81");
}

// The glyph tables behind every script's records: letters of a code page with combining marks
// are characters of their own, as are the marks.
TEST(CodePageTables, EveryScriptMapsItsLettersAndMarks) {
    struct Case {
        std::uint32_t codePage;
        std::uint8_t byte;
        std::uint32_t unicode;
    };
    const Case cases[] = {
        {1252, 'x', 'x'},      {1252, 0x80, 0x20AC}, {1258, 'x', 'x'},      {1258, 'A', 'A'},
        {1258, 0xC3, 0x0102},  {1258, 0xEC, 0x0301}, {1258, 0xF5, 0x01A1},  {1251, 0xC0, 0x0410},
        {1253, 0xE1, 0x03B1},  {1254, 0xF0, 0x011F}, {1255, 0xE0, 0x05D0},  {1256, 0xC7, 0x0627},
        {1257, 0xE0, 0x0105},  {1250, 0x9A, 0x0161}, {874, 0xA1, 0x0E01},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.codePage << " byte " << int(c.byte));
        EXPECT_EQ(gdi::ByteToUnicode(c.codePage)[c.byte], c.unicode);
    }
    // Every letter of ASCII in every single-byte script.
    for (const std::uint32_t codePage : {874u, 1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u, 1257u, 1258u})
        for (std::uint32_t b = 'A'; b <= 'z'; ++b) EXPECT_EQ(gdi::ByteToUnicode(codePage)[b], b) << codePage << " " << b;
}
