// Tests of the conduit's folders: how a stored folder is shown, what OK keeps of a typed one, and
// the desktop's default pictures and fonts folders.
#include "conduit/ConduitPaths.h"
#include "conduit/ConduitSettings.h"
#include "platform/win/DesktopRoot.h"
#include "support/DesktopSandbox.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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
