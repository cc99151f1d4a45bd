// Tests of the code-page-aware, case-insensitive comparison that sorts font names.
#include "core/MultibyteCompare.h"

#include <gtest/gtest.h>

TEST(CompareNoCase, OrdersAsTheFontListNeeds) {
    struct Case {
        const char* a;
        const char* b;
        std::uint32_t codePage;
        int sign;
    };
    const Case cases[] = {
        {"arial", "Courier", 1252, -1},
        {"ARIAL", "arial", 1252, 0},
        {"", "B", 1252, -1},
        {"Arial", "Arial Black", 1252, -1},
        {"a_b", "aB", 1252, -1},           // compared in lower case: '_' (0x5F) before 'b'
        {"\xC4rger", "\xE4rger", 1252, -1},  // only ASCII letters fold
        // Shift-JIS: the trail byte 0x41 ('A') of a double-byte character is not folded.
        {"\x83\x41", "\x83\x61", 932, -1},
        {"\x83\x41", "\x83\x41", 932, 0},
        // The same bytes in a single-byte code page fold the second byte.
        {"\x83\x41", "\x83\x61", 1252, 0},
        {"\xB1\x41", "\xB1\x61", 936, -1},
        {"\xB1\x41", "\xB1\x61", 949, -1},
        {"\xA4\x41", "\xA4\x61", 950, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        const int r = compareNoCase(c.a, c.b, c.codePage);
        EXPECT_EQ((r > 0) - (r < 0), c.sign);
        const int back = compareNoCase(c.b, c.a, c.codePage);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign);
    }
}
