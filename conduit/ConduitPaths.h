// ConduitPaths.h: the conduit's folders on this desktop: the defaults a new user gets, how a
// stored folder is shown, and which typed folders OK takes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// What the folders below are made from: the user's folders and the drive mapping. ThisDesktop()
// takes them from the environment; a caller may give its own.
struct DesktopFolders {
    std::string home;        // "~"
    std::string configHome;  // where user-dirs.dirs is
    std::string dataHome;    // whose "fonts" is the user's own font folder
    // The folder a Windows path ("C:\Pictaro") stands for on this machine.
    std::function<std::string(std::string_view)> windowsPath;

    // $HOME, $XDG_CONFIG_HOME (else ~/.config), $XDG_DATA_HOME (else ~/.local/share) and the
    // desktop's drive mapping.
    static DesktopFolders ThisDesktop();
};

// The desktop's pictures folder (XDG_PICTURES_DIR of user-dirs.dirs, else ~/Pictures) + "/Pictaro".
std::string DefaultSyncFolder(const DesktopFolders& desktop = DesktopFolders::ThisDesktop());
// The first existing of the user's and the system's TrueType font folders; the user's own when
// none exists.
std::string DefaultFontFolder(const DesktopFolders& desktop = DesktopFolders::ThisDesktop());

// A stored folder as the dialog shows it: one in Windows form ("C:\Pictaro") as the folder the
// drive mapping makes of it; any other unchanged.
std::string ShownFolder(const std::string& stored, const DesktopFolders& desktop = DesktopFolders::ThisDesktop());

// A folder typed into the dialog as it is kept: "~" and "~/..." expanded to the home folder,
// surrounding blanks dropped. None for a folder that is not a full path (relative, or empty):
// OK refuses it as it refuses an empty one.
std::optional<std::string> AcceptedFolder(const std::string& typed,
                                          const DesktopFolders& desktop = DesktopFolders::ThisDesktop());
