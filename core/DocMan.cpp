// DocMan.cpp: the save prompt and the Save / Save As sequence.
#include "DocMan.h"

#include "DocumentUi.h"
#include "PathNames.h"
#include "resources/converter/ConverterStrings.h"

#include <sys/stat.h>

namespace {
// The file exists and its read-only attribute is clear (some write permission is set).
bool isWritableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) != 0;
}

std::optional<CDocMan::DiskState> diskStateOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return CDocMan::DiskState{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                              static_cast<std::uint64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
                              static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

}  // namespace

Outcome CDocMan::SaveModified() {
    if (!modified_) return Outcome::Done();
    const std::string text = converter::FormatConverterString(converter::kStrSaveChanges, title_.c_str());
    switch (ui_.AskSaveChanges(text)) {
    case SaveChoice::Cancel: return Outcome::Stopped();
    case SaveChoice::Discard: return Outcome::Done();
    case SaveChoice::Save: break;
    }
    return DoFileSave();
}

Outcome CDocMan::DoFileSave() {
    if (!path_.empty() && isWritableFile(path_)) return DoSave(path_, true);
    return DoSave(std::nullopt, true);
}

Outcome CDocMan::DoSave(const std::optional<std::string>& path, bool replace) {
    std::string chosen;
    if (path) {
        chosen = *path;
    } else {
        std::string proposed = path_;
        if (proposed.empty() && replace) proposed = proposedFileName(title_);
        const auto answer = ui_.AskSavePath(proposed);
        if (!answer) return Outcome::Stopped();
        chosen = *answer;
    }
    if (chosen == path_ && !MayOverwriteChangedFile(chosen)) return Outcome::Stopped();
    ui_.ShowWaitCursor(true);
    // A failed save leaves no file behind: the document is written to a temporary file that
    // only replaces the chosen one once it is complete.
    Outcome saved = OnSaveDocument(chosen);
    if (saved && replace) SetPathName(chosen);
    if (saved && chosen == path_) onDisk_ = diskStateOf(chosen);
    ui_.ShowWaitCursor(false);
    return saved;
}

bool CDocMan::MayOverwriteChangedFile(const std::string& path) {
    if (!onDisk_) return true;
    const auto now = diskStateOf(path);
    if (!now || *now == *onDisk_) return true;
    const std::string text = fileNameOf(path) +
                             " has been changed on disk since this document was opened or last saved, by another "
                             "window or program.\n\nOverwrite it with this document? Cancel keeps the document "
                             "open without saving.";
    return ui_.AskOverwriteChanged(text);
}

void CDocMan::RememberDiskState(const std::string& path) { onDisk_ = diskStateOf(path); }

void CDocMan::SetPathName(const std::string& path) {
    if (path != path_) onDisk_.reset();
    path_ = path;
    title_ = fileTitle(path);
}
