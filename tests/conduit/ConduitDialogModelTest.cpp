// Tests of the configuration dialog's decisions without a window: what it shows for a record and
// settings, which keys each button writes and in what order, OK's record fields and refusals, the
// help page's place and the action pictures.
#include "conduit/ConduitDialogModel.h"
#include "conduit/ConduitSettings.h"
#include "palmdesk/ConduitRecords.h"
#include "resources/conduit/ActionPictures.h"
#include "resources/conduit/ConduitDialog.h"
#include "support/FakeSettingsFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace conduit;

namespace {
ConfigurationRecord makeRecord(std::uint32_t creator, const char* user, std::int32_t permanent, std::int32_t temporary) {
    ConfigurationRecord r{};
    r.version = 1;
    r.size = sizeof r;
    r.creator = creator;
    std::strncpy(r.userName, user, sizeof r.userName);
    r.permanentAction = permanent;
    r.temporaryAction = temporary;
    return r;
}

constexpr std::uint32_t kDrAw = 0x44724177;
}  // namespace

TEST(ConduitDialogModel, InitialStateFollowsSettingsAndRecord) {
    struct Case {
        const char* what;
        PictaroSettings settings;
        ConfigurationRecord record;
        bool depth, density, compression;
        int button;
        std::optional<std::string> userLine, permanent, temporary;
    };
    PictaroSettings odd;
    odd.acceptedDensity = 100;
    odd.acceptedDepth = 8;
    odd.acceptedCompression = 2;
    const Case cases[] = {
        {"defaults, no creator", {}, makeRecord(0, "Ann", 0, 0), true, true, true, kIdActionSync, {}, {}, {}},
        {"hand-edited numbers", odd, makeRecord(kDrAw, "Ann", 3, 2), false, false, false, kIdActionHandheldOverwrites,
         "Ann's Current Settings:", "Desktop overwrites Palm organizer.", "Palm organizer overwrites Desktop."},
        {"slow sync selects sync", {}, makeRecord(kDrAw, "Bo", 6, 1), true, true, true, kIdActionSync, "Bo's Current Settings:",
         "Do Nothing.", "Synchronize the files."},
        {"pc overwrites", {}, makeRecord(kDrAw, "Bo", 0, 3), true, true, true, kIdActionDesktopOverwrites,
         "Bo's Current Settings:", "Synchronize the files.", "Desktop overwrites Palm organizer."},
        {"unknown type", {}, makeRecord(kDrAw, "%s%n", 0, 99), true, true, true, kIdActionNothing,
         "%s%n's Current Settings:", "Synchronize the files.", "Do Nothing."},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.what);
        FakeSettingsFile file;
        const auto s = ConduitDialogModel(c.record, c.settings, file).initial();
        EXPECT_EQ(s.caption, "Generic DrAw Conduit");
        EXPECT_EQ(s.actionGroup, "HotSync Action for Pictaro");
        EXPECT_EQ(s.syncFolder, c.settings.syncDir);
        EXPECT_EQ(s.fontFolder, c.settings.fontDir);
        EXPECT_EQ(s.depth, c.depth);
        EXPECT_EQ(s.density, c.density);
        EXPECT_EQ(s.compression, c.compression);
        EXPECT_EQ(s.actionButton, c.button);
        EXPECT_EQ(s.userLine, c.userLine);
        EXPECT_EQ(s.permanentText, c.permanent);
        EXPECT_EQ(s.temporaryText, c.temporary);
        EXPECT_TRUE(file.writes.empty());
    }
}

TEST(ConduitDialogModel, AUserNameOfSixtyFourCharactersNeedsNoZero) {
    ConfigurationRecord r = makeRecord(kDrAw, "", 0, 0);
    std::memset(r.userName, 'x', sizeof r.userName);
    std::memset(r.pathName, 'y', sizeof r.pathName);
    PictaroSettings settings;
    FakeSettingsFile file;
    ConduitDialogModel model(r, settings, file);
    EXPECT_EQ(model.userName(), std::string(64, 'x'));
    EXPECT_EQ(model.initial().userLine, std::string(64, 'x') + "'s Current Settings:");
}

TEST(ConduitDialogModel, EachButtonWritesItsKeysInOrder) {
    ConfigurationRecord r = makeRecord(kDrAw, "Ann", 0, 0);
    PictaroSettings settings;
    settings.syncDir = "/srv/Pictaro";
    settings.fontDir = "/srv/fonts";
    FakeSettingsFile file;
    ConduitDialogModel model(r, settings, file);
    model.depthClicked(false);
    model.densityClicked(false);
    model.compressionClicked(false);
    model.depthClicked(true);
    EXPECT_EQ(model.syncFolderBrowsed(""), "/srv/Pictaro");             // cancelled: written unchanged
    EXPECT_EQ(model.syncFolderBrowsed("/home/ann/pictures"), "/home/ann/pictures");
    EXPECT_FALSE(model.fontFolderBrowsed(""));                          // cancelled: nothing
    EXPECT_TRUE(model.fontFolderBrowsed("/usr/share/fonts"));
    const std::vector<std::string> expected = {
        "AcceptedDepth=8",       "AcceptedDensity=72",           "AcceptedCompression=0",
        "AcceptedDepth=16",      "SyncDir=/srv/Pictaro",          "SyncDir=/home/ann/pictures",
        "TTFontDirectory=/usr/share/fonts",
    };
    EXPECT_EQ(file.writes, expected);
    EXPECT_EQ(settings.acceptedDepth, 16);
    EXPECT_EQ(settings.acceptedDensity, 72);
    EXPECT_EQ(settings.acceptedCompression, 0);
    EXPECT_EQ(settings.syncDir, "/home/ann/pictures");
    EXPECT_EQ(settings.fontDir, "/srv/fonts");  // taken only at OK
}

TEST(ConduitDialogModel, OkStoresTheRecordBeforeLookingAtTheFolders) {
    struct Case {
        const char* what;
        int button;
        bool setAsDefault;
        std::string sync, font;
        std::int32_t newAction, preference;
        std::optional<std::string> refusal;
        std::string syncAfter, fontAfter;
        std::vector<std::string> writes;
    };
    const std::string oldSync = "C:\\Pictaro", oldFont = "c:\\program files\\ferrowind\\pictaro";
    const Case cases[] = {
        {"accepted, temporary", kIdActionSync, false, "/p", "/f", 0, 2, {}, "/p", "/f", {"SyncDir=/p", "TTFontDirectory=/f"}},
        {"accepted, permanent", kIdActionDesktopOverwrites, true, "/p", "/f", 3, 1, {}, "/p", "/f",
         {"SyncDir=/p", "TTFontDirectory=/f"}},
        {"empty sync folder", kIdActionHandheldOverwrites, true, "", "/f", 2, 1,
         "Invalid path|Please enter a valid path!", oldSync, oldFont, {}},
        {"empty font folder", kIdActionNothing, false, "/p", "", 6, 2,
         "Invalid path|Please enter a valid path for font folder!", "/p", oldFont, {}},
        {"no button", -1, false, "/p", "/f", 6, 2, {}, "/p", "/f", {"SyncDir=/p", "TTFontDirectory=/f"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ConfigurationRecord r = makeRecord(kDrAw, "Ann", 0, 0);
        PictaroSettings settings;
        settings.syncDir = oldSync;
        settings.fontDir = oldFont;
        FakeSettingsFile file;
        const auto refusal = ConduitDialogModel(r, settings, file).ok(c.button, c.setAsDefault, c.sync, c.font);
        EXPECT_EQ(r.newAction, c.newAction);
        EXPECT_EQ(r.preference, c.preference);
        EXPECT_EQ(refusal ? std::optional(refusal->caption + "|" + refusal->text) : std::nullopt, c.refusal);
        EXPECT_EQ(settings.syncDir, c.syncAfter);
        EXPECT_EQ(settings.fontDir, c.fontAfter);
        EXPECT_EQ(file.writes, c.writes);
    }
}

TEST(ConduitDialogModel, FailedWritesChangeNothingElse) {
    ConfigurationRecord r = makeRecord(kDrAw, "Ann", 0, 0);
    PictaroSettings settings;
    FakeSettingsFile file;
    file.failWrites = true;
    ConduitDialogModel model(r, settings, file);
    model.depthClicked(false);
    EXPECT_FALSE(model.ok(kIdActionNothing, true, "/p", "/f"));
    EXPECT_EQ(settings.acceptedDepth, 8);
    EXPECT_EQ(settings.syncDir, "/p");
    EXPECT_EQ(r.newAction, 6);
    EXPECT_EQ(file.writes.size(), 3u);
}

TEST(ConduitDialogModel, HelpPageBesideTheModule) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"/opt/palm/pictsync.so", "/opt/palm/hotsync.html"},
        {"lib/pictsync.so", "lib/hotsync.html"},
        {"pictsync.so", std::nullopt},
        {"/pictsync.so", std::nullopt},  // the separator must lie past the first character
        {"", std::nullopt},
    };
    for (const auto& [module, help] : cases) {
        SCOPED_TRACE(module);
        EXPECT_EQ(ConduitDialogModel::helpFile(module), help);
    }
}

TEST(ConduitDialogModel, ButtonsAndActionsMapBothWays) {
    for (const int button : {kIdActionSync, kIdActionDesktopOverwrites, kIdActionHandheldOverwrites, kIdActionNothing})
        EXPECT_EQ(ConduitDialogModel::buttonForAction(ConduitDialogModel::actionForButton(button)), button);
}

TEST(ActionPictures, FourPicturesOnTheGroundTheDialogReplaces) {
    std::vector<std::vector<std::uint32_t>> pictures;
    for (const int id : {kBitmapSync, kBitmapDesktopOverwrites, kBitmapHandheldOverwrites, kBitmapNothing}) {
        SCOPED_TRACE(id);
        auto p = ActionPicture(id);
        ASSERT_EQ(p.size(), std::size_t(kActionPictureWidth * kActionPictureHeight));
        EXPECT_EQ(p.front(), kPictureGround);  // the corner is ground
        const auto mapped = MapPictureColour(p, kPictureGround, 0x123456);
        EXPECT_EQ(std::count(mapped.begin(), mapped.end(), kPictureGround), 0);
        EXPECT_EQ(std::count(mapped.begin(), mapped.end(), 0x123456u), std::count(p.begin(), p.end(), kPictureGround));
        for (const auto& other : pictures) EXPECT_NE(p, other);
        pictures.push_back(std::move(p));
    }
    EXPECT_TRUE(ActionPicture(107).empty());
    // Greyed parts have no black: the handheld of 104 and the computer of 105.
    const auto black = [](const std::vector<std::uint32_t>& p, int from, int to) {
        for (int y = 0; y < kActionPictureHeight; ++y)
            for (int x = from; x < to; ++x)
                if (p[std::size_t(y * kActionPictureWidth + x)] == 0) return true;
        return false;
    };
    EXPECT_TRUE(black(pictures[0], 0, 15));
    EXPECT_FALSE(black(pictures[1], 0, 15));
    EXPECT_TRUE(black(pictures[1], 28, 48));
    EXPECT_FALSE(black(pictures[2], 28, 48));
    EXPECT_FALSE(black(pictures[3], 0, 15));
    EXPECT_FALSE(black(pictures[3], 28, 48));
}

TEST(ConduitDialogModel, ARelativeFolderIsRefusedWithTheRecordAlreadySet) {
    ConfigurationRecord r = makeRecord(kDrAw, "Ann", 0, 0);
    PictaroSettings settings;
    FakeSettingsFile file;
    const auto refusal = ConduitDialogModel(r, settings, file).ok(kIdActionSync, false, "/p", "fonts");
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "Please enter a valid path for font folder!");
    EXPECT_EQ(r.newAction, 0);
}
