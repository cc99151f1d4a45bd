// Tests of the handheld store's index of names: after every kind of change it must agree with
// what reading every file finds.
#include "palmdesk/HandheldStore.h"

#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/PalmDb.h"
#include "platform/win/FileCalls.h"
#include "support/CraftedDatabases.h"
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

namespace {
std::string headerNameOf(const std::string& file) {
    const auto bytes = readWholeFile(file);
    return std::string(reinterpret_cast<const char*>(bytes.data()));
}
}  // namespace

TEST(HandheldStoreIndex, AFileHoldingAnotherNameIsNeverWrittenOverOrRemoved) {
    struct Case {
        const char* what;
        bool indexFirst;  // the index is built before the hand-placed file appears: it is stale
    };
    for (const Case& c : {Case{"hand-placed before", false}, Case{"placed behind the index's back", true}}) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        palmdesk::HandheldStore store(dir.path());
        ASSERT_TRUE(store.Store(*database("Moon")));
        if (c.indexFirst) {
            ASSERT_TRUE(store.Find("Moon"));
        }
        // Moon.pdb now holds the database Sunset.
        writeWholeFile(store.FileFor("Moon"), database("Sunset")->ToBytes());
        ASSERT_TRUE(store.Store(*database("Moon", 0x62706D63)));
        EXPECT_EQ(headerNameOf(store.FileFor("Moon")), "Sunset");
        EXPECT_EQ(headerNameOf(dir.file("Moon (2).pdb")), "Moon");
        EXPECT_EQ(palmdesk::HandheldStore(dir.path()).Find("Sunset")->file, store.FileFor("Moon"));
        EXPECT_EQ(palmdesk::HandheldStore(dir.path()).Find("Moon")->type, 0x62706D63u);
        // Removing Moon takes its own file only.
        EXPECT_TRUE(store.Remove("Moon"));
        EXPECT_EQ(scanned(dir.path()), (std::map<std::string, std::string>{{"Sunset", store.FileFor("Moon")}}));
    }
}

TEST(HandheldStoreIndex, ARemovalDeferredUntilTheReplacementOrTheEnd) {
    TempDir dir;
    palmdesk::HandheldStore maker(dir.path());
    for (const char* name : {"Kept", "Replaced", "Failed", "Gone"}) ASSERT_TRUE(maker.Store(*database(name)));
    palmdesk::HandheldStore store(dir.path());
    store.DeferRemovals();
    for (const char* name : {"Replaced", "Failed", "Gone"}) ASSERT_TRUE(store.Remove(name));
    // Gone from the store, still on the disk.
    EXPECT_FALSE(store.Find("Gone"));
    EXPECT_EQ(store.List().size(), 1u);
    EXPECT_EQ(scanned(dir.path()).size(), 4u);
    // Stored again in place by a rename; a replacement that cannot be written brings the old back.
    ASSERT_TRUE(store.Store(*database("Replaced", 0x62706D63)));
    EXPECT_EQ(store.Find("Replaced")->type, 0x62706D63u);
    EXPECT_EQ(store.Find("Replaced")->file, store.FileFor("Replaced"));
    auto tooBig = database("Failed");
    for (std::uint32_t i = 0; i < 65536; ++i) {
        qz_gen::CDbRecord r;
        ASSERT_EQ(r.SetData(1, std::vector<std::uint8_t>{1}.data()), qz_gen::kDbOk);
        ASSERT_EQ(tooBig->AddRecord(r), qz_gen::kDbOk);
    }
    EXPECT_FALSE(store.Store(*tooBig));
    EXPECT_TRUE(store.Find("Failed"));
    EXPECT_EQ(store.FinishRemovals(), std::vector<std::string>{});
    EXPECT_EQ(scanned(dir.path()), store.IndexedFiles());
    EXPECT_EQ(scanned(dir.path()).size(), 3u);
    EXPECT_FALSE(palmdesk::HandheldStore(dir.path()).Find("Gone"));
}

TEST(HandheldStoreGapless, ADatabaseWithoutTheGapIsStoredWithOffsetsThatRead) {
    auto db = database("Gapless");
    const std::vector<std::uint8_t> info = {0, 12, 0, 0, 0, 3};
    ASSERT_EQ(db->SetAppInfo(static_cast<std::uint32_t>(info.size()), info.data()), qz_gen::kDbOk);
    for (std::uint8_t i = 1; i <= 3; ++i) {
        qz_gen::CDbRecord r;
        ASSERT_EQ(r.SetData(i, std::vector<std::uint8_t>(i, i).data()), qz_gen::kDbOk);
        r.SetUniqueID(i);
        ASSERT_EQ(db->AddRecord(r), qz_gen::kDbOk);
    }
    db->SetLayoutFields();
    const auto gapless = palmdesk::ParsePalmDatabase(withoutGap(*db));
    ASSERT_TRUE(gapless);
    TempDir dir;
    palmdesk::HandheldStore store(dir.path());
    ASSERT_TRUE(store.Store(*gapless));
    EXPECT_EQ(readWholeFile(store.FileFor("Gapless")), db->ToBytes());
}

TEST(HandheldStoreFind, TellsWhatALoadWouldFindFromTheHeaderAndList) {
    // A list longer than one first read of the header, a record that lies past the end of its
    // file, and a list that runs past it.
    struct Case {
        const char* name;
        std::uint32_t records;
        int damage;  // 0 none, 1 the last record's offset past the end, 2 the count past the list
    };
    const Case cases[] = {{"Plain", 3, 0}, {"Long", 600, 0}, {"Past", 3, 1}, {"Short", 3, 2}, {"Empty", 0, 0}};
    TempDir dir;
    const std::string folder = dir.path();
    for (const auto& c : cases) {
        auto db = database(c.name);
        for (std::uint32_t i = 0; i < c.records; ++i) {
            qz_gen::CDbRecord record;
            ASSERT_EQ(record.SetData(2, std::vector<std::uint8_t>(2, static_cast<std::uint8_t>(i)).data()), qz_gen::kDbOk);
            ASSERT_EQ(db->AddRecord(record), qz_gen::kDbOk);
        }
        db->SetLayoutFields();
        auto bytes = db->ToBytes();
        const std::size_t last = 78 + 8 * (c.records - 1);
        if (c.damage == 1) bytes[last] = 0x7F;
        if (c.damage == 2) bytes[76] = 0x40;
        writeWholeFile(palmdesk::HandheldStore(folder).FileFor(c.name), bytes);
    }
    palmdesk::HandheldStore store(folder);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = store.Find(c.name);
        const auto loaded = store.Load(c.name);
        ASSERT_EQ(found.has_value(), loaded != nullptr);
        if (!found) continue;
        EXPECT_EQ(found->records, c.records);
        EXPECT_EQ(found->records, loaded->LiveCount());
        EXPECT_EQ(found->size, 78u + 2 + 10u * c.records);
    }
    EXPECT_TRUE(store.Find("Long"));
    EXPECT_FALSE(store.Find("Past"));
}

TEST(HandheldStoreCommit, OneFlushServesEveryFileAndAFailedOneFallsBackFileByFile) {
    struct Case {
        const char* what;
        bool failFirst;
        int calls;  // flushes Commit makes for three files
    };
    const Case cases[] = {{"one flush", false, 1}, {"the flush fails", true, 1 + 3 + 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string folder = dir.path() + "/card0";
        palmdesk::HandheldStore store(folder);
        store.DeferFlush();
        for (const char* name : {"One", "Two", "Three"}) ASSERT_TRUE(store.Store(*database(name)));
        win::InjectFileFault(win::FileCall::Fsync, c.failFirst ? 1 : 1000);
        EXPECT_EQ(store.Commit(0), std::vector<std::string>{});
        EXPECT_EQ(win::FileCallCount(win::FileCall::Fsync), c.calls);
        win::ClearFileFaults();
    }
}
