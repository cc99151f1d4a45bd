// ConduitSettings.h: the conduit's settings in "Pictaro.ini" (the Windows folder), section
// "Pictaro", held process-wide and read again at every load of the module.
#pragma once

#include <cstdint>
#include <string>

struct PictaroSettings {
    std::string syncDir = "C:\\Pictaro";
    std::string fontDir = "c:\\program files\\ferrowind\\pictaro";
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
