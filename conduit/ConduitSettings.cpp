// ConduitSettings.cpp: the conduit's settings in "Pictaro.ini" (the Windows folder), section
// "Pictaro".
#include "ConduitSettings.h"

#include "platform/win/PrivateProfile.h"
#include "resources/conduit/ConduitDialog.h"

#include <string>

std::string PictaroIni::read(const char* key, const std::string& fallback) const {
    char value[conduit::kFolderTextLimit + 1];
    win::GetPrivateProfileString(kSettingsSection, key, fallback.c_str(), value, sizeof value, kSettingsFile);
    return value;
}

bool PictaroIni::write(const char* key, const std::string& value) {
    return win::WritePrivateProfileString(kSettingsSection, key, value.c_str(), kSettingsFile);
}

namespace {
// A number key: its default when the key is missing.
std::uint32_t readNumber(const SettingsFile& file, const char* key, std::uint32_t fallback) {
    return win::ReadProfileNumber([&](const char* missing) { return file.read(key, missing); }, fallback);
}
}  // namespace

PictaroSettings LoadSettings(const SettingsFile& file, const DesktopFolders& desktop) {
    PictaroSettings s(desktop);
    s.syncDir = file.read("SyncDir", s.syncDir);
    s.fontDir = file.read("TTFontDirectory", s.fontDir);
    s.acceptedDensity = static_cast<std::uint16_t>(readNumber(file, "AcceptedDensity", s.acceptedDensity));
    s.acceptedDepth = static_cast<std::uint8_t>(readNumber(file, "AcceptedDepth", s.acceptedDepth));
    s.acceptedCompression = static_cast<std::uint8_t>(readNumber(file, "AcceptedCompression", s.acceptedCompression));
    return s;
}
