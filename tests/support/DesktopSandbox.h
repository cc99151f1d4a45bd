// DesktopSandbox.h: points PALMDESK_ROOT and HOME at a temporary folder for the life of a test
// (so that default folders such as ~/Pictures/Pictaro land there), and records the HotSync
// manager there as `hotsync init` would.
#pragma once

#include "TempDir.h"
#include "platform/win/Registry.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

class DesktopSandbox {
public:
    DesktopSandbox() {
        for (const char* name : kVariables)
            if (const char* old = std::getenv(name)) previous_[name] = old;
        ::setenv("PALMDESK_ROOT", dir_.path().c_str(), 1);
        ::setenv("HOME", (dir_.path() + "/home").c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_DATA_HOME");
    }
    ~DesktopSandbox() {
        for (const char* name : kVariables) {
            const auto old = previous_.find(name);
            if (old != previous_.end()) ::setenv(name, old->second.c_str(), 1);
            else ::unsetenv(name);
        }
    }
    DesktopSandbox(const DesktopSandbox&) = delete;
    DesktopSandbox& operator=(const DesktopSandbox&) = delete;

    // HotSyncPath, the HotSync manager's path, whose folder the install aide is loaded from.
    static void RecordHotSyncPath(const std::string& path, win::DWORD type = win::REG_SZ) {
        win::HKEY key = nullptr;
        win::RegCreateKeyEx(win::HKEY_CURRENT_USER, "Software\\U.S. Robotics\\Pilot Desktop\\Core", 0, nullptr, 0,
                            win::KEY_ALL_ACCESS, nullptr, &key, nullptr);
        win::RegSetValueEx(key, "HotSyncPath", 0, type, reinterpret_cast<const win::BYTE*>(path.c_str()),
                           static_cast<win::DWORD>(path.size() + 1));
        win::RegCloseKey(key);
    }

    const std::string& root() const { return dir_.path(); }
    std::string file(const std::string& name) const { return dir_.file(name); }

private:
    TempDir dir_;
    static constexpr const char* kVariables[] = {"PALMDESK_ROOT", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
    std::map<std::string, std::string> previous_;
};
