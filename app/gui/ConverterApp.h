// ConverterApp.h: the converter's application object: the start-up with its two conditions (the
// install aide loads, and at least one Palm user exists), the main window and the way out.
#pragma once

#include "ConverterContext.h"

#include <memory>
#include <string>

class MainFrm;

class ConverterApp {
public:
    ConverterApp();
    ~ConverterApp();
    ConverterApp(const ConverterApp&) = delete;
    ConverterApp& operator=(const ConverterApp&) = delete;

    // Start-up up to the shown main window; false when the program is to end (a refusal has been
    // shown).
    bool Start();
    // Start, then the message loop; the program's exit code.
    int Run();

    MainFrm* MainWindow() const { return mainWindow_.get(); }
    const std::string& ApplicationName() const { return appName_; }

private:
    bool LoadAide();
    bool ReadUsers();

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
