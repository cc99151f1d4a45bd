// FontDoc.h: CFontDoc, the converter's document: one font list stored as one Typehold file.
#pragma once

#include "DocMan.h"
#include "FontList.h"
#include "PalmUserEntry.h"

class CFontDoc : public CDocMan {
public:
    explicit CFontDoc(DocumentUi& ui) : CDocMan(ui) {}

    // Also offers an untitled document that holds fonts under its first font's name.
    void MarkModified(bool modified) override;
    Outcome OnSaveDocument(const std::string& path) override;

    bool OnNewDocument(const std::string& title);
    // Stopped, without a message, when no file exists at path; else the list's Load.
    Outcome OnOpenDocument(const std::string& path);

    CFontList& Fonts() { return fonts_; }
    const CFontList& Fonts() const { return fonts_; }
    // The user this document is installed for; empty until the first install asks.
    PalmUser& InstallUser() { return installUser_; }

private:
    CFontList fonts_;
    PalmUser installUser_;
};
