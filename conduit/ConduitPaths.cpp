// ConduitPaths.cpp: the conduit's folders on this desktop.
#include "ConduitPaths.h"

#include "platform/win/WindowsPath.h"

#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace {
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool windowsForm(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// XDG_PICTURES_DIR from user-dirs.dirs: a line XDG_PICTURES_DIR="$HOME/Pictures" (an absolute
// path or one under $HOME, as xdg-user-dirs writes it).
std::optional<std::string> picturesFromUserDirs(const DesktopFolders& desktop) {
    const std::string& home = desktop.home;
    // C stdio rather than a stream: a stream's template statics would keep the module from
    // unloading.
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen((desktop.configHome + "/user-dirs.dirs").c_str(), "r"), &std::fclose);
    if (!file) return std::nullopt;
    const std::string key = "XDG_PICTURES_DIR=";
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, file.get())) {
        std::string line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        // A value of $HOME itself means the user turned the folder off.
        if (value.empty() || value[0] != '/' || value == home || value == home + "/") return std::nullopt;
        return value;
    }
    return std::nullopt;
}
}  // namespace

DesktopFolders DesktopFolders::ThisDesktop() {
    DesktopFolders desktop;
    desktop.home = environment("HOME");
    desktop.configHome = environment("XDG_CONFIG_HOME");
    if (desktop.configHome.empty()) desktop.configHome = desktop.home + "/.config";
    desktop.dataHome = environment("XDG_DATA_HOME");
    if (desktop.dataHome.empty()) desktop.dataHome = desktop.home + "/.local/share";
    desktop.windowsPath = &win::ResolveWindowsPath;
    return desktop;
}

std::string DefaultSyncFolder(const DesktopFolders& desktop) {
    const auto pictures = picturesFromUserDirs(desktop);
    return (pictures ? *pictures : desktop.home + "/Pictures") + "/Pictaro";
}

std::string DefaultFontFolder(const DesktopFolders& desktop) {
    const std::string own = desktop.dataHome + "/fonts";
    for (const std::string& folder :
         {own, desktop.home + "/.fonts", std::string("/usr/local/share/fonts"), std::string("/usr/share/fonts/truetype"),
          std::string("/usr/share/fonts")})
        if (isFolder(folder)) return folder;
    return own;
}

std::string ShownFolder(const std::string& stored, const DesktopFolders& desktop) {
    return windowsForm(stored) ? desktop.windowsPath(stored) : stored;
}

std::optional<std::string> AcceptedFolder(const std::string& typed, const DesktopFolders& desktop) {
    const auto first = typed.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    std::string folder = typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    if (folder == "~" || folder.compare(0, 2, "~/") == 0) folder = desktop.home + folder.substr(1);
    if (folder[0] == '/' || windowsForm(folder)) return folder;
    return std::nullopt;
}
