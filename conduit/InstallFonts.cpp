// InstallFonts.cpp
#include "InstallFonts.h"

#include "ConduitMessages.h"
#include "ConduitSettings.h"
#include "FontWrapper.h"
#include "platform/win/EqualNoCase.h"
#include "resources/conduit/ConduitDialog.h"

#include <algorithm>
#include <string_view>

namespace {
std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The folder with a separator at its end.
std::string withSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

// The deepest folder that holds every path; empty when they have none in common.
std::string commonFolder(const std::vector<std::string>& paths) {
    std::string folder = folderOf(paths.front());
    while (!folder.empty()) {
        const std::string prefix = withSeparator(folder);
        const auto inside = [&](const std::string& p) { return p.size() > prefix.size() && p.compare(0, prefix.size(), prefix) == 0; };
        if (std::all_of(paths.begin(), paths.end(), inside)) break;
        folder = folder == "/" ? std::string() : folderOf(folder);
    }
    return folder;
}

}  // namespace

std::size_t FontSelectionBytes(const std::vector<std::string>& paths) {
    std::size_t bytes = 1;  // the closing zero
    if (paths.size() == 1) return bytes + paths.front().size() + 1;
    if (paths.empty()) return bytes;
    // The folder the files share; a name below it keeps the rest of its path.
    const std::string folder = commonFolder(paths);
    bytes += (folder.empty() ? 1 : folder.size()) + 1;
    const std::size_t skip = folder.empty() ? 0 : withSeparator(folder).size();
    for (const auto& p : paths) bytes += p.size() - skip + 1;
    return bytes;
}

bool IsTrueTypeFileName(const std::string& name) {
    return name.size() >= 4 && win::EqualNoCase(std::string_view(name).substr(name.size() - 4), ".ttf");
}

void InstallFonts(const SettingsFile& file, FontFileChooser& chooser, InstallQueue& queue, const std::string& user,
                  const std::string& shownFolder, const DesktopFolders& desktop) {
    const std::string folder =
        shownFolder.empty() ? file.read("TTFontDirectory", DefaultFontFolder(desktop)) : shownFolder;
    const auto chosen = chooser.choose(ShownFolder(folder, desktop));
    if (!chosen || chosen->empty()) return;
    if (FontSelectionBytes(*chosen) > kFontSelectionBufferSize) {
        ConduitMessageBox(conduit::dialog_text::kTooManyFiles, "");
        return;
    }
    std::vector<std::string> queued;
    for (const auto& path : *chosen)
        if (MakeFontDatabase(path, user, queue)) queued.push_back(path.substr(path.find_last_of('/') + 1));
    if (queued.empty()) return;
    // Says what happened, so that the user knows what the next HotSync brings.
    std::string text = std::to_string(queued.size()) + (queued.size() == 1 ? " font was" : " fonts were") +
                       " queued for " + user + "'s next HotSync:";
    for (const auto& name : queued) text += "\n" + name;
    ConduitMessageBox(text, "Install Fonts");
}
