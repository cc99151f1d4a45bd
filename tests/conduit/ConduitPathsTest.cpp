// Tests of the conduit's folders: how a stored folder is shown, what OK keeps of a typed one, and
// the desktop's default pictures and fonts folders, on a desktop whose folders the tests give.
#include "conduit/ConduitPaths.h"
#include "conduit/ConduitSettings.h"
#include "platform/win/DesktopRoot.h"
#include "support/FakeDesktopFolders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

// The folder rules of the dialog: what is shown for a stored folder, and what OK keeps of a typed one.
TEST(ConduitPaths, WindowsLinuxHomeAndRelativeFolders) {
    TempDir dir;
    const DesktopFolders desktop = DesktopFoldersIn(dir.path());
    const std::string home = desktop.home;
    const struct {
        const char* text;
        std::string shown;                 // as the dialog shows it when stored
        std::optional<std::string> kept;   // as OK keeps it when typed; none: "Invalid path"
    } cases[] = {
        {"C:\\Pictaro", dir.path() + "/drive_c/Pictaro", "C:\\Pictaro"},
        {"c:\\program files\\ferrowind\\pictaro", dir.path() + "/drive_c/program files/ferrowind/pictaro",
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
        EXPECT_EQ(ShownFolder(c.text, desktop), c.shown);
        EXPECT_EQ(AcceptedFolder(c.text, desktop), c.kept);
    }
}

TEST(ConduitPaths, DefaultsAreTheDesktopsPicturesAndFontFolders) {
    TempDir dir;
    const DesktopFolders desktop = DesktopFoldersIn(dir.path());
    const std::string home = desktop.home;
    EXPECT_EQ(DefaultSyncFolder(desktop), home + "/Pictures/Pictaro");
    // user-dirs.dirs names the pictures folder, as xdg-user-dirs writes it.
    const std::string dirs = "# comment\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    ASSERT_TRUE(win::MakeFolders(home + "/.config"));
    writeWholeFile(home + "/.config/user-dirs.dirs", std::vector<std::uint8_t>(dirs.begin(), dirs.end()));
    EXPECT_EQ(DefaultSyncFolder(desktop), home + "/Bilder/Pictaro");
    EXPECT_EQ(PictaroSettings(desktop).syncDir, home + "/Bilder/Pictaro");

    // The user's own font folder comes first once it exists.
    EXPECT_NE(DefaultFontFolder(desktop), home + "/.local/share/fonts");
    ASSERT_TRUE(win::MakeFolders(home + "/.local/share/fonts"));
    EXPECT_EQ(DefaultFontFolder(desktop), home + "/.local/share/fonts");
}
