// ConverterApp.h: the converter's application object: the start-up with its two conditions (the
// install aide loads, and at least one Palm user exists), the main window and the way out.
#pragma once

#include "ConverterContext.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class MainFrm;

// What the command line asks: run (with a Typehold file to open, or none), or print the help or
// the version; a wrong command line gets one line and the help to look at.
struct ConverterArguments {
    enum class Action { Run, Help, Version, Wrong };
    Action action = Action::Run;
    std::optional<std::string> file;  // as given; opened relative to the current folder
    std::string text;                 // what Help, Version and Wrong print
};
ConverterArguments ParseConverterArguments(int argc, const char* const* argv);

// Why the windows cannot be shown here (no X11 or Wayland display, no platform chosen), or none.
std::optional<std::string> MissingDisplayText();

class ConverterApp {
public:
    ConverterApp();
    ~ConverterApp();
    ConverterApp(const ConverterApp&) = delete;
    ConverterApp& operator=(const ConverterApp&) = delete;

    // Start-up up to the shown main window; false when the program is to end (a refusal has been
    // shown).
    bool Start();
    // Start, then the file (if any) opened as File > Open would, then the message loop; the
    // program's exit code.
    int Run(const std::optional<std::string>& file = std::nullopt);
    // Opens a file named on the command line in the started window; false when it could not be
    // read (the document's own message has been shown and the untitled document stays).
    bool OpenInitialFile(const std::string& file);

    // Where an installed hotsync may stand, for a desktop that records none; by default beside
    // this program as it is installed, and as it is built.
    void SetHotSyncCandidates(std::vector<std::string> candidates) { hotSyncCandidates_ = std::move(candidates); }

    MainFrm* MainWindow() const { return mainWindow_.get(); }
    const std::string& ApplicationName() const { return appName_; }

private:
    bool LoadAide();
    bool ReadUsers();

    std::optional<std::vector<std::string>> hotSyncCandidates_;
    std::uint32_t codePage_ = 1252;
    RegistryStore store_{"Corvane", "Typehold"};
    ConverterSettings settings_;
    std::string appName_;
    win::HMODULE aide_ = nullptr;
    PalmUserList users_;
    std::unique_ptr<gdi::FontEngine> engine_;
    FontCatalog catalog_;
    std::unique_ptr<ConverterContext> context_;
    std::unique_ptr<MainFrm> mainWindow_;
};
