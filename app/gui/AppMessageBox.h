// AppMessageBox.h: every message box of the converter. It takes the Win32 box types (MB_OK,
// MB_YESNOCANCEL, icon bits) and answers the Win32 button IDs (IDOK, IDYES, ...); plain boxes get
// the exclamation icon; the caption is the application name (the program's path before the name
// is loaded); the main window, once it exists, owns the box and is disabled while it is up.
#pragma once

#include "core/DocumentUi.h"
#include "core/Outcome.h"
#include "platform/win/MessageBoxTypes.h"

#include <cstdint>
#include <optional>
#include <string>

class QWidget;

int AppMessageBox(const std::string& text, std::uint32_t type);
int AppMessageBox(std::uint32_t stringId, std::uint32_t type);
// The same box with informative text below the system's text: what happened in words and what to
// do about it.
int AppMessageBox(const std::string& text, std::uint32_t type, const std::string& informative);

// What an operation came to: each of its messages in a box of its own (OK, the exclamation
// icon), with its details under it. True when the operation was done.
bool ShowOutcome(const Outcome& outcome);

// The caption and the owner of the boxes to come (the owner may be null).
void SetMessageBoxCaption(const std::string& caption);
void SetMessageBoxOwner(QWidget* owner);

// The document's questions and Save dialog as the converter's windows.
class ConverterDocumentUi final : public DocumentUi {
public:
    SaveChoice AskSaveChanges(const std::string& question) override;
    bool AskOverwriteChanged(const std::string& question) override;
    // The Save dialog with the Typehold filter, the proposed name and the overwrite question; a
    // path that does not fit the dialog's 512-character buffer counts as Cancel.
    std::optional<std::string> AskSavePath(const std::string& proposedName) override;
    void ShowWaitCursor(bool on) override;
};

// The converter's file dialog, owned by owner, with its one filter "Typehold file (*.pdb)":
// Open (an existing file) or Save (any name, proposedName offered). The chosen path, or none for
// Cancel and for a path as long as bufferChars or longer.
enum class FileDialogKind { Open, Save };
std::optional<std::string> AskTypeholdPath(QWidget* owner, FileDialogKind kind, const std::string& proposedName,
                                           std::size_t bufferChars);
