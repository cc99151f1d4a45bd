// Tests of `typehold fonts`, `convert` and `preview` with the installed DejaVu fonts.
#include "core/qz_fileio/PalmDb.h"
#include "platform/bytes/ByteOrder.h"
#include "support/SampleFonts.h"
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
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

namespace {
// A copy of DejaVu Sans whose names say family where they said "DejaVu" (as many characters).
void writeRenamedFont(const std::string& path, const std::u16string& family) {
    std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
    std::vector<std::uint8_t> font{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(font.size(), 12u);
    const auto utf16 = [](std::u16string_view text) {
        std::vector<std::uint8_t> out;
        for (const char16_t c : text) out.insert(out.end(), {std::uint8_t(c >> 8), std::uint8_t(c)});
        return out;
    };
    const auto from = utf16(u"DejaVu"), to = utf16(family);
    ASSERT_EQ(from.size(), to.size());
    for (std::size_t entry = 12; entry + 16 <= 12 + 16 * std::size_t(bytes::loadU16BE(&font[4])); entry += 16) {
        if (std::string(font.begin() + std::ptrdiff_t(entry), font.begin() + std::ptrdiff_t(entry) + 4) != "name") continue;
        const auto begin = font.begin() + std::ptrdiff_t(bytes::loadU32BE(&font[entry + 8]));
        const auto end = begin + std::ptrdiff_t(bytes::loadU32BE(&font[entry + 12]));
        for (auto at = begin; (at = std::search(at, end, from.begin(), from.end())) != end;)
            at = std::copy(to.begin(), to.end(), at);
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(font.data()), std::streamsize(font.size()));
}
}  // namespace

// Face names beyond ASCII print as UTF-8, converted once, in JSON and in the table; characters
// that the 8-bit face names cannot hold show as '?'.
TEST(TypeholdFonts, FaceNamesBeyondAsciiPrintAsUtf8) {
    const struct {
        std::u16string family;
        std::string face;
    } cases[] = {
        {u"D\u00E9j\u00E0Vu", "D\xC3\xA9j\xC3\xA0Vu Sans"},
        {u"\u00FF\u00C6\u00D8\u00C5\u00D0\u00FE", "\xC3\xBF\xC3\x86\xC3\x98\xC3\x85\xC3\x90\xC3\xBE Sans"},
        {u"\u0414\u0435\u0436\u0430Vu", "????Vu Sans"},
    };
    TempDir dir;
    std::filesystem::create_directories(dir.file("fonts"));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        writeRenamedFont(dir.file("fonts/" + std::to_string(i) + ".ttf"), cases[i].family);
    std::ofstream(dir.file("fonts.conf")) << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << dir.file("fonts")
                                          << "</dir><cachedir>" << dir.file("cache") << "</cachedir></fontconfig>\n";
    const std::string tool = "FONTCONFIG_FILE=" + dir.file("fonts.conf") + " " + TYPEHOLD_BIN;
    const ToolRun json = runTool(tool, "fonts --charset 0 --json", dir.path());
    const ToolRun table = runTool(tool, "fonts --charset 0", dir.path());
    ASSERT_EQ(json.exitCode, 0) << json.err;
    ASSERT_EQ(table.exitCode, 0) << table.err;
    std::set<std::string> faces;
    for (const auto& f : jsonLines(json.out)) faces.insert(f["face"].get<std::string>());
    EXPECT_EQ(faces.size(), std::size(cases));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.face);
        EXPECT_TRUE(faces.contains(c.face));
        EXPECT_NE(table.out.find("\n" + c.face + "                     Western"), std::string::npos) << table.out;
    }
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
