// Tests of loading the install aide, reading the Palm users and installing, with the desktop's
// real install aide (Instaide.so) and a broken one.
#include "app/PalmUser.h"

#include "app/InstallAide.h"
#include "core/FontDoc.h"
#include "core/qz_fileio/Exception.h"
#include "palmdesk/UserStore.h"
#include "platform/win/Registry.h"
#include "support/DesktopSandbox.h"
#include "support/SampleFonts.h"
#include "support/ScriptedDocumentUi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {
void setHotSyncPath(const std::string& value, win::DWORD type = win::REG_SZ) {
    DesktopSandbox::RecordHotSyncPath(value, type);
}

struct ScriptedChooser final : UserChooser {
    std::optional<PalmUser> Choose(const PalmUserList& users) override {
        ++asked;
        if (!answer) return std::nullopt;
        return users[*answer];
    }
    int asked = 0;
    std::optional<std::size_t> answer = 1;
};

using ModulePtr = std::unique_ptr<win::ModuleHandle, bool (*)(win::HMODULE)>;

ModulePtr loadAide() {
    setHotSyncPath(std::string(PALMDESK_BIN_DIR) + "/hotsync");
    return ModulePtr(LoadInstallAide().module, win::FreeLibrary);
}
}  // namespace

TEST(InstallAide, LoadsFromTheHotSyncFolderOnlyWithAStringPath) {
    DesktopSandbox sandbox;
    EXPECT_FALSE(LoadInstallAide().module);  // no HotSyncPath
    setHotSyncPath(std::string(PALMDESK_BIN_DIR) + "/hotsync", win::REG_BINARY);
    EXPECT_FALSE(LoadInstallAide().module);
    setHotSyncPath(sandbox.root() + "/nowhere/hotsync.exe");
    const auto missing = LoadInstallAide();
    EXPECT_FALSE(missing.module);
    EXPECT_EQ(missing.systemText.value_or(""), "The specified module could not be found.\r\n");
    const auto cwd = std::filesystem::current_path();
    auto aide = loadAide();
    EXPECT_TRUE(aide);
    EXPECT_EQ(std::filesystem::current_path(), cwd);
}

TEST(ReadPalmUsers, SkipsProfilesAndReportsMissingFunctions) {
    DesktopSandbox sandbox;
    palmdesk::UserStore store;
    ASSERT_TRUE(store.Add("Ann", false));
    ASSERT_TRUE(store.Add("Template", true));
    ASSERT_TRUE(store.Add("Bob", false));
    auto aide = loadAide();
    ASSERT_TRUE(aide);
    PalmUserList users;
    EXPECT_EQ(ReadPalmUsers(aide.get(), users), 2);
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[0].name, "Ann");
    EXPECT_EQ(users[0].id, store.Find("Ann")->id);
    EXPECT_EQ(users[1].name, "Bob");

    setHotSyncPath(std::string(BROKEN_AIDE_DIR) + "/hotsync");
    ModulePtr broken(LoadInstallAide().module, win::FreeLibrary);
    ASSERT_TRUE(broken);
    try {
        ReadPalmUsers(broken.get(), users);
        FAIL() << "no exception";
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        EXPECT_STREQ(e->GetMessage(), "The function PltGetUser is missing in the Instaide.dll. Please contact your program vendor.");
    }
    ::setenv("BROKEN_AIDE_COUNT", "-7", 1);
    try {
        ReadPalmUsers(broken.get(), users);
        FAIL() << "no exception";
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        EXPECT_STREQ(e->GetMessage(), "The function PltGetUserCount failed. The error code is -7. Please contact your program vendor.");
    }
    ::unsetenv("BROKEN_AIDE_COUNT");
}

TEST(InstallToHandheld, AsksOnceQueuesOnceAndKeepsTheQueuedCopy) {
    DesktopSandbox sandbox;
    palmdesk::UserStore store;
    ASSERT_TRUE(store.Add("Ann", false));
    ASSERT_TRUE(store.Add("Bob", false));
    auto aide = loadAide();
    ASSERT_TRUE(aide);
    PalmUserList users;
    ReadPalmUsers(aide.get(), users);

    ScriptedDocumentUi ui;
    CFontDoc doc(ui);
    doc.OnNewDocument("Untitled");
    doc.Fonts().AddConverted(tinyFont(false));
    ScriptedChooser chooser;
    EXPECT_FALSE(ui.Show(InstallToHandheld(doc, users, aide.get(), chooser)));  // never saved: nothing, silently
    EXPECT_TRUE(ui.messages.empty());
    const std::string path = sandbox.file("Fonts.pdb");
    ASSERT_TRUE(ui.Show(doc.DoSave(path, true)));
    ASSERT_TRUE(ui.Show(InstallToHandheld(doc, users, aide.get(), chooser)));
    ASSERT_TRUE(ui.Show(InstallToHandheld(doc, users, aide.get(), chooser)));
    EXPECT_EQ(chooser.asked, 1);
    EXPECT_EQ(doc.InstallUser().name, "Bob");
    EXPECT_EQ(store.Queue("Bob"), std::vector<std::string>{"Fonts.pdb"});
    EXPECT_TRUE(store.Queue("Ann").empty());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "The font file \"Fonts.pdb\" will be installed on your handheld during the next HotSync!");

    std::filesystem::remove(path);  // the caller's own copy goes; the queued one stays
    EXPECT_EQ(readWholeFile(store.InstallFolder("Bob") + "/Fonts.pdb").size() > 80, true);

    chooser.answer.reset();
    CFontDoc other(ui);
    ASSERT_TRUE(other.OnNewDocument("x"));
    ASSERT_TRUE(ui.Show(other.DoSave(sandbox.file("Other.pdb"), true)));
    EXPECT_FALSE(ui.Show(InstallToHandheld(other, users, aide.get(), chooser)));  // cancelled
    EXPECT_EQ(chooser.asked, 2);
}

// The users are read again at every Install: one added since start-up is offered, and a chosen
// one who has been removed is not used.
TEST(InstallToHandheld, ReadsTheUsersAgainEachTime) {
    DesktopSandbox sandbox;
    palmdesk::UserStore store;
    ASSERT_TRUE(store.Add("Ann", false));
    auto aide = loadAide();
    ASSERT_TRUE(aide);
    PalmUserList users;
    ReadPalmUsers(aide.get(), users);  // as start-up read them: Ann alone
    ScriptedDocumentUi ui;
    CFontDoc doc(ui);
    doc.OnNewDocument("x");
    ASSERT_TRUE(ui.Show(doc.DoSave(sandbox.file("Fonts.pdb"), true)));

    ASSERT_TRUE(store.Add("Bob", false));  // added while the converter runs
    ScriptedChooser chooser;              // answers Bob
    ASSERT_TRUE(ui.Show(InstallToHandheld(doc, users, aide.get(), chooser)));
    EXPECT_EQ(chooser.asked, 1);
    EXPECT_EQ(users.size(), 2u);
    EXPECT_EQ(store.Queue("Bob"), std::vector<std::string>{"Fonts.pdb"});

    std::filesystem::remove_all(store.UserFolder("Bob"));  // the chosen user is gone: the one left is taken
    ASSERT_TRUE(ui.Show(InstallToHandheld(doc, users, aide.get(), chooser)));
    EXPECT_EQ(chooser.asked, 1);
    EXPECT_EQ(doc.InstallUser().name, "Ann");
    EXPECT_EQ(store.Queue("Ann"), std::vector<std::string>{"Fonts.pdb"});

    std::filesystem::remove_all(store.UserFolder("Ann"));  // nobody left
    ui.messages.clear();
    EXPECT_FALSE(ui.Show(InstallToHandheld(doc, users, aide.get(), chooser)));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "There are no any Palm users. Please check the users in your Palm desktop manager.");
}

TEST(InstallToHandheld, OneUserIsTakenWithoutAsking) {
    DesktopSandbox sandbox;
    palmdesk::UserStore store;
    ASSERT_TRUE(store.Add("Solo", false));
    auto aide = loadAide();
    PalmUserList users;
    ReadPalmUsers(aide.get(), users);
    ScriptedDocumentUi ui;
    CFontDoc doc(ui);
    doc.OnNewDocument("x");
    ASSERT_TRUE(ui.Show(doc.DoSave(sandbox.file("solo.pdb"), true)));
    ScriptedChooser chooser;
    ASSERT_TRUE(ui.Show(InstallToHandheld(doc, users, aide.get(), chooser)));
    EXPECT_EQ(chooser.asked, 0);
    EXPECT_EQ(store.Queue("Solo"), std::vector<std::string>{"solo.pdb"});
}
