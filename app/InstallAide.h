// InstallAide.h: finding and loading the Palm Desktop install aide, "Instaide.dll", from the
// folder of the HotSync manager that the registry names (HotSyncPath).
#pragma once

#include "platform/win/ModuleLoader.h"

#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kInstallAideName = "Instaide.dll";

struct AideLoadResult {
    win::HMODULE module = nullptr;
    // When the library was found but would not load: the system's text for the error.
    std::optional<std::string> systemText;
};

// Reads HotSyncPath (a REG_SZ of at most 1024 bytes) under HKEY_CURRENT_USER\Software\U.S.
// Robotics\Pilot Desktop\Core, makes its folder current while it loads folder + "Instaide.dll",
// and makes the old current directory current again. No module when any step fails.
AideLoadResult LoadInstallAide();

// The first start after an install: when the desktop records no HotSync manager (no HotSyncPath
// under the key above), records the first of candidates that is an executable file, as the
// desktop's installer would, and makes the desktop's folders. The path recorded, or none when one
// was recorded already, no candidate exists or the registry cannot be written.
std::optional<std::string> RecordHotSyncIfNone(const std::vector<std::string>& candidates);
