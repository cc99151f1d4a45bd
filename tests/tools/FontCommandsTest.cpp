// Tests of `typehold fonts`, `convert` and `preview` with the installed DejaVu fonts.
#include "core/qz_fileio/PalmDb.h"
#include "platform/bytes/ByteOrder.h"
#include "support/SampleFonts.h"
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {
ToolRun typehold(const std::string& args, const TempDir& dir) { return runTool(TYPEHOLD_BIN, args, dir.path()); }

std::vector<nlohmann::json> jsonLines(const std::string& text) {
    std::vector<nlohmann::json> out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) out.push_back(nlohmann::json::parse(line));
    return out;
}
}  // namespace

TEST(TypeholdFonts, ListsDejaVuSansByScript) {
    TempDir dir;
    const ToolRun run = typehold("fonts --charset 204 --json", dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    bool found = false;
    for (const auto& f : jsonLines(run.out)) {
        EXPECT_EQ(f["charSet"], 204);
        if (f["face"] == "DejaVu Sans") {
            found = true;
            EXPECT_EQ(f["script"], "Cyrillic");
        }
    }
    EXPECT_TRUE(found);
}

TEST(TypeholdConvert, MakesSortedRecordsAndAddsToAnExistingFile) {
    TempDir dir;
    const auto pdb = dir.file("fonts.pdb");
    ToolRun run = typehold("convert " + pdb + " --font 'DejaVu Sans' --sizes 12,9 --styles bold,regular --no-hires", dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto fonts = jsonLines(typehold("list " + pdb + " --json", dir).out);
    ASSERT_EQ(fonts.size(), 4u);
    EXPECT_EQ(fonts[0]["size"], 9);
    EXPECT_EQ(fonts[0]["style"], "");
    EXPECT_EQ(fonts[1]["size"], 12);
    EXPECT_EQ(fonts[2]["style"], "B");
    EXPECT_EQ(fonts[0]["highDensity"], false);
    run = typehold("convert " + pdb + " --font 'DejaVu Serif' --sizes 10 --styles italic", dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    fonts = jsonLines(typehold("list " + pdb + " --json", dir).out);
    ASSERT_EQ(fonts.size(), 5u);
    EXPECT_EQ(fonts[4]["name"], "DejaVu Serif");
    EXPECT_EQ(fonts[4]["style"], "I");
    EXPECT_EQ(fonts[4]["highDensity"], true);
    EXPECT_EQ(fonts[4]["uniqueID"], 5);
}

TEST(TypeholdConvert, ConvertsSizesInAscendingOrderAndRepeatsNothing) {
    TempDir dir;
    const auto pdb = dir.file("fonts.pdb");
    const ToolRun run =
        typehold("convert " + pdb + " --font 'DejaVu Sans' --font 'dejavu sans' --sizes 12,9,12,9 --styles regular --no-hires", dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "converted 2 fonts into " + pdb + "\n");
    const auto fonts = jsonLines(typehold("list " + pdb + " --json", dir).out);
    ASSERT_EQ(fonts.size(), 2u);
    // Records take their unique IDs in the order they were converted.
    EXPECT_EQ(fonts[0]["size"], 9);
    EXPECT_EQ(fonts[0]["uniqueID"], 1);
    EXPECT_EQ(fonts[1]["size"], 12);
    EXPECT_EQ(fonts[1]["uniqueID"], 2);
}

TEST(TypeholdConvert, RefusalsNameTheirCauseAndLeaveTheFile) {
    TempDir dir;
    const auto pdb = dir.file("fonts.pdb");
    ASSERT_EQ(typehold("convert " + pdb + " --font 'DejaVu Sans' --sizes 9 --styles regular", dir).exitCode, 0);
    const auto before = readWholeFile(pdb);
    struct Case {
        std::string args;
        std::string message;
    };
    const Case cases[] = {
        {"--font 'No Such Face'", "no installed TrueType font \"No Such Face\" with character set 0 (see typehold fonts)"},
        {"--font 'DejaVu Sans' --sizes 255 --styles regular --no-hires",
         "DejaVu Sans 255 pt Regular: character 137 is 316 pixels wide; a Palm font holds at most 255"},
        {"--font 'DejaVu Sans' --styles heavy", "unknown style \"heavy\" (regular, bold, italic, bolditalic)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun run = typehold("convert " + pdb + " " + c.args, dir);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "typehold: " + pdb + ": " + c.message + "\n");
        EXPECT_EQ(readWholeFile(pdb), before);
    }
    EXPECT_NE(typehold("convert " + dir.file("new.pdb") + " --font 'No Such Face'", dir).exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.pdb")));
}

// A combination too large for a handheld record is skipped: the file holds the others, the
// skipped one is named on a line of its own and the exit status says not everything was made.
TEST(TypeholdConvert, SkipsATooLargeCombinationAndKeepsTheRest) {
    TempDir dir;
    const auto pdb = dir.file("fonts.pdb");
    const ToolRun run = typehold("convert " + pdb + " --font 'DejaVu Sans' --sizes 24,25,26 --styles bolditalic --hires", dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("typehold: " + pdb + ": skipped DejaVu Sans Bold Italic 25 pt: the record would be 69,677 "
                           "bytes, too large for a handheld record (at most 65,505)\n"),
              std::string::npos)
        << run.err;
    const ToolRun list = typehold("list " + pdb + " --json", dir);
    ASSERT_EQ(list.exitCode, 0);
    EXPECT_NE(list.out.find("\"size\":24"), std::string::npos);
    EXPECT_EQ(list.out.find("\"size\":25"), std::string::npos);
}

TEST(TypeholdPreview, WritesAPngOfTheStrikesAndSampleText) {
    TempDir dir;
    const auto pdb = dir.file("fonts.pdb");
    ASSERT_EQ(typehold("convert " + pdb + " --font 'DejaVu Sans' --sizes 12 --styles regular", dir).exitCode, 0);
    const ToolRun run = typehold("preview " + pdb + " -o " + dir.file("p.png"), dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto png = readWholeFile(dir.file("p.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(std::vector<std::uint8_t>(png.begin(), png.begin() + 4), (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G'}));
    const auto width = static_cast<int>(bytes::loadU32BE(&png[16]));
    const auto height = static_cast<int>(bytes::loadU32BE(&png[20]));
    // Two framed 320 x 320 screens side by side below the character grids.
    EXPECT_GE(width, 2 * 322 + 3 * 8);
    EXPECT_GT(height, 322 + 16 * 22);
    EXPECT_LT(width, 1600);
    EXPECT_EQ(typehold("preview " + pdb + " --entry 3 -o " + dir.file("q.png"), dir).err,
              "typehold: " + pdb + ": no font at index 3 (the file lists 1)\n");
}

// A record that parses but whose cell is 0xFFFF rows tall is refused by name before anything is
// sized from it, and no picture is written.
TEST(TypeholdPreview, RefusesARecordNoHandheldCouldHold) {
    TempDir dir;
    std::vector<std::uint8_t> record = Serialise(tinyFont(false, "Tall")).value();
    record[24] = 0xFF;  // fRectHeight
    record[25] = 0xFF;
    record[34] = 0x00;  // rowWords 0, so that the strike needs no bytes
    record[35] = 0x00;
    qz_gen::CPalmDb db;
    db.SetName("Tall");
    db.Header().type = 0x78466E74;     // xFnt
    db.Header().creator = 0x464D4752;  // FMGR
    qz_gen::CDbRecord r;
    ASSERT_EQ(r.SetData(static_cast<std::uint32_t>(record.size()), record.data()), 0);
    ASSERT_EQ(db.AddRecord(r), 0);
    db.SetLayoutFields();
    const auto pdb = dir.file("tall.pdb");
    writeWholeFile(pdb, db.ToBytes());
    const ToolRun run = typehold("preview " + pdb + " -o " + dir.file("p.png"), dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "typehold: " + pdb + ": font \"Tall\" (9 pt): cell height 65535 is outside the handheld's 1 to 160 rows\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("p.png")));
}
