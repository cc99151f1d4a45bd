// Tests of `typehold list`, `rename`, `delete` and `merge` on real files.
#include "core/qz_fileio/PalmDb.h"
#include "support/CraftedDatabases.h"
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace {
ToolRun typehold(const std::string& args, const TempDir& dir) { return runTool(TYPEHOLD_BIN, args, dir.path()); }

std::vector<nlohmann::json> listJson(const std::string& file, const TempDir& dir) {
    const ToolRun run = typehold("list " + file + " --json", dir);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<nlohmann::json> fonts;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) fonts.push_back(nlohmann::json::parse(line));
    return fonts;
}

std::string sample(const TempDir& dir, const std::string& name = "sample.pdb") {
    const auto path = dir.file(name);
    EXPECT_EQ(typehold("sample " + path, dir).exitCode, 0);
    return path;
}
}  // namespace

TEST(TypeholdList, ShowsTheFontsInSortedOrder) {
    TempDir dir;
    const auto path = sample(dir);
    ASSERT_EQ(typehold("rename " + path + " 1 --name aardvark", dir).exitCode, 0);
    const auto fonts = listJson(path, dir);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0]["name"], "aardvark");
    EXPECT_EQ(fonts[0]["style"], "B");
    EXPECT_EQ(fonts[0]["highDensity"], true);
    EXPECT_EQ(fonts[0]["slot"], 1);
    EXPECT_EQ(fonts[0]["uniqueID"], 2);
    EXPECT_EQ(fonts[1]["name"], "Sample Digits");
    EXPECT_EQ(fonts[1]["headerOnly"], false);
    EXPECT_EQ(fonts[1]["size"], 6);
    const ToolRun text = typehold("list " + path, dir);
    EXPECT_NE(text.out.find("aardvark"), std::string::npos);
    EXPECT_LT(text.out.find("aardvark"), text.out.find("Sample Digits"));
}

TEST(TypeholdRename, EnforcesTheNameAndStyleLimitsAndLeavesTheFileOnRefusal) {
    struct Case {
        std::string args;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {"--name " + std::string(63, 'n') + " --style " + std::string(31, 's'), 0, ""},
        {"--name " + std::string(64, 'n'), 1, "The font name can not exceed 63 characters!"},
        {"--style " + std::string(32, 's'), 1, "The font style can not exceed 31 characters!"},
        {"--name " + std::string(64, 'n') + " --style " + std::string(32, 's'), 1,
         "The font name can not exceed 63 characters!"},
        {"--name " + std::string(62, 'n') + "\u00e9", 0, ""},  // 63 bytes in Windows-1252
        {"--name " + std::string(63, 'n') + "\u00e9", 1, "The font name can not exceed 63 characters!"},
        {"--name '\u65e5\u672c'", 1,
         "The font name can not hold the character \"\u65e5\" (U+65E5): the handheld's code page 1252 has no such "
         "character."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        TempDir dir;
        const auto path = sample(dir);
        const auto before = readWholeFile(path);
        const ToolRun run = typehold("rename " + path + " 0 " + c.args, dir);
        EXPECT_EQ(run.exitCode, c.exitCode);
        if (c.exitCode != 0) {
            EXPECT_EQ(run.err, "typehold: " + path + ": " + c.err + "\n");
            EXPECT_EQ(readWholeFile(path), before);
        }
    }
}

// Names are Windows-1252 in the file and UTF-8 on the command line, both ways.
TEST(TypeholdRename, KeepsNamesInTheHandheldsCodePage) {
    TempDir dir;
    const auto path = sample(dir);
    ASSERT_EQ(typehold("rename " + path + " 0 --name 'Cr\u00e8me Br\u00fbl\u00e9e' --style '\u20ac'", dir).exitCode, 0);
    const auto fonts = listJson(path, dir);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0]["name"], "Cr\u00e8me Br\u00fbl\u00e9e");
    EXPECT_EQ(fonts[0]["style"], "\u20ac");
    const ToolRun dump = typehold("dump " + path + " --record " + std::to_string(int(fonts[0]["slot"])), dir);
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    // "Crème" as Windows-1252: C r E8 m e.
    EXPECT_NE(dump.out.find("4372e86d65"), std::string::npos);
    // The text list keeps its columns: the style starts at the same place as for an ASCII name.
    const ToolRun text = typehold("list " + path, dir);
    std::istringstream lines(text.out);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first.find("\u20ac"), 32u + 3u);  // three letters take two bytes each
    EXPECT_EQ(second.substr(31, 1), " ");
}

TEST(TypeholdDelete, RemovesTheListedFontsOrNothing) {
    TempDir dir;
    const auto path = sample(dir);
    const auto before = readWholeFile(path);
    const ToolRun bad = typehold("delete " + path + " 0 2", dir);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err, "typehold: " + path + ": no font at index 2 (the file lists 2)\n");
    EXPECT_EQ(readWholeFile(path), before);
    ASSERT_EQ(typehold("delete " + path + " 1", dir).exitCode, 0);
    const auto fonts = listJson(path, dir);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0]["style"], "");
    ASSERT_EQ(typehold("delete " + path + " 0", dir).exitCode, 0);
    EXPECT_EQ(readWholeFile(path).size(), 80u);
}

TEST(TypeholdMerge, CopiesEveryFontWithDistinctIDs) {
    TempDir dir;
    const auto a = sample(dir, "a.pdb");
    const auto b = sample(dir, "b.pdb");
    const auto out = dir.file("merged.pdb");
    const ToolRun run = typehold("merge " + out + " " + a + " " + b, dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto fonts = listJson(out, dir);
    ASSERT_EQ(fonts.size(), 4u);
    std::set<int> ids;
    for (const auto& f : fonts) ids.insert(f["uniqueID"].get<int>());
    EXPECT_EQ(ids, (std::set<int>{1, 2, 3, 4}));
    EXPECT_EQ(fonts[0]["style"], "");
    EXPECT_EQ(fonts[1]["style"], "");
    EXPECT_EQ(fonts[2]["style"], "B");
}

TEST(TypeholdMerge, RefusesAnInputThatIsNotATypeholdFile) {
    TempDir dir;
    const auto out = sample(dir, "out.pdb");
    const auto before = readWholeFile(out);
    writeWholeFile(dir.file("junk.pdb"), std::vector<std::uint8_t>(100, 0));
    const ToolRun run = typehold("merge " + out + " " + dir.file("junk.pdb"), dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "typehold: " + dir.file("junk.pdb") +
                           ": not a Typehold file: a Palm database of type ????, creator ???? (a Typehold file has type "
                           "xFnt, creator FMGR)\n");
    EXPECT_EQ(readWholeFile(out), before);
}

TEST(TypeholdMerge, MergeAndConvertStopBeforeTheFileWouldPass65535Records) {
    TempDir dir;
    std::vector<qz_gen::CDbRecord> records;
    for (std::uint32_t id = 1; id <= qz_gen::CPalmDb::kMaxRecords; ++id) records.push_back(deletedRecordWithID(id));
    const auto out = dir.file("full.pdb");
    writeWholeFile(out, typeholdFile(records));
    const auto before = readWholeFile(out);
    const std::string commands[] = {
        "merge " + out + " " + sample(dir),
        "convert " + out + " --font 'DejaVu Sans' --sizes 9 --styles regular --no-hires",
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command);
        const ToolRun run = typehold(command, dir);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("typehold: " + out +
                               ": A Typehold file holds at most 65,535 records; no more fonts can be added.\n"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(readWholeFile(out), before);
    }
}

TEST(TypeholdMerge, KeepsAnAppInfoBlockPastItsBuffer) {
    TempDir dir;
    const auto out = dir.file("block.pdb");
    writeWholeFile(out, typeholdFile({fontRecordWithID("A", 1), fontRecordWithID("B", 2)}, 65521));
    const ToolRun run = typehold("merge " + out + " " + sample(dir), dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto fonts = listJson(out, dir);
    EXPECT_EQ(fonts.size(), 4u);
    qz_gen::CPalmDb back;
    ASSERT_EQ(back.ReadFromBytes(readWholeFile(out)), 0);
    EXPECT_EQ(std::vector<std::uint8_t>(back.AppInfo().begin(), back.AppInfo().end()), craftedAppInfo(65521));
}
