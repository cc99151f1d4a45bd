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

DocumentCommands::DocumentCommands(DocumentUi& ui, DocumentHost& host, RecentFileList& recent)
    : ui_(ui), host_(host), recent_(recent) {}

DocumentCommands::~DocumentCommands() = default;

DocumentCommands::DocPtr DocumentCommands::MakeDocument() {
    auto doc = std::make_unique<CFontDoc>(ui_);
    doc->Fonts().SetCodePage(codePage_);
    return doc;
}

void DocumentCommands::Install(DocPtr doc) {
    doc_ = std::move(doc);
    host_.SetDocument(doc_.get());
}

Outcome DocumentCommands::NewDocument() {
    if (Outcome closed = CloseDocument(); !closed) return closed;
    DocPtr doc = MakeDocument();
    if (!doc->OnNewDocument(converter::LoadConverterString(converter::kStrUntitled))) return Outcome::Stopped();
    Install(std::move(doc));
    return Outcome::Done();
}

Outcome DocumentCommands::OpenDocumentFile(const std::optional<std::string>& path) {
    const bool fromDialog = !path;
    const std::optional<std::string> chosen = fromDialog ? host_.AskOpenPath() : path;
    if (!chosen) return Outcome::Stopped();
    if (doc_ && SameFilePath(*chosen, doc_->GetPathName())) return Outcome::Done();

    DocPtr doc = MakeDocument();
    if (Outcome opened = doc->OnOpenDocument(*chosen); !opened) return opened;
    // The old document's save prompt comes now, once the new file is known to be readable.
    if (Outcome closed = CloseDocument(); !closed) return Outcome::DoneWith(closed);
    Install(std::move(doc));
    if (fromDialog) Remember(*chosen);
    return Outcome::Done();
}

Outcome DocumentCommands::OpenRecent(unsigned commandId) {
    const std::string path =
        commandId >= kFirstRecentId && commandId <= kLastRecentId ? recent_.NewestAt(commandId - kFirstRecentId) : std::string();
    if (path.empty()) {
        host_.Beep();
        return Outcome::Stopped();
    }
    Outcome opened = OpenDocumentFile(path);
    recent_.Read();
    if (opened) recent_.Add(path);
    else recent_.Remove(path);
    recent_.Write();
    return opened;
}

Outcome DocumentCommands::CloseDocument() {
    if (!doc_) return Outcome::Done();
    if (Outcome saved = doc_->SaveModified(); !saved) return saved;
    if (!doc_->GetPathName().empty()) Remember(doc_->GetPathName());
    host_.RefreshCommandStates();
    doc_.reset();
    host_.SetDocument(nullptr);
    return Outcome::Done();
}

Outcome DocumentCommands::Save() {
    if (!doc_ || !doc_->IsModified()) return Outcome::Done();
    Outcome saved = doc_->DoFileSave();
    if (saved) AfterSave();
    return saved;
}

Outcome DocumentCommands::SaveAs() {
    if (!doc_) return Outcome::Stopped();
    Outcome saved = doc_->DoSave(std::nullopt, true);
    if (saved) AfterSave();
    return saved;
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
