// Tests of the configuration dialog's decisions without a window: what it shows for a record and
// settings, which keys each button writes and in what order, OK's record fields and refusals, the
// help page's place, the action pictures, and the file choice of Install Fonts.
#include "conduit/ConduitDialogModel.h"
#include "conduit/ConduitMessages.h"
#include "conduit/ConduitPaths.h"
#include "conduit/ConduitSettings.h"
#include "conduit/FontWrapper.h"
#include "conduit/InstallFonts.h"
#include "palmdesk/ConduitRecords.h"
#include "palmdesk/UserStore.h"
#include "platform/win/DesktopRoot.h"
#include "platform/win/PrivateProfile.h"
#include "resources/conduit/ActionPictures.h"
#include "resources/conduit/ConduitDialog.h"
#include "support/DesktopSandbox.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

using namespace conduit;

namespace {
// Keeps every write in order; can refuse them all.
class RecordingSettingsFile final : public SettingsFile {
public:
    std::string read(const char* key, const std::string& fallback) const override {
        const auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    bool write(const char* key, const std::string& value) override {
        writes.push_back(std::string(key) + "=" + value);
        if (failWrites) return false;
        values[key] = value;
        return true;
    }
    std::vector<std::string> writes;
    std::map<std::string, std::string> values;
    bool failWrites = false;
};

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

std::vector<std::string> shown;
void recordMessage(const std::string& text, const std::string& caption) { shown.push_back(caption + "|" + text); }
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
        RecordingSettingsFile file;
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
    RecordingSettingsFile file;
    ConduitDialogModel model(r, settings, file);
    EXPECT_EQ(model.userName(), std::string(64, 'x'));
    EXPECT_EQ(model.initial().userLine, std::string(64, 'x') + "'s Current Settings:");
}

TEST(ConduitDialogModel, EachButtonWritesItsKeysInOrder) {
    ConfigurationRecord r = makeRecord(kDrAw, "Ann", 0, 0);
    PictaroSettings settings;
    settings.syncDir = "/srv/Pictaro";
    settings.fontDir = "/srv/fonts";
    RecordingSettingsFile file;
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
        RecordingSettingsFile file;
        const auto refusal = ConduitDialogModel(r, settings, file).ok(c.button, c.setAsDefault, c.sync, c.font);
        EXPECT_EQ(r.newAction, c.newAction);
        EXPECT_EQ(r.preference, c.preference);
        EXPECT_EQ(refusal ? std::optional(refusal->caption + "|" + refusal->text) : std::nullopt, c.refusal);
        EXPECT_EQ(settings.syncDir, c.syncAfter);
        EXPECT_EQ(settings.fontDir, c.fontAfter);
        EXPECT_EQ(file.writes, c.writes);
    }
}

// The folder rules of the dialog: what is shown for a stored folder, and what OK keeps of a typed one.
TEST(ConduitPaths, WindowsLinuxHomeAndRelativeFolders) {
    DesktopSandbox sandbox;
    const std::string home = sandbox.root() + "/home";
    const struct {
        const char* text;
        std::string shown;                 // as the dialog shows it when stored
        std::optional<std::string> kept;   // as OK keeps it when typed; none: "Invalid path"
    } cases[] = {
        {"C:\\Pictaro", sandbox.root() + "/drive_c/Pictaro", "C:\\Pictaro"},
        {"c:\\program files\\ferrowind\\pictaro", sandbox.root() + "/drive_c/program files/ferrowind/pictaro",
         "c:\\program files\\ferrowind\\pictaro"},
        {"/srv/pictures", "/srv/pictures", "/srv/pictures"},
        {"  /srv/pictures ", "  /srv/pictures ", "/srv/pictures"},
        {"~", "~", home},
        {"~/Pictures/Pictaro", "~/Pictures/Pictaro", home + "/Pictures/Pictaro"},
        {"~ann/Pictures", "~ann/Pictures", std::nullopt},
        {"Pictaro", "Pictaro", std::nullopt},
        {"./Pictaro", "./Pictaro", std::nullopt},
        {"   ", "   ", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ShownFolder(c.text), c.shown);
        EXPECT_EQ(AcceptedFolder(c.text), c.kept);
    }

    // A relative folder is refused with the system's own message, the record already set.
    ConfigurationRecord r = makeRecord(kDrAw, "Ann", 0, 0);
    PictaroSettings settings;
    RecordingSettingsFile file;
    const auto refusal = ConduitDialogModel(r, settings, file).ok(kIdActionSync, false, "/p", "fonts");
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "Please enter a valid path for font folder!");
    EXPECT_EQ(r.newAction, 0);
}

TEST(ConduitPaths, DefaultsAreTheDesktopsPicturesAndFontFolders) {
    DesktopSandbox sandbox;
    const std::string home = sandbox.root() + "/home";
    EXPECT_EQ(DefaultSyncFolder(), home + "/Pictures/Pictaro");
    // user-dirs.dirs names the pictures folder, as xdg-user-dirs writes it.
    const std::string dirs = "# comment\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    ASSERT_TRUE(win::MakeFolders(home + "/.config"));
    writeWholeFile(home + "/.config/user-dirs.dirs", std::vector<std::uint8_t>(dirs.begin(), dirs.end()));
    EXPECT_EQ(DefaultSyncFolder(), home + "/Bilder/Pictaro");
    EXPECT_EQ(PictaroSettings().syncDir, home + "/Bilder/Pictaro");

    // The user's own font folder comes first once it exists.
    EXPECT_NE(DefaultFontFolder(), home + "/.local/share/fonts");
    ASSERT_TRUE(win::MakeFolders(home + "/.local/share/fonts"));
    EXPECT_EQ(DefaultFontFolder(), home + "/.local/share/fonts");
}

TEST(ConduitDialogModel, FailedWritesChangeNothingElse) {
    ConfigurationRecord r = makeRecord(kDrAw, "Ann", 0, 0);
    PictaroSettings settings;
    RecordingSettingsFile file;
    file.failWrites = true;
    ConduitDialogModel model(r, settings, file);
    model.depthClicked(false);
    EXPECT_FALSE(model.ok(kIdActionNothing, true, "/p", "/f"));
    EXPECT_EQ(settings.acceptedDepth, 8);
    EXPECT_EQ(settings.syncDir, "/p");
    EXPECT_EQ(r.newAction, 6);
    EXPECT_EQ(file.writes.size(), 3u);
}

TEST(ConduitDialogModel, PictaroIniWritesTheSectionAndKeepsOtherLines) {
    DesktopSandbox sandbox;
    ASSERT_TRUE(win::WritePrivateProfileString("Other", "Kept", "yes", kSettingsFile));
    PictaroIni ini;
    EXPECT_EQ(ini.read("SyncDir", "fallback"), "fallback");
    EXPECT_TRUE(ini.write("SyncDir", "/p"));
    EXPECT_EQ(ini.read("syncdir", "fallback"), "/p");
    char kept[8];
    win::GetPrivateProfileString("Other", "Kept", "", kept, sizeof kept, kSettingsFile);
    EXPECT_STREQ(kept, "yes");
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

TEST(FontSelection, OneFileOrAFolderAndItsNames) {
    struct Case {
        const char* what;
        std::vector<std::string> paths;
        std::string buffer;
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"one file", {"/f/A.ttf"}, "/f/A.ttf\0\0"s},
        {"two in a folder", {"/f/A.ttf", "/f/b.TTF"}, "/f\0A.ttf\0b.TTF\0\0"s},
        {"in the root", {"/A.ttf", "/b.ttf"}, "/\0A.ttf\0b.ttf\0\0"s},
        {"a common parent", {"/f/x/A.ttf", "/f/y/B.ttf"}, "/f\0x/A.ttf\0y/B.ttf\0\0"s},
        {"a folder that is a prefix of another", {"/f/A.ttf", "/fx/B.ttf"}, "/\0f/A.ttf\0fx/B.ttf\0\0"s},
        {"relative names", {"A.ttf", "d/B.ttf"}, ".\0A.ttf\0d/B.ttf\0\0"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto packed = PackFontSelection(c.paths);
        ASSERT_TRUE(packed);
        EXPECT_EQ(std::string(packed->begin(), packed->end()), c.buffer);
        auto parsed = ParseFontSelection(*packed);
        if (std::string(c.what) == "relative names") {
            EXPECT_EQ(parsed, (std::vector<std::string>{"./A.ttf", "./d/B.ttf"}));
        } else {
            EXPECT_EQ(parsed, c.paths);
        }
    }
}

TEST(FontSelection, TheBufferHoldsThreeThousandBytes) {
    // One name of n characters fills n + 2 bytes.
    EXPECT_TRUE(PackFontSelection({"/" + std::string(2997, 'a')}));
    EXPECT_FALSE(PackFontSelection({"/" + std::string(2998, 'a')}));
    // A folder and names: folder + 1, each name + 1, and the closing zero.
    std::vector<std::string> many;
    std::size_t bytes = 3 + 1;  // "/ff" and the closing zero
    while (bytes + 11 <= kFontSelectionBufferSize) {
        many.push_back("/ff/" + std::to_string(1000000 + many.size()) + ".ttf");  // 11-character names
        bytes += 12;
    }
    ASSERT_TRUE(PackFontSelection(many));
    EXPECT_LE(PackFontSelection(many)->size(), kFontSelectionBufferSize);
    many.push_back("/ff/2000000.ttf");
    EXPECT_FALSE(PackFontSelection(many));
}

TEST(FontSelection, ParsingStopsAtTheBuffersEnd) {
    using namespace std::string_literals;
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {""s, {}},
        {"\0\0"s, {}},
        {"/f/A.ttf"s, {"/f/A.ttf"}},              // no terminating zeros
        {"/f\0A.ttf\0B"s, {"/f/A.ttf", "/f/B"}},  // cut in the middle of a name
    };
    for (const auto& [buffer, paths] : cases) EXPECT_EQ(ParseFontSelection(std::span(buffer.data(), buffer.size())), paths);
}

TEST(FontSelection, TrueTypeNamesWithoutRegardToCase) {
    for (const char* yes : {"a.ttf", "B.TTF", "c.TtF", ".ttf"}) EXPECT_TRUE(IsTrueTypeFileName(yes)) << yes;
    for (const char* no : {"a.otf", "ttf", "a.ttf.bak", "attf", ""}) EXPECT_FALSE(IsTrueTypeFileName(no)) << no;
}

namespace {
class ScriptedChooser final : public FontFileChooser {
public:
    std::optional<std::vector<std::string>> choose(const std::string& folder) override {
        folders.push_back(folder);
        return answer;
    }
    std::optional<std::vector<std::string>> answer;
    std::vector<std::string> folders;
};
}  // namespace

TEST(InstallFonts, QueuesEachChosenFileInOrderAndGoesOnAfterAVanishedOne) {
    DesktopSandbox sandbox;
    palmdesk::UserStore users;
    ASSERT_TRUE(users.Add("Ann", false));
    ASSERT_TRUE(win::WritePrivateProfileString("Pictaro", "TTFontDirectory", "C:\\Fonts", "Pictaro.ini"));
    for (const char* name : {"A.ttf", "C.TTF"}) writeWholeFile(sandbox.file(name), std::vector<std::uint8_t>(100, 7));
    ScriptedChooser chooser;
    chooser.answer = std::vector<std::string>{sandbox.file("A.ttf"), sandbox.file("Gone.ttf"), sandbox.file("C.TTF")};
    shown.clear();
    const auto previous = SetConduitMessageHandler(&recordMessage);
    InstallFonts(chooser, "Ann");
    SetConduitMessageHandler(previous);
    EXPECT_EQ(Settings().fontDir, "C:\\Fonts");  // reread before choosing
    EXPECT_EQ(chooser.folders, std::vector<std::string>{sandbox.root() + "/drive_c/Fonts"});
    EXPECT_EQ(shown, (std::vector<std::string>{"Not Existing|File \"" + sandbox.file("Gone.ttf") + "\" does not exists!",
                                               "Install Fonts|2 fonts were queued for Ann's next HotSync:\nA.ttf\nC.TTF"}));
    EXPECT_EQ(users.Queue("Ann"), (std::vector<std::string>{"A.ttf.pdb", "C.TTF.pdb"}));
    Settings() = PictaroSettings();
}

TEST(InstallFonts, TooManyFilesOrCancelQueueNothing) {
    DesktopSandbox sandbox;
    palmdesk::UserStore users;
    ASSERT_TRUE(users.Add("Ann", false));
    writeWholeFile(sandbox.file("A.ttf"), std::vector<std::uint8_t>(10, 1));
    ScriptedChooser chooser;
    std::vector<std::string> many;
    for (int i = 0; i < 600; ++i) many.push_back(sandbox.file("A.ttf"));  // 6 bytes each
    struct Case {
        const char* what;
        std::optional<std::vector<std::string>> answer;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"cancelled", std::nullopt, {}},
        {"nothing chosen", std::vector<std::string>{}, {}},
        {"too many", many, {"|Too many files selected!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        chooser.answer = c.answer;
        shown.clear();
        const auto previous = SetConduitMessageHandler(&recordMessage);
        InstallFonts(chooser, "Ann");
        SetConduitMessageHandler(previous);
        EXPECT_EQ(shown, c.messages);
        EXPECT_TRUE(users.Queue("Ann").empty());
    }
    EXPECT_EQ(chooser.folders.front(), DefaultFontFolder());  // no TTFontDirectory: the desktop's own
    Settings() = PictaroSettings();
}
