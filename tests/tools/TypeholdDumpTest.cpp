// Tests of `typehold dump` and `typehold sample` through the installed binary.
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {
ToolRun typehold(const std::string& args, const TempDir& dir) { return runTool(TYPEHOLD_BIN, args, dir.path()); }
}  // namespace

TEST(TypeholdDump, ContainerOfTheSampleFile) {
    TempDir dir;
    const auto pdb = dir.file("sample.pdb");
    ASSERT_EQ(typehold("sample " + pdb, dir).exitCode, 0);
    const ToolRun run = typehold("dump " + pdb, dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["name"], "Typehold Sample");
    EXPECT_EQ(j["type"], "xFnt");
    EXPECT_EQ(j["creator"], "FMGR");
    EXPECT_EQ(j["resource"], false);
    EXPECT_EQ(j["numRecords"], 2);
    ASSERT_EQ(j["records"].size(), 2u);
    EXPECT_EQ(j["records"][0]["offset"], 96);
    EXPECT_EQ(j["records"][1]["uniqueID"], 2);
    EXPECT_TRUE(j["resources"].empty());
    const std::size_t keys = j.size();
    EXPECT_EQ(keys, 19u);
}

TEST(TypeholdDump, FontRecordsOfBothLayouts) {
    TempDir dir;
    const auto pdb = dir.file("sample.pdb");
    ASSERT_EQ(typehold("sample " + pdb, dir).exitCode, 0);
    const auto single = nlohmann::json::parse(typehold("dump " + pdb + " --font 0", dir).out);
    EXPECT_EQ(single["fontType"], 0x0090);
    EXPECT_EQ(single["count"], 11);
    EXPECT_EQ(single["locationTable"].size(), 12u);
    EXPECT_FALSE(single.contains("densities"));
    const auto two = nlohmann::json::parse(typehold("dump " + pdb + " --font 1", dir).out);
    EXPECT_EQ(two["fontType"], 0x9200);
    EXPECT_EQ(two["owTLoc"], 11 + 14);
    EXPECT_EQ(two["densities"][1]["density"], 144);
    EXPECT_EQ(two["offsetWidth"][0], nlohmann::json::array({0, 4}));
}

TEST(TypeholdDump, RawRecordIsTheRecordsBytes) {
    TempDir dir;
    const auto pdb = dir.file("sample.pdb");
    ASSERT_EQ(typehold("sample " + pdb, dir).exitCode, 0);
    const ToolRun run = typehold("dump " + pdb + " --record 0 --raw", dir);
    ASSERT_EQ(run.exitCode, 0);
    const auto file = readWholeFile(pdb);
    ASSERT_EQ(run.out.size(), 133u);
    EXPECT_TRUE(std::equal(run.out.begin(), run.out.end(), file.begin() + 96, [](char a, std::uint8_t b) {
        return static_cast<std::uint8_t>(a) == b;
    }));
}

TEST(TypeholdDump, ErrorsAreOneLineNamingTheFile) {
    TempDir dir;
    writeWholeFile(dir.file("short.pdb"), std::vector<std::uint8_t>(40, 0));
    writeWholeFile(dir.file("empty.pdb"), {});
    struct Case {
        std::string args;
        std::string line;
    };
    const Case cases[] = {
        {"dump " + dir.file("absent.pdb"), "typehold: " + dir.file("absent.pdb") + ": no such file\n"},
        {"dump " + dir.file("short.pdb"), "typehold: " + dir.file("short.pdb") + ": not a Palm database: it is shorter than a database header\n"},
        {"dump " + dir.file("empty.pdb"), "typehold: " + dir.file("empty.pdb") + ": not a Palm database: it is empty\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun run = typehold(c.args, dir);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, c.line);
        EXPECT_TRUE(run.out.empty());
    }
    const auto pdb = dir.file("sample.pdb");
    ASSERT_EQ(typehold("sample " + pdb, dir).exitCode, 0);
    EXPECT_EQ(typehold("dump " + pdb + " --font 5", dir).err, "typehold: " + pdb + ": no record in slot 5\n");
}

TEST(TypeholdSample, WritesThroughASymbolicLinkAndRefusesAReadOnlyFile) {
    TempDir dir;
    const auto target = dir.file("real.pdb");
    const auto link = dir.file("link.pdb");
    writeWholeFile(target, {1, 2, 3});
    ASSERT_EQ(::symlink("real.pdb", link.c_str()), 0);
    EXPECT_EQ(typehold("sample " + link, dir).exitCode, 1);  // an existing file only with --overwrite
    ASSERT_EQ(typehold("sample " + link + " --overwrite", dir).exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    const ToolRun run = typehold("dump " + target, dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["numRecords"], 2);

    const auto readOnly = dir.file("readonly.pdb");
    writeWholeFile(readOnly, {1, 2, 3});
    ::chmod(readOnly.c_str(), 0444);
    const ToolRun refused = typehold("sample " + readOnly + " --overwrite", dir);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "typehold: " + readOnly + ": You may not write to " + readOnly +
                               ", or not read it. Check its permissions and those of " +
                               readOnly.substr(0, readOnly.find_last_of('/')) + ".\n");
    EXPECT_EQ(readWholeFile(readOnly), (std::vector<std::uint8_t>{1, 2, 3}));
}
