// Tests of reading a face's family name from its font file's 'name' table: which record wins,
// collections, and every file the reader must leave undecided rather than guess.
#include "platform/gdi/NameTable.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

namespace {
void putU16(Bytes& b, unsigned v) {
    b.push_back(std::uint8_t(v >> 8));
    b.push_back(std::uint8_t(v));
}
void putU32(Bytes& b, std::uint32_t v) {
    putU16(b, v >> 16);
    putU16(b, v & 0xFFFF);
}

struct Record {
    unsigned platform, language, nameId;
    std::u16string text;
};

// A 'name' table of format 0 holding records in order, their strings one after the other.
Bytes nameTable(const std::vector<Record>& records) {
    Bytes table, storage;
    putU16(table, 0);                                         // format
    putU16(table, unsigned(records.size()));                  // count
    putU16(table, unsigned(6 + 12 * records.size()));         // storage offset
    for (const auto& r : records) {
        putU16(table, r.platform);
        putU16(table, r.platform == 3 ? 1 : 0);               // encoding
        putU16(table, r.language);
        putU16(table, r.nameId);
        putU16(table, unsigned(2 * r.text.size()));           // length
        putU16(table, unsigned(storage.size()));              // offset
        for (const char16_t c : r.text) putU16(storage, c);
    }
    table.insert(table.end(), storage.begin(), storage.end());
    return table;
}

// A table directory at directory (from the file's start) for one face whose tables follow it.
void putFace(Bytes& file, std::uint32_t version, const std::vector<std::pair<std::uint32_t, Bytes>>& tables) {
    const std::size_t directory = file.size();
    putU32(file, version);
    putU16(file, unsigned(tables.size()));
    putU16(file, 0), putU16(file, 0), putU16(file, 0);        // search fields, unread
    std::size_t at = directory + 12 + 16 * tables.size();
    for (const auto& [tag, bytes] : tables) {
        putU32(file, tag);
        putU32(file, 0);                                      // checksum, unread
        putU32(file, std::uint32_t(at));
        putU32(file, std::uint32_t(bytes.size()));
        at += bytes.size();
    }
    for (const auto& [tag, bytes] : tables) file.insert(file.end(), bytes.begin(), bytes.end());
}

constexpr std::uint32_t kName = 0x6E616D65, kHead = 0x68656164;

Bytes fontWithNames(const std::vector<Record>& records, std::uint32_t version = 0x00010000) {
    Bytes file;
    putFace(file, version, {{kHead, Bytes(54, 0)}, {kName, nameTable(records)}});
    return file;
}
}  // namespace

TEST(NameTableFamily, WhichRecordNamesTheFamily) {
    const std::u16string longName(40, u'x');
    const struct {
        const char* what;
        std::vector<Record> records;
        std::optional<std::string> family;
    } cases[] = {
        {"US English", {{3, 0x409, 1, u"Sans"}}, "Sans"},
        {"US English before an earlier language", {{3, 0x407, 1, u"Serifenlos"}, {3, 0x409, 1, u"Sans"}}, "Sans"},
        {"the first language without US English", {{3, 0x407, 1, u"Serifenlos"}, {3, 0x40C, 1, u"Sans"}}, "Serifenlos"},
        {"other name IDs and platforms are not the family",
         {{1, 0, 1, u"Mac"}, {3, 0x409, 4, u"Sans Bold"}, {3, 0x409, 16, u"Typo"}, {3, 0x409, 1, u"Sans"}}, "Sans"},
        {"past Latin-1 as '?'", {{3, 0x409, 1, u"Caf\u00E9 \u660E"}}, "Caf\xE9 ?"},
        {"cut to 31 bytes", {{3, 0x409, 1, longName}}, std::string(31, 'x')},
        {"no Windows family name: FreeType names it", {{1, 0, 1, u"Mac"}}, std::nullopt},
        {"an empty US English name: FreeType names it", {{3, 0x409, 1, u""}}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(gdi::NameTableFamily(fontWithNames(c.records), 0), c.family);
    }
    EXPECT_EQ(gdi::NameTableFamily(fontWithNames({{3, 0x409, 1, u"Sans"}}, 0x4F54544F), 0), "Sans");  // 'OTTO'
    EXPECT_EQ(gdi::NameTableFamily(fontWithNames({{3, 0x409, 1, u"Sans"}}), 1), std::nullopt);
}

TEST(NameTableFamily, FacesOfACollection) {
    Bytes file;
    putU32(file, 0x74746366);  // 'ttcf'
    putU32(file, 0x00010000);
    putU32(file, 2);
    putU32(file, 0), putU32(file, 0);  // directory offsets, set below
    const auto setOffset = [&](std::size_t slot) {
        const auto at = std::uint32_t(file.size());
        for (int i = 0; i < 4; ++i) file[12 + 4 * slot + std::size_t(i)] = std::uint8_t(at >> (24 - 8 * i));
    };
    setOffset(0);
    putFace(file, 0x00010000, {{kName, nameTable({{3, 0x409, 1, u"Mincho"}})}});
    setOffset(1);
    putFace(file, 0x00010000, {{kName, nameTable({{3, 0x409, 1, u"Gothic"}})}});
    EXPECT_EQ(gdi::NameTableFamily(file, 0), "Mincho");
    EXPECT_EQ(gdi::NameTableFamily(file, 1), "Gothic");
    EXPECT_EQ(gdi::NameTableFamily(file, 2), std::nullopt);
    EXPECT_EQ(gdi::NameTableFamily(file, -1), std::nullopt);
}

TEST(NameTableFamily, LeavesUndecidedWhatItCannotReadAsFreeTypeWould) {
    const Bytes good = fontWithNames({{3, 0x409, 1, u"Sans"}});
    const std::size_t nameRecord = 12 + 16;  // the second table record
    const struct {
        const char* what;
        std::size_t at;
        Bytes written;
    } damages[] = {
        {"not a font file", 0, {0x77}},
        {"the 'name' table runs past the file", nameRecord + 12, {0x7F}},
        {"the 'name' table starts past the file", nameRecord + 8, {0x7F}},
        {"an empty 'name' table", nameRecord + 15, {0x00}},
        {"a second 'name' table", 12, {'n', 'a', 'm', 'e'}},
        {"storage past the table", good.size() - 8 - 12 - 2, {0x7F}},
        {"a record's string past the storage", good.size() - 8 - 2, {0x10}},
        {"an unknown table format", good.size() - 8 - 12 - 6 + 1, {0x02}},
    };
    for (const auto& d : damages) {
        SCOPED_TRACE(d.what);
        Bytes bad = good;
        std::copy(d.written.begin(), d.written.end(), bad.begin() + std::ptrdiff_t(d.at));
        EXPECT_EQ(gdi::NameTableFamily(bad, 0), std::nullopt);
    }
    // Cut anywhere, the file is never read past its end and never names another family.
    for (std::size_t length = 0; length < good.size(); ++length) {
        SCOPED_TRACE(length);
        const auto family = gdi::NameTableFamily(std::span(good.data(), length), 0);
        EXPECT_TRUE(!family || *family == "Sans");
    }
    EXPECT_EQ(gdi::NameTableFamily(good, 0), "Sans");
}
