// DocumentUi.h: what the font document must ask the user while an operation runs: whether to
// save changes, whether to overwrite a file changed on disk, and where to save. What an operation
// came to it returns as an Outcome instead; the GUI shows real dialogs, the command-line tool and
// the tests answer on their own.
#pragma once

#include <optional>
#include <string>

enum class SaveChoice { Save, Discard, Cancel };

class DocumentUi {
public:
    virtual ~DocumentUi() = default;

    // "Save changes to ...?" with Yes, No and Cancel and the warning icon.
    virtual SaveChoice AskSaveChanges(const std::string& question) = 0;
    // The document's file changed on disk: OK to overwrite it, Cancel to keep it (warning icon).
    virtual bool AskOverwriteChanged(const std::string& question) = 0;

    // The Save dialog, offering proposedName; the chosen path, or none for Cancel.
    virtual std::optional<std::string> AskSavePath(const std::string& proposedName) = 0;

    // The wait cursor during a save.
    virtual void ShowWaitCursor(bool /*on*/) {}
};
