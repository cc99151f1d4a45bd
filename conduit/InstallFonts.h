// InstallFonts.h: choosing TrueType files to install on the handheld. The open-file dialog
// hands back its choice in a name buffer of 3000 bytes: one zero-terminated full path, or the
// folder followed by each chosen name, the list ending in an empty string. A choice that would not
// fit is refused as a whole ("Too many files selected!").
#pragma once

#include "ConduitPaths.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class InstallQueue;
class SettingsFile;

inline constexpr std::size_t kFontSelectionBufferSize = 3000;

// The open-file dialog that picks TrueType files (pattern "*.TTF", matched without regard to
// case), starting in folder: the full paths chosen, or none when the user cancelled.
class FontFileChooser {
public:
    virtual ~FontFileChooser() = default;
    virtual std::optional<std::vector<std::string>> choose(const std::string& folder) = 0;
};

// The bytes of the name buffer the dialog fills for these files (which share a folder, as one
// dialog's choice does): one path and its zero, or the deepest folder they share (".", when none)
// and each name below it with its zero; then the closing zero.
std::size_t FontSelectionBytes(const std::vector<std::string>& paths);

// Whether a file name matches "*.TTF" without regard to case.
bool IsTrueTypeFileName(const std::string& name);

// Lets the user choose files in shownFolder (the folder the dialog shows; when empty, the one
// TTFontDirectory of file names now, or desktop's default), and wraps and queues each chosen file
// for user in the order chosen (MakeFontDatabase). A file that cannot be handled is reported by
// its own message and the next one is still handled; at the end one message lists what was queued.
void InstallFonts(const SettingsFile& file, FontFileChooser& chooser, InstallQueue& queue, const std::string& user,
                  const std::string& shownFolder = "", const DesktopFolders& desktop = DesktopFolders::ThisDesktop());
