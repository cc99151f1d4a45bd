// DesktopSandbox.h: points PALMDESK_ROOT at a temporary folder for the life of a test, and
// records the HotSync manager there as `hotsync init` would.
#pragma once

#include "TempDir.h"
#include "platform/win/Registry.h"

#include <cstdlib>
#include <optional>
#include <string>

class DesktopSandbox {
public:
    DesktopSandbox() {
        if (const char* old = std::getenv("PALMDESK_ROOT")) previous_ = old;
        ::setenv("PALMDESK_ROOT", dir_.path().c_str(), 1);
    }
    ~DesktopSandbox() {
        if (previous_) ::setenv("PALMDESK_ROOT", previous_->c_str(), 1);
        else ::unsetenv("PALMDESK_ROOT");
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
    std::optional<std::string> previous_;
};
