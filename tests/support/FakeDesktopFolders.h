// FakeDesktopFolders.h: a desktop's folders inside a test's own folder, with no environment read:
// the home folder dir/home, the XDG folders where they default to under it, and drive C mapped
// to dir/drive_c.
#pragma once

#include "conduit/ConduitPaths.h"

#include <algorithm>
#include <string>

inline DesktopFolders DesktopFoldersIn(const std::string& dir) {
    DesktopFolders desktop;
    desktop.home = dir + "/home";
    desktop.configHome = desktop.home + "/.config";
    desktop.dataHome = desktop.home + "/.local/share";
    desktop.windowsPath = [dir](std::string_view path) {
        std::string folder = dir + "/drive_c" + std::string(path.substr(2));
        std::replace(folder.begin(), folder.end(), '\\', '/');
        return folder;
    };
    return desktop;
}
