// ConduitSettings.cpp: the conduit's settings in "Pictaro.ini" (the Windows folder), section
// "Pictaro", held process-wide and read again at every load of the module.
#include "ConduitSettings.h"

#include "platform/win/PrivateProfile.h"

PictaroSettings& Settings() {
    static PictaroSettings settings;
    return settings;
}

void LoadSettings() {
    const PictaroSettings defaults;
    PictaroSettings& s = Settings();
    char text[260];
    win::GetPrivateProfileString(kSettingsSection, "SyncDir", defaults.syncDir.c_str(), text, sizeof text, kSettingsFile);
    s.syncDir = text;
    win::GetPrivateProfileString(kSettingsSection, "TTFontDirectory", defaults.fontDir.c_str(), text, sizeof text, kSettingsFile);
    s.fontDir = text;
    s.acceptedDensity = static_cast<std::uint16_t>(
        win::GetPrivateProfileInt(kSettingsSection, "AcceptedDensity", defaults.acceptedDensity, kSettingsFile));
    s.acceptedDepth = static_cast<std::uint8_t>(
        win::GetPrivateProfileInt(kSettingsSection, "AcceptedDepth", defaults.acceptedDepth, kSettingsFile));
    s.acceptedCompression = static_cast<std::uint8_t>(
        win::GetPrivateProfileInt(kSettingsSection, "AcceptedCompression", defaults.acceptedCompression, kSettingsFile));
}
