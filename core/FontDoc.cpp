// FontDoc.cpp: CFontDoc, the converter's document: one font list stored as one Typehold file.
#include "FontDoc.h"

#include "core/qz_fileio/File.h"
#include "platform/gdi/CodePages.h"

void CFontDoc::MarkModified(bool modified) {
    CDocMan::MarkModified(modified);
    if (modified && GetPathName().empty() && fonts_.Count() > 0)
        SetTitle(gdi::CodePageToUtf8(fonts_.At(0)->name, fonts_.CodePage()));
}

Outcome CFontDoc::OnSaveDocument(const std::string& path) {
    Outcome saved = fonts_.Save(path);
    if (saved) MarkModified(false);
    return saved;
}

bool CFontDoc::OnNewDocument(const std::string& title) {
    if (!fonts_.New()) return false;
    SetTitle(title);
    ClearPath();
    MarkModified(false);
    return true;
}

Outcome CFontDoc::OnOpenDocument(const std::string& path) {
    if (!qz_gen::CFile::Exists(path)) return Outcome::Stopped();
    SetPathName(path);
    MarkModified(false);
    RememberDiskState(path);
    return fonts_.Load(path);
}
