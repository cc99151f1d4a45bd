// DocMan.h: CDocMan, the document base: path, title, modified flag, the save-if-modified prompt,
// and Save / Save As at document level.
#pragma once

#include "Outcome.h"

#include <cstdint>
#include <optional>
#include <string>

class DocumentUi;

class CDocMan {
public:
    explicit CDocMan(DocumentUi& ui) : ui_(ui) {}
    virtual ~CDocMan() = default;
    CDocMan(const CDocMan&) = delete;
    CDocMan& operator=(const CDocMan&) = delete;

    virtual void MarkModified(bool modified) { modified_ = modified; }
    // Writes the document to path.
    virtual Outcome OnSaveDocument(const std::string& path) = 0;

    // Done when the document may be closed or replaced: unmodified, or the user answered No, or
    // Yes and the save succeeded. Cancel stops without a message.
    Outcome SaveModified();
    // The Save command: to the document's own file when it exists and is writable, else Save As.
    Outcome DoFileSave();
    // Save As when path is none (the Save dialog asks); replace makes the saved path the
    // document's own. Saving over the document's own file after something else has changed it
    // on disk (another window, another program) asks first; Cancel saves nothing and stops
    // without a message, as Cancel in the Save dialog does.
    Outcome DoSave(const std::optional<std::string>& path, bool replace);
    void SetPathName(const std::string& path);

    const std::string& GetPathName() const { return path_; }
    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    bool IsModified() const { return modified_; }

    // What identifies one state of a file on disk: a save by anyone gives another.
    struct DiskState {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
        bool operator==(const DiskState&) const = default;
    };

protected:
    DocumentUi& Ui() { return ui_; }
    void ClearPath() {
        path_.clear();
        onDisk_.reset();
    }
    // Remembers the state of the file at path as the one this document holds (called before the
    // file is read, so that a change while it is read is noticed too).
    void RememberDiskState(const std::string& path);

private:
    // The user's answer when the document's file changed on disk since it was read or saved:
    // true to overwrite it.
    bool MayOverwriteChangedFile(const std::string& path);

    DocumentUi& ui_;
    std::optional<DiskState> onDisk_;
    std::string path_;
    std::string title_;
    bool modified_ = false;
};
