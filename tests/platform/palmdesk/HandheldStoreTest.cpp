// Tests of the handheld store's index of names: after every kind of change it must agree with
// what reading every file finds.
#include "platform/palmdesk/HandheldStore.h"

#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/PalmDb.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {
std::unique_ptr<qz_gen::CPalmDb> database(const std::string& name, std::uint32_t type = 0x62706D66) {
    auto db = std::make_unique<qz_gen::CPalmDb>();
    db->SetName(name);
    db->Header().type = type;
    db->Header().creator = 0x44724177;
    db->SetLayoutFields();
    return db;
}

std::map<std::string, std::string> scanned(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& db : palmdesk::HandheldStore(folder).List()) out.emplace(db.name, db.file);
    return out;
}
}  // namespace

TEST(HandheldStoreIndex, AgreesWithAFullScanAfterCreatesAndDeletes) {
    TempDir dir;
    const std::string folder = dir.path() + "/card0";
    {
        palmdesk::HandheldStore first(folder);
        for (const char* name : {"Pre1", "Pre2", "a/b", ".dot"}) ASSERT_TRUE(first.Store(*database(name)));
    }
    // Made by hand: a database under a file name of its own, a file too short for a header, a
    // header with no name, and a file that is no database.
    const auto bytes = database("Imported")->ToBytes();
    writeWholeFile(folder + "/zz-by-hand.pdb", bytes);
    writeWholeFile(folder + "/short.pdb", {'S', 'h', 'o', 'r', 't', 0});
    writeWholeFile(folder + "/noname.pdb", database("")->ToBytes());
    writeWholeFile(folder + "/notes.txt", bytes);

    palmdesk::HandheldStore store(folder);
    EXPECT_EQ(store.IndexedFiles(), scanned(folder));  // built from the headers
    ASSERT_TRUE(store.Find("Imported"));
    EXPECT_EQ(store.Find("Imported")->file, folder + "/zz-by-hand.pdb");

    struct Step {
        const char* what;
        bool store;  // else remove
        const char* name;
    };
    const Step steps[] = {
        {"new", true, "Fresh"},         {"replaced in place", true, "Pre1"},
        {"removed", false, "Pre2"},     {"imported one rewritten under its own file name", true, "Imported"},
        {"escaped name removed", false, "a/b"}, {"removed, then made again", false, "Fresh"},
        {"made again", true, "Fresh"},   {"missing", false, "Never"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.store) ASSERT_TRUE(store.Store(*database(step.name, 0x62706D63)));
        else store.Remove(step.name);
        EXPECT_EQ(store.IndexedFiles(), scanned(folder));
    }
    EXPECT_FALSE(store.Find("Pre2"));
    EXPECT_FALSE(store.Load("Never"));
    ASSERT_TRUE(store.Find("Imported"));
    EXPECT_EQ(store.Find("Imported")->file, store.FileFor("Imported"));
    EXPECT_EQ(store.Find("Pre1")->type, 0x62706D63u);
}

TEST(HandheldStoreIndex, TheFileTheNameGivesWinsOverACopyUnderAnotherName) {
    TempDir dir;
    const std::string folder = dir.path();
    palmdesk::HandheldStore maker(folder);
    ASSERT_TRUE(maker.Store(*database("Twice")));
    writeWholeFile(folder + "/A-copy.pdb", database("Twice", 0x62706D63)->ToBytes());  // sorts first
    palmdesk::HandheldStore store(folder);
    ASSERT_TRUE(store.Find("Twice"));
    EXPECT_EQ(store.Find("Twice")->file, store.FileFor("Twice"));
    EXPECT_EQ(store.Find("Twice")->type, 0x62706D66u);
}

TEST(HandheldStoreIndex, ACopyThatReadsStandsInForADamagedFileOfTheName) {
    TempDir dir;
    const std::string folder = dir.path();
    auto bytes = database("Twice")->ToBytes();
    bytes[76] = 0x7F;  // a record count whose list runs past the end of the file
    palmdesk::HandheldStore maker(folder);
    writeWholeFile(maker.FileFor("Twice"), bytes);
    writeWholeFile(folder + "/copy.pdb", database("Twice", 0x62706D63)->ToBytes());
    palmdesk::HandheldStore store(folder);
    ASSERT_TRUE(store.Find("Twice"));
    EXPECT_EQ(store.Find("Twice")->file, folder + "/copy.pdb");
    EXPECT_EQ(scanned(folder).at("Twice"), folder + "/copy.pdb");
}

TEST(HandheldStoreList, DescribesEachDatabaseFromItsHeaderAndLeavesOutFilesThatDoNotRead) {
    TempDir dir;
    const std::string folder = dir.path() + "/card0";
    palmdesk::HandheldStore store(folder);
    auto three = database("Three");
    for (std::uint8_t i = 0; i < 3; ++i) {
        qz_gen::CDbRecord record;
        ASSERT_EQ(record.SetData(4, std::vector<std::uint8_t>(4, i).data()), qz_gen::kDbOk);
        ASSERT_EQ(three->AddRecord(record), qz_gen::kDbOk);
    }
    three->SetLayoutFields();
    ASSERT_TRUE(store.Store(*three));
    // A list that points past the end of its file: the file does not read.
    auto bytes = database("Cut")->ToBytes();
    bytes[77] = 1;
    writeWholeFile(folder + "/cut.pdb", bytes);

    const auto listed = store.List();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, "Three");
    EXPECT_EQ(listed[0].records, 3u);
    EXPECT_EQ(listed[0].size, 78u + 3 * 8 + 2 + 3 * 4);
    EXPECT_EQ(listed[0].creator, 0x44724177u);
}
