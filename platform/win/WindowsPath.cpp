// WindowsPath.cpp: Windows paths on this machine.
#include "WindowsPath.h"

#include "DesktopRoot.h"

#include <cctype>
#include <climits>
#include <unistd.h>

namespace win {

std::string ResolveWindowsPath(std::string_view path) {
    if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) return std::string(path);
    std::string out = DesktopRoot() + "/drive_" + static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    std::string_view rest = path.substr(2);
    if (!rest.empty() && rest[0] != '\\' && rest[0] != '/') out += '/';
    for (const char c : rest) out += c == '\\' ? '/' : c;
    return out;
}

SplitPathParts SplitPath(std::string_view path) {
    SplitPathParts parts;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    const auto slash = path.find_last_of("/\\");
    std::string_view name = path;
    if (slash != std::string_view::npos) {
        parts.directory = std::string(path.substr(0, slash + 1));
        name = path.substr(slash + 1);
    }
    const auto dot = name.find_last_of('.');
    parts.fileName = std::string(name.substr(0, dot));
    if (dot != std::string_view::npos) parts.extension = std::string(name.substr(dot));
    return parts;
}

std::string GetCurrentDirectory() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

bool SetCurrentDirectory(const std::string& folder) { return ::chdir(folder.c_str()) == 0; }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace win
