// Tests of hotsync configure: the record a conduit's CfgConduit receives, and the action it
// answers with deciding the next synchronisation (temporary) or every one (permanent).
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

namespace {
struct Desktop {
    Desktop() {
        EXPECT_EQ(hotsync("init").exitCode, 0);
        EXPECT_EQ(hotsync("user add Ann").exitCode, 0);
        EXPECT_EQ(hotsync(std::string("register ") + SCRIPTED_CONDUIT).exitCode, 0);
    }
    ToolRun hotsync(const std::string& args, const std::string& env = "") const { return runTool(env + HOTSYNC_BIN, args, dir.path()); }
    ToolRun configure(const char* answer) const {
        std::string env = "SCRIPTED_CONDUIT_OUT='" + notes() + "' ";
        if (answer) env += "SCRIPTED_CONDUIT_ANSWER='" + std::string(answer) + "' ";
        return hotsync("configure ScRp --user Ann", env);
    }
    void sync() const { EXPECT_EQ(hotsync("sync --user Ann", "SCRIPTED_CONDUIT_OUT='" + notes() + "' ").exitCode, 0); }
    std::string notes() const { return dir.file("notes.txt"); }
    std::vector<std::string> takeNotes() const {
        const auto bytes = readWholeFile(notes());
        std::vector<std::string> lines;
        std::string line;
        for (const auto b : bytes) {
            if (b == '\n') lines.push_back(std::exchange(line, {}));
            else line.push_back(char(b));
        }
        std::remove(notes().c_str());
        return lines;
    }
    TempDir dir;
};
}  // namespace

TEST(HotSyncConfigure, TemporaryActionRunsOnceAndPermanentAlways) {
    Desktop d;
    ToolRun run = d.configure("3 2");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "ScRp for Ann: permanent sync, next pc-overwrites\n");
    d.sync();
    d.sync();
    auto notes = d.takeNotes();
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].rfind("configure type 0 size 352/352 version 1 creator 53635270 ", 0), 0u) << notes[0];
    EXPECT_NE(notes[0].find("user Ann permanent 0 temporary 0 preference 0"), std::string::npos);
    EXPECT_EQ(notes[1], "sync 3");
    EXPECT_EQ(notes[2], "sync 0");

    run = d.configure("2 1");
    EXPECT_EQ(run.out, "ScRp for Ann: permanent hh-overwrites, next (none)\n");
    d.sync();
    d.sync();
    notes = d.takeNotes();
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[1], "sync 2");
    EXPECT_EQ(notes[2], "sync 2");
}

TEST(HotSyncConfigure, TheDialogSeesTheActionsAndANewDefaultReplacesTheNextOne) {
    Desktop d;
    ASSERT_EQ(d.hotsync("action ScRp --user Ann --permanent pc-overwrites --next nothing").exitCode, 0);
    EXPECT_EQ(d.configure("0 1").out, "ScRp for Ann: permanent sync, next (none)\n");
    EXPECT_NE(d.takeNotes()[0].find("permanent 3 temporary 6 preference 0"), std::string::npos);
    d.sync();
    EXPECT_EQ(d.takeNotes(), std::vector<std::string>{"sync 0"});
}

TEST(HotSyncConfigure, LeavingTheDialogChangesNothing) {
    Desktop d;
    ASSERT_EQ(d.hotsync("action ScRp --user Ann --next hh-overwrites").exitCode, 0);
    const ToolRun run = d.configure(nullptr);
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "no action chosen\nScRp for Ann: permanent sync, next hh-overwrites\n");
}

TEST(HotSyncConfigure, RefusesUnknownUsersAndCreators) {
    Desktop d;
    ToolRun run = d.hotsync("configure ScRp --user Bo");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "hotsync: no user \"Bo\"\n");
    run = d.hotsync("configure XxXx --user Ann");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "hotsync: no conduit is registered for XxXx\n");
}

TEST(HotSyncConfigure, PictsyncWithoutADisplayLeavesTheActions) {
    Desktop d;
    ASSERT_EQ(d.hotsync(std::string("register ") + PICTSYNC_MODULE).exitCode, 0);
    const ToolRun run = d.hotsync("configure DrAw --user Ann", "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "no action chosen\nDrAw for Ann: permanent sync, next (none)\n");
    EXPECT_EQ(run.err, "Generic DrAw Conduit: The configuration dialog needs a display; nothing was changed.\n");
}
