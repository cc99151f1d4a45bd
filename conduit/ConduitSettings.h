// ConduitSettings.h: the conduit's settings in "Pictaro.ini" (the Windows folder), section
// "Pictaro". The file is the one place they live: the configuration dialog and a synchronisation
// each read it when they begin, and every change goes back to it through SettingsFile.
#pragma once

#include "ConduitPaths.h"

#include <cstdint>
#include <string>

// The folders default to the desktop's own: the pictures folder + "/Pictaro" and the first
// TrueType font folder that exists (ConduitPaths.h). Values stored in Windows form still work
// through the drive mapping.
struct PictaroSettings {
    PictaroSettings() : PictaroSettings(DesktopFolders::ThisDesktop()) {}
    explicit PictaroSettings(const DesktopFolders& desktop)
        : syncDir(DefaultSyncFolder(desktop)), fontDir(DefaultFontFolder(desktop)) {}

    std::string syncDir;
    std::string fontDir;
    std::uint16_t acceptedDensity = 144;
    std::uint8_t acceptedDepth = 16;
    std::uint8_t acceptedCompression = 1;
};

inline constexpr const char* kSettingsFile = "Pictaro.ini";
inline constexpr const char* kSettingsSection = "Pictaro";

// The settings file by key. A failed write is not reported to the user; the real file never
// holds half a write.
class SettingsFile {
public:
    virtual ~SettingsFile() = default;
    virtual std::string read(const char* key, const std::string& fallback) const = 0;
    virtual bool write(const char* key, const std::string& value) = 0;
};

// The real one, through the private-profile functions. Values are read up to the folder boxes'
// length limit.
class PictaroIni final : public SettingsFile {
public:
    std::string read(const char* key, const std::string& fallback) const override;
    bool write(const char* key, const std::string& value) override;
};

// The five keys with their defaults; numbers too wide for their field keep their low bits, text
// that is no number reads as 0.
PictaroSettings LoadSettings(const SettingsFile& file, const DesktopFolders& desktop = DesktopFolders::ThisDesktop());
