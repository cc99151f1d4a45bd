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

std::string join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    std::string path = withSeparator(folder);
    path.append(name);
    return path;
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

void append(std::vector<char>& buffer, const std::string& text) {
    buffer.insert(buffer.end(), text.begin(), text.end());
    buffer.push_back('\0');
}
}  // namespace

std::optional<std::vector<char>> PackFontSelection(const std::vector<std::string>& paths, std::size_t capacity) {
    std::vector<char> buffer;
    if (paths.size() == 1) {
        append(buffer, paths.front());
    } else if (!paths.empty()) {
        // The folder the files share; a name below it keeps the rest of its path.
        const std::string folder = commonFolder(paths);
        append(buffer, folder.empty() ? std::string(".") : folder);
        const std::size_t skip = folder.empty() ? 0 : withSeparator(folder).size();
        for (const auto& p : paths) append(buffer, p.substr(skip));
    }
    buffer.push_back('\0');
    if (buffer.size() > capacity) return std::nullopt;
    return buffer;
}

std::vector<std::string> ParseFontSelection(std::span<const char> buffer) {
    std::vector<std::string> strings;
    std::size_t pos = 0;
    while (pos < buffer.size() && buffer[pos] != '\0') {
        const auto end = std::find(buffer.begin() + std::ptrdiff_t(pos), buffer.end(), '\0');
        strings.emplace_back(buffer.begin() + std::ptrdiff_t(pos), end);
        pos = std::size_t(end - buffer.begin()) + 1;
    }
    if (strings.size() <= 1) return strings;
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < strings.size(); ++i) paths.push_back(join(strings.front(), strings[i]));
    return paths;
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
    const auto buffer = PackFontSelection(*chosen);
    if (!buffer) {
        ConduitMessageBox(conduit::dialog_text::kTooManyFiles, "");
        return;
    }
    std::vector<std::string> queued;
    for (const auto& path : ParseFontSelection(*buffer))
        if (MakeFontDatabase(path, user, queue)) queued.push_back(path.substr(path.find_last_of('/') + 1));
    if (queued.empty()) return;
    // Says what happened, so that the user knows what the next HotSync brings.
    std::string text = std::to_string(queued.size()) + (queued.size() == 1 ? " font was" : " fonts were") +
                       " queued for " + user + "'s next HotSync:";
    for (const auto& name : queued) text += "\n" + name;
    ConduitMessageBox(text, "Install Fonts");
}
