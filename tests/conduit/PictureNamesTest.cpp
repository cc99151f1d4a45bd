// Tests of the picture names: handheld names (Windows-1252 bytes) to file names and back.
#include "conduit/PictureNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(PictureNames, HandheldNamesBecomeFileNamesThatComeBack) {
    struct Case {
        std::string name, file;
    };
    const std::vector<Case> cases = {
        {"Sunset", "Sunset"},
        {"100% sure", "100% sure"},           // a "%" that starts no escape stays
        {"My%20Photo", "My%20Photo"},         // nor does one whose digits stand for a safe byte
        {"a/b", "a%2Fb"},
        {"a%2Fb", "a%252Fb"},                 // would read as "a/b" otherwise
        {"%25", "%2525"},
        {"..", "%2E."},
        {".", "%2E"},
        {".hidden", ".hidden"},
        {"%2E", "%252E"},
        {"c:*?\"<>|\\", "c%3A%2A%3F%22%3C%3E%7C%5C"},
        {"tab\there", "tab%09here"},
        {"Caf\xE9", "Caf\u00e9"},
        {"\x80 \xFF", "\u20ac \u00ff"},
        {"x\x81y\x9D", "x%81y%9D"},            // bytes without a character
        // characters Windows-1252 lacks, kept as the escapes of their UTF-8 bytes
        {"%E6%97%A5%E6%9C%AC%E8%AA%9E", "\u65e5\u672c\u8a9e"},
        {"Zapf %E2%9C%93", "Zapf \u2713"},
        {"%C3%A9", "%C3%A9"},                 // é is in the code page: no such run
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(FileNameForDatabase(c.name), c.file);
        EXPECT_EQ(DatabaseNameFromFile(c.file), c.name);
    }
}

TEST(PictureNames, FileNamesTheEncoderDoesNotMakeAreTakenLiterally) {
    struct Case {
        std::string file, name;
    };
    const std::vector<Case> cases = {
        {"%2Efoo", "%2Efoo"},       // ".foo" would be written without the escape
        {"a%2fb", "a%2fb"},         // escapes are upper case
        {"x%4", "x%4"},
        {"a:b", "a:b"},             // a name this desktop holds but the encoder escapes
        {"Cr\u00e8me", "Cr\xE8me"},
        {"\u65e5\u672c", "%E6%97%A5%E6%9C%AC"},  // no Windows-1252 form: escaped UTF-8
        {"\xC3(", "\xC3("},                    // not UTF-8: the bytes
        {std::string(40, 'c'), std::string(31, 'c')},
        {std::string(30, 'e') + "\u00e9\u00e9", std::string(30, 'e') + "\xE9"},
        {std::string(30, 'j') + "\u65e5", std::string(30, 'j')},  // not cut inside a character
        {std::string(20, 'k') + "\u65e5\u672c", std::string(20, 'k') + "%E6%97%A5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(DatabaseNameFromFile(c.file), c.name);
    }
}
