// DesktopRoot.cpp: the folder that holds everything the emulated desktop keeps (registry, Windows
// folder, Palm users, drives): $PALMDESK_ROOT, else $XDG_DATA_HOME/palmdesk, else
// ~/.local/share/palmdesk.
#include "DesktopRoot.h"

#include <cstdlib>
#include <filesystem>

namespace win {

std::string DesktopRoot() {
    if (const char* root = std::getenv("PALMDESK_ROOT"); root && *root) return root;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return std::string(data) + "/palmdesk";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/palmdesk";
}

bool MakeFolders(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return std::filesystem::is_directory(folder, ignored);
}

}  // namespace win
