// ConduitSettings.cpp
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
