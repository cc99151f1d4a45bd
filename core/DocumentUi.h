// DocumentUi.h: what the font document needs from the application: a message box that answers
// the button pressed, and the Save dialog. The GUI shows real dialogs; the command-line tool and
// the tests supply their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class DocumentUi {
public:
    virtual ~DocumentUi() = default;

    // Shows text in a box of Win32 type (MB_YESNOCANCEL | MB_ICONWARNING, ...) and returns the
    // ID of the button pressed (IDOK, IDYES, ...).
    virtual int MessageBox(const std::string& text, std::uint32_t type) = 0;
    // The same with informative text under it: the cause in words and what to do. A UI without a
    // place for it shows the text alone.
    virtual int MessageBox(const std::string& text, std::uint32_t type, const std::string& informative) {
        (void)informative;
        return MessageBox(text, type);
    }

    // The Save dialog, offering proposedName; the chosen path, or none for Cancel.
    virtual std::optional<std::string> AskSavePath(const std::string& proposedName) = 0;

    // The wait cursor during a save.
    virtual void ShowWaitCursor(bool /*on*/) {}
};
