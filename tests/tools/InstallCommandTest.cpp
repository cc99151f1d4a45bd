// Tests of hotsync's desktop set-up and `typehold install` through the real install aide.
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

namespace {
ToolRun typehold(const std::string& args, const TempDir& dir) { return runTool(TYPEHOLD_BIN, args, dir.path()); }
ToolRun hotsync(const std::string& args, const TempDir& dir) { return runTool(HOTSYNC_BIN, args, dir.path()); }

std::string sample(const TempDir& dir) {
    const auto path = dir.file("Fonts.pdb");
    EXPECT_EQ(typehold("sample " + path, dir).exitCode, 0);
    return path;
}
}  // namespace

TEST(TypeholdInstall, QueuesForTheNamedOrTheOnlyUser) {
    TempDir dir;
    ASSERT_EQ(hotsync("init", dir).exitCode, 0);
    ASSERT_EQ(hotsync("user add 'Demo User'", dir).exitCode, 0);
    const auto pdb = sample(dir);
    ToolRun run = typehold("install " + pdb, dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "The font file \"Fonts.pdb\" will be installed on your handheld during the next HotSync!\n");
    EXPECT_EQ(hotsync("queue --user 'Demo User'", dir).out, "Fonts.pdb\n");

    ASSERT_EQ(hotsync("user add Second", dir).exitCode, 0);
    writeWholeFile(dir.file("answer.txt"), {'2', '\n'});
    run = typehold("install " + pdb + " < " + dir.file("answer.txt"), dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("1  Demo User"), std::string::npos);
    EXPECT_EQ(hotsync("queue --user Second", dir).out, "Fonts.pdb\n");
    run = typehold("install " + pdb + " --user Nobody", dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "typehold: " + pdb + ": no Palm user \"Nobody\" (see hotsync user list)\n");
}

TEST(TypeholdInstall, RefusesWithoutTheAideOrWithoutUsers) {
    TempDir dir;
    const auto pdb = sample(dir);
    ToolRun run = typehold("install " + pdb, dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "typehold: " + pdb +
                           ": Can not load the Instaide.dll. The program can not run. Please contact your program vendor. "
                           "Run hotsync init first to set up the Palm desktop.\n");
    ASSERT_EQ(hotsync("init", dir).exitCode, 0);
    ASSERT_EQ(hotsync("user add Template --profile", dir).exitCode, 0);
    run = typehold("install " + pdb, dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "typehold: " + pdb +
                           ": There are no any Palm users. Please check the users in your Palm desktop manager. "
                           "Add one with hotsync user add NAME.\n");
}

TEST(Hotsync, RefusesUserNamesThatAreNotFolderNames) {
    TempDir dir;
    ASSERT_EQ(hotsync("init", dir).exitCode, 0);
    for (const char* name : {"'../escape'", "'a/b'", "''", "'..'"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(hotsync(std::string("user add ") + name, dir).exitCode, 1);
    }
    EXPECT_EQ(hotsync("user list", dir).out, "");
}
