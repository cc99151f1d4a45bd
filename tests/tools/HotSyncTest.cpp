// Tests of hotsync: installing the queue into the handheld store, conduit registration, and the
// sync type each conduit receives.
#include "core/qz_fileio/PalmDb.h"
#include "support/CraftedDatabases.h"
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
ToolRun hotsync(const std::string& args, const TempDir& dir) { return runTool(HOTSYNC_BIN, args, dir.path()); }
ToolRun typehold(const std::string& args, const TempDir& dir) { return runTool(TYPEHOLD_BIN, args, dir.path()); }

struct Desktop {
    Desktop() {
        EXPECT_EQ(hotsync("init", dir).exitCode, 0);
        EXPECT_EQ(hotsync("user add Ann", dir).exitCode, 0);
    }
    std::string queue() const { return dir.path() + "/palmdesk/Users/Ann/Install"; }
    TempDir dir;
};
}  // namespace

TEST(HotSyncSync, DeliversTheQueueByteForByteAndKeepsInvalidFiles) {
    Desktop d;
    const auto pdb = d.dir.file("Fonts.pdb");
    ASSERT_EQ(typehold("sample " + pdb, d.dir).exitCode, 0);
    ASSERT_EQ(typehold("install " + pdb, d.dir).exitCode, 0);
    writeWholeFile(d.queue() + "/junk.pdb", {1, 2, 3});
    const ToolRun run = hotsync("sync --user Ann", d.dir);
    ASSERT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.out.find("HotSync: junk.pdb is not a Palm database; it stays queued (hotsync queue --user \"Ann\" --remove \"junk.pdb\" withdraws it)."), std::string::npos);
    EXPECT_TRUE(run.out.ends_with("\nHotSync completed with 1 problem (see the lines above).\n")) << run.out;
    EXPECT_EQ(hotsync("queue --user Ann", d.dir).out, "junk.pdb\n");
    ASSERT_EQ(hotsync("store --user Ann --export 'Typehold Sample' -o " + d.dir.file("out.pdb"), d.dir).exitCode, 0);
    EXPECT_EQ(readWholeFile(d.dir.file("out.pdb")), readWholeFile(pdb));
    EXPECT_NE(hotsync("store --user Ann", d.dir).out.find("Typehold Sample"), std::string::npos);
}

// Names on the handheld are Windows-1252; the lists print UTF-8 and keep their columns.
TEST(HotSyncSync, StoreAndUserListPrintUtf8InAlignedColumns) {
    Desktop d;
    ASSERT_EQ(hotsync("user add 'J\u00fcrgen'", d.dir).exitCode, 0);
    const auto sample = d.dir.file("sample.pdb");
    const auto pdb = d.dir.file("Cr\u00e8me.pdb");
    ASSERT_EQ(typehold("sample " + sample, d.dir).exitCode, 0);
    ASSERT_EQ(typehold("merge '" + pdb + "' " + sample, d.dir).exitCode, 0);
    ASSERT_EQ(hotsync("store --user Ann --import '" + pdb + "' " + sample, d.dir).exitCode, 0);
    const std::string store = hotsync("store --user Ann", d.dir).out;
    const auto creme = store.find("Cr\u00e8me ");
    ASSERT_NE(creme, std::string::npos) << store;
    const auto lineOf = [](const std::string& text, std::size_t at) {
        const auto start = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
        return text.substr(start, text.find('\n', at) - start);
    };
    const std::string cremeLine = lineOf(store, creme), sampleLine = lineOf(store, store.find("Typehold Sample"));
    EXPECT_EQ(cremeLine.find("xFnt"), sampleLine.find("xFnt") + 1);  // "è" is two bytes, one column
    const std::string users = hotsync("user list", d.dir).out;
    ASSERT_NE(users.find("J\u00fcrgen"), std::string::npos) << users;
    EXPECT_EQ(lineOf(users, users.find("J\u00fcrgen")).size(), lineOf(users, users.find("Ann")).size() + 1);
}

// A conduit installed beside hotsync registers by its file name alone, from any folder.
TEST(HotSyncRegister, FindsAConduitBesideItselfByFileName) {
    Desktop d;
    const std::string module = PICTSYNC_MODULE;
    const std::string file = module.substr(module.find_last_of('/') + 1);
    const ToolRun run = hotsync("register " + file, d.dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "registered " + file + " for DrAw\n");
    const std::string listed = hotsync("conduits", d.dir).out;
    EXPECT_EQ(listed.rfind("DrAw  type ", 0), 0u) << listed;
    EXPECT_NE(listed.find("  " + file + "  "), std::string::npos) << listed;
    EXPECT_NE(hotsync("register no-such-conduit.so", d.dir).exitCode, 0);
}

TEST(HotSyncSync, ConduitsGetTheChosenSyncType) {
    Desktop d;
    const std::string record = d.dir.file("types.txt");
    ToolRun run = hotsync(std::string("register ") + RECORDING_CONDUIT, d.dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(hotsync("conduits", d.dir).out.find("TeSt  type 1  recording_conduit.so"), std::string::npos);
    const std::string env = "RECORDING_CONDUIT_OUT='" + record + "' ";
    const auto sync = [&](const std::string& extra) { return runTool(env + HOTSYNC_BIN, "sync --user Ann " + extra, d.dir.path()); };
    ASSERT_EQ(sync("--type hh").exitCode, 0);
    ASSERT_EQ(hotsync("action TeSt --user Ann --permanent pc-overwrites --next nothing", d.dir).exitCode, 0);
    ASSERT_EQ(sync("").exitCode, 0);  // the next action, once
    run = sync("");                   // then the permanent one
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("Recording conduit: sync type 3."), std::string::npos);
    ASSERT_EQ(hotsync("action TeSt --user Ann --permanent sync", d.dir).exitCode, 0);
    ASSERT_EQ(sync("").exitCode, 0);
    const auto types = readWholeFile(record);
    EXPECT_EQ(std::string(types.begin(), types.end()), "2\n6\n3\n0\n");
    EXPECT_NE(hotsync("store --user Ann", d.dir).out.find("Recorded"), std::string::npos);
    EXPECT_EQ(hotsync(std::string("unregister ") + RECORDING_CONDUIT, d.dir).exitCode, 0);
    EXPECT_EQ(hotsync("conduits", d.dir).out, "");
}

TEST(HotSyncSync, ReRegisteringReplacesTheOldRegistration) {
    Desktop d;
    ASSERT_EQ(hotsync(std::string("register ") + RECORDING_CONDUIT, d.dir).exitCode, 0);
    ASSERT_EQ(hotsync(std::string("register ") + RECORDING_CONDUIT, d.dir).exitCode, 0);
    EXPECT_EQ(hotsync("action TeSt --user Ann --next sideways", d.dir).exitCode, 1);
}

TEST(HotSyncStore, DatabasesWithoutTheGapAreImportedAndInstalledIntact) {
    Desktop d;
    qz_gen::CPalmDb db;
    db.SetName("Gapless");
    db.Header().type = 0x44415441;
    const std::vector<std::uint8_t> info = {0, 12, 0, 0, 0, 9};
    db.SetAppInfo(static_cast<std::uint32_t>(info.size()), info.data());
    for (std::uint8_t i = 1; i <= 2; ++i) {
        qz_gen::CDbRecord r;
        r.SetData(4, std::vector<std::uint8_t>(4, i).data());
        r.SetUniqueID(i);
        db.AddRecord(r);
    }
    db.SetLayoutFields();
    writeWholeFile(d.dir.file("gapless.pdb"), withoutGap(db));
    ToolRun run = hotsync("store --user Ann --import " + d.dir.file("gapless.pdb"), d.dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(hotsync("store --user Ann --export Gapless -o " + d.dir.file("imported.pdb"), d.dir).exitCode, 0);
    EXPECT_EQ(readWholeFile(d.dir.file("imported.pdb")), db.ToBytes());

    db.SetName("Queued");
    writeWholeFile(d.queue() + "/queued.pdb", withoutGap(db));
    run = hotsync("sync --user Ann", d.dir);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(hotsync("queue --user Ann", d.dir).out, "");
    ASSERT_EQ(hotsync("store --user Ann --export Queued -o " + d.dir.file("installed.pdb"), d.dir).exitCode, 0);
    EXPECT_EQ(readWholeFile(d.dir.file("installed.pdb")), db.ToBytes());
}
