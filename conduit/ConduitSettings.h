// ConduitSettings.h: the conduit's settings in "Pictaro.ini" (the Windows folder), section
// "Pictaro", held process-wide and read again at every load of the module.
#pragma once

#include "ConduitPaths.h"

#include <cstdint>
#include <string>

// The folders default to this desktop's own: the pictures folder + "/Pictaro" and the first
// TrueType font folder that exists (ConduitPaths.h). Values stored in Windows form still work
// through the drive mapping.
struct PictaroSettings {
    std::string syncDir = DefaultSyncFolder();
    std::string fontDir = DefaultFontFolder();
    std::uint16_t acceptedDensity = 144;
    std::uint8_t acceptedDepth = 16;
    std::uint8_t acceptedCompression = 1;
};

inline constexpr const char* kSettingsFile = "Pictaro.ini";
inline constexpr const char* kSettingsSection = "Pictaro";

// The settings of this process.
PictaroSettings& Settings();

// Reads the five keys with their defaults; numbers too wide for their field keep their low bits.
void LoadSettings();
