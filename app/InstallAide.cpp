// InstallAide.cpp: finding and loading the Palm Desktop install aide, "Instaide.dll", from the
// folder of the HotSync manager that the registry names (HotSyncPath).
#include "InstallAide.h"

#include "platform/win/DesktopRoot.h"
#include "platform/win/Registry.h"
#include "platform/win/SystemMessages.h"
#include "platform/win/Win32Error.h"
#include "platform/win/WindowsPath.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace {
constexpr const char* kCoreKey = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
constexpr win::DWORD kMaxPathBytes = 1024;

std::optional<std::string> hotSyncPath() {
    win::HKEY key = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, kCoreKey, 0, win::KEY_READ, &key) != win::ERROR_SUCCESS) return std::nullopt;
    char buffer[kMaxPathBytes + 1] = {};
    win::DWORD size = kMaxPathBytes;
    win::DWORD type = 0;
    const win::LONG rc = win::RegQueryValueEx(key, "HotSyncPath", nullptr, &type, reinterpret_cast<win::BYTE*>(buffer), &size);
    win::RegCloseKey(key);
    if (rc != win::ERROR_SUCCESS || type != win::REG_SZ) return std::nullopt;
    return std::string(buffer);
}
}  // namespace

std::optional<std::string> RecordHotSyncIfNone(const std::vector<std::string>& candidates) {
    win::HKEY key = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, kCoreKey, 0, win::KEY_READ, &key) == win::ERROR_SUCCESS) {
        win::DWORD size = 0;
        const win::LONG rc = win::RegQueryValueEx(key, "HotSyncPath", nullptr, nullptr, nullptr, &size);
        win::RegCloseKey(key);
        if (rc == win::ERROR_SUCCESS || rc == win::ERROR_MORE_DATA) return std::nullopt;
    }
    for (const std::string& candidate : candidates) {
        char resolved[PATH_MAX];
        if (::access(candidate.c_str(), X_OK) != 0 || !::realpath(candidate.c_str(), resolved)) continue;
        const std::string root = win::DesktopRoot();
        for (const char* sub : {"", "/Windows", "/Users", "/drive_c"})
            if (!win::MakeFolders(root + sub)) return std::nullopt;
        if (win::RegCreateKeyEx(win::HKEY_CURRENT_USER, kCoreKey, 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &key,
                                nullptr) != win::ERROR_SUCCESS)
            return std::nullopt;
        const std::string path = resolved;
        const win::LONG rc = win::RegSetValueEx(key, "HotSyncPath", 0, win::REG_SZ,
                                                reinterpret_cast<const win::BYTE*>(path.c_str()),
                                                static_cast<win::DWORD>(path.size() + 1));
        win::RegCloseKey(key);
        if (rc != win::ERROR_SUCCESS) return std::nullopt;
        return path;
    }
    return std::nullopt;
}

AideLoadResult LoadInstallAide() {
    AideLoadResult result;
    const auto path = hotSyncPath();
    if (!path) return result;
    const auto parts = win::SplitPath(*path);
    std::string folder = win::ResolveWindowsPath(parts.drive + parts.directory);
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string remembered = win::GetCurrentDirectory();
    win::SetCurrentDirectory(folder);
    result.module = win::LoadLibrary(folder + kInstallAideName);
    const std::uint32_t error = win::GetLastError();
    if (!remembered.empty()) win::SetCurrentDirectory(remembered);
    if (!result.module) result.systemText = win::FormatSystemMessage(error, win::kLangEnglishUs);
    return result;
}
