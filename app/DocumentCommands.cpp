// DocumentCommands.cpp: New, Open, recent files, Save, Save As and the close question.
#include "DocumentCommands.h"

#include "RecentFileList.h"
#include "core/FontDoc.h"
#include "core/PathNames.h"
#include "resources/converter/ConverterStrings.h"

#include <filesystem>

std::optional<std::string> PathFittingBuffer(std::optional<std::string> path, std::size_t bufferChars) {
    if (path && path->size() >= bufferChars) return std::nullopt;
    return path;
}

std::optional<std::string> MissingFolderText(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return std::nullopt;
    return folder.string() + "\nThe folder does not exist. Check the path and try again.";
}

void DocumentCommands::Releaser::operator()(CFontDoc* doc) const {
    if (doc) doc->Release();
}

DocumentCommands::DocumentCommands(DocumentUi& ui, DocumentHost& host, RecentFileList& recent)
    : ui_(ui), host_(host), recent_(recent) {}

DocumentCommands::~DocumentCommands() = default;

DocumentCommands::DocPtr DocumentCommands::MakeDocument() {
    DocPtr doc(new CFontDoc(ui_));
    doc->Fonts().SetCodePage(codePage_);
    return doc;
}

void DocumentCommands::Install(DocPtr doc) {
    doc_ = std::move(doc);
    host_.SetDocument(doc_.get());
}

bool DocumentCommands::NewDocument() {
    if (!CloseDocument()) return false;
    DocPtr doc = MakeDocument();
    if (!doc->OnNewDocument(converter::LoadConverterString(converter::kStrUntitled))) return false;
    Install(std::move(doc));
    return true;
}

bool DocumentCommands::OpenDocumentFile(const std::optional<std::string>& path) {
    const bool fromDialog = !path;
    const std::optional<std::string> chosen = fromDialog ? host_.AskOpenPath() : path;
    if (!chosen) return false;
    if (doc_ && SameFilePath(*chosen, doc_->GetPathName())) return true;

    DocPtr doc = MakeDocument();
    if (!doc->OnOpenDocument(*chosen)) return false;
    // The old document's save prompt comes now, once the new file is known to be readable.
    if (!CloseDocument()) return true;
    Install(std::move(doc));
    if (fromDialog) Remember(*chosen);
    return true;
}

bool DocumentCommands::OpenRecent(unsigned commandId) {
    const std::string path =
        commandId >= kFirstRecentId && commandId <= kLastRecentId ? recent_.NewestAt(commandId - kFirstRecentId) : std::string();
    if (path.empty()) {
        host_.Beep();
        return false;
    }
    const bool opened = OpenDocumentFile(path);
    recent_.Read();
    if (opened) recent_.Add(path);
    else recent_.Remove(path);
    recent_.Write();
    return opened;
}

bool DocumentCommands::CloseDocument() {
    if (!doc_) return true;
    if (!doc_->SaveModified()) return false;
    if (!doc_->GetPathName().empty()) Remember(doc_->GetPathName());
    host_.RefreshCommandStates();
    doc_.reset();
    host_.SetDocument(nullptr);
    return true;
}

bool DocumentCommands::Save() {
    if (!doc_ || !doc_->IsModified()) return true;
    if (!doc_->DoFileSave()) return false;
    AfterSave();
    return true;
}

bool DocumentCommands::SaveAs() {
    if (!doc_ || !doc_->DoSave(std::nullopt, true)) return false;
    AfterSave();
    return true;
}

void DocumentCommands::AfterSave() {
    host_.SetCaption(doc_->GetTitle());
    Remember(doc_->GetPathName());
    host_.RefreshCommandStates();
}

void DocumentCommands::Remember(const std::string& path) {
    recent_.Read();
    recent_.Add(path);
    recent_.Write();
}
