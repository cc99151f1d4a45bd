// DocumentCommands.h: the main window's document commands (New, Open, the recent files, Save,
// Save As, and closing) as plain logic. The window supplies the dialogs and shows what changes;
// the document asks its questions through DocumentUi, and each command returns what it came to
// for the window to show.
#pragma once

#include "core/Outcome.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class CFontDoc;
class DocumentUi;
class RecentFileList;

// What the commands need from the window around them.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;
    // The Open dialog; none for Cancel.
    virtual std::optional<std::string> AskOpenPath() = 0;
    // Hands the current document (or none) to the view and refreshes the list and the Save state.
    virtual void SetDocument(CFontDoc* document) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void RefreshCommandStates() = 0;
    // The warning sound of a recent-file command without a file.
    virtual void Beep() = 0;
};

// The Open dialog takes 256 characters, the Save dialog 512; a chosen path as long as the buffer
// or longer does not fit and counts as Cancel.
inline constexpr std::size_t kOpenDialogBuffer = 256;
inline constexpr std::size_t kSaveDialogBuffer = 512;
std::optional<std::string> PathFittingBuffer(std::optional<std::string> path, std::size_t bufferChars);

// The Save dialog takes only a path whose folder exists: for one whose folder does not, the
// message that keeps the dialog open ("... does not exist ..."); none for a path it takes.
std::optional<std::string> MissingFolderText(const std::string& path);

class DocumentCommands {
public:
    // The first recent-file command ID; 0xE110 is the newest file, 0xE11F the sixteenth.
    static constexpr unsigned kFirstRecentId = 0xE110;
    static constexpr unsigned kLastRecentId = 0xE11F;

    DocumentCommands(DocumentUi& ui, DocumentHost& host, RecentFileList& recent);
    ~DocumentCommands();
    DocumentCommands(const DocumentCommands&) = delete;
    DocumentCommands& operator=(const DocumentCommands&) = delete;

    // New: closes the current document, then makes an untitled one current.
    Outcome NewDocument();
    // Open: the dialog when path is none. The current document's own file (as the file system
    // compares paths, see SameFilePath) does nothing. The save prompt for the current document comes only after the new
    // file has been read; Cancel there keeps the current one and still counts as success.
    Outcome OpenDocumentFile(const std::optional<std::string>& path);
    // A recent-file command: opens the file and moves it to the top, or removes a file that
    // cannot be opened; beeps for an ID without a file.
    Outcome OpenRecent(unsigned commandId);
    // Whether the current document may be given up (the save prompt); releases it when so.
    Outcome CloseDocument();
    // Save: nothing to do (success) unless the document is modified.
    Outcome Save();
    Outcome SaveAs();

    CFontDoc* Current() const { return doc_.get(); }
    // The code page whose double-byte characters the font lists sort as units.
    void SetCodePage(std::uint32_t codePage) { codePage_ = codePage; }

private:
    using DocPtr = std::unique_ptr<CFontDoc>;

    DocPtr MakeDocument();
    void Install(DocPtr doc);
    void AfterSave();
    // Adds path as the newest recent file and stores the list, reading the stored list first so
    // that no entry another run stored is lost.
    void Remember(const std::string& path);

    DocumentUi& ui_;
    DocumentHost& host_;
    RecentFileList& recent_;
    DocPtr doc_;
    std::uint32_t codePage_ = 1252;
};
