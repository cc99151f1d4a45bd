// DocMan.h: CDocMan, the document base: path, title, modified flag, the save-if-modified prompt,
// and Save / Save As at document level.
#pragma once

#include <optional>
#include <string>

class DocumentUi;

class CDocMan {
public:
    explicit CDocMan(DocumentUi& ui) : ui_(ui) {}
    virtual ~CDocMan() = default;
    CDocMan(const CDocMan&) = delete;
    CDocMan& operator=(const CDocMan&) = delete;

    // Destroys a document made with new; the base keeps its object.
    virtual void Release() {}
    virtual void MarkModified(bool modified) { modified_ = modified; }
    // Writes the document to path; the base writes nothing.
    virtual bool OnSaveDocument(const std::string& path);

    // True when the document may be closed or replaced: unmodified, or the user answered No, or
    // Yes and the save succeeded.
    bool SaveModified();
    // The Save command: to the document's own file when it exists and is writable, else Save As.
    bool DoFileSave();
    // Save As when path is none (the Save dialog asks); replace makes the saved path the
    // document's own.
    bool DoSave(const std::optional<std::string>& path, bool replace);
    void SetPathName(const std::string& path);

    const std::string& GetPathName() const { return path_; }
    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    bool IsModified() const { return modified_; }

protected:
    DocumentUi& Ui() { return ui_; }
    void ClearPath() { path_.clear(); }

private:
    DocumentUi& ui_;
    std::string path_;
    std::string title_;
    bool modified_ = false;
};
