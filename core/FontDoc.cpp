// FontDoc.cpp: CFontDoc, the converter's document: one font list stored as one Typehold file.
#include "FontDoc.h"

#include "core/qz_fileio/File.h"
#include "platform/gdi/CodePages.h"

void CFontDoc::MarkModified(bool modified) {
    CDocMan::MarkModified(modified);
    if (modified && GetPathName().empty() && fonts_.Count() > 0)
        SetTitle(gdi::CodePageToUtf8(fonts_.At(0)->name, fonts_.CodePage()));
}

bool CFontDoc::OnSaveDocument(const std::string& path) {
    if (!fonts_.Save(path)) return false;
    MarkModified(false);
    return true;
}

bool CFontDoc::OnNewDocument(const std::string& title) {
    if (!fonts_.New()) return false;
    SetTitle(title);
    ClearPath();
    MarkModified(false);
    return true;
}

bool CFontDoc::OnOpenDocument(const std::string& path) {
    if (!qz_gen::CFile::Exists(path)) return false;
    SetPathName(path);
    MarkModified(false);
    RememberDiskState(path);
    return fonts_.Load(path);
}
