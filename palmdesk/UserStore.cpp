// UserStore.cpp: the Palm users of the stand-in desktop: folders under $PALMDESK_ROOT/Users/, each
// with its 32-bit user ID, its install queue (Install/) and its handheld (Handheld/card0/).
#include "UserStore.h"

#include "platform/win/AtomicFile.h"
#include "platform/win/DesktopRoot.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

namespace palmdesk {

namespace fs = std::filesystem;

namespace {
constexpr const char* kIdFile = "UserID";
constexpr const char* kProfileMarker = "Profile";

std::optional<std::uint32_t> readId(const fs::path& folder) {
    std::ifstream in(folder / kIdFile);
    unsigned long long id = 0;
    if (!(in >> id) || id == 0 || id > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(id);
}
}  // namespace

UserStore::UserStore() : UserStore(win::DesktopRoot() + "/Users") {}
UserStore::UserStore(std::string usersFolder) : usersFolder_(std::move(usersFolder)) {}

bool UserStore::IsValidName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos &&
           std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::vector<PalmDesktopUser> UserStore::List() const {
    std::vector<PalmDesktopUser> users;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(usersFolder_, ignored)) {
        if (!entry.is_directory(ignored)) continue;
        const auto id = readId(entry.path());
        if (!id) continue;
        users.push_back({entry.path().filename().string(), *id, fs::exists(entry.path() / kProfileMarker, ignored)});
    }
    std::sort(users.begin(), users.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return users;
}

std::optional<PalmDesktopUser> UserStore::Find(const std::string& name) const {
    if (!IsValidName(name)) return std::nullopt;
    const fs::path folder = UserFolder(name);
    const auto id = readId(folder);
    if (!id) return std::nullopt;
    std::error_code ignored;
    return PalmDesktopUser{name, *id, fs::exists(folder / kProfileMarker, ignored)};
}

bool UserStore::Add(const std::string& name, bool profile, std::string* why) {
    if (!IsValidName(name)) {
        if (why) *why = "\"" + name + "\" cannot be a user name";
        return false;
    }
    if (Find(name)) {
        if (why) *why = "the user \"" + name + "\" exists already";
        return false;
    }
    const std::string folder = UserFolder(name);
    if (!win::MakeFolders(InstallFolder(name)) || !win::MakeFolders(HandheldFolder(name))) {
        if (why) *why = "cannot make the folders of \"" + name + "\"";
        return false;
    }
    std::random_device random;
    std::uint32_t id = 0;
    while (id == 0) id = random();
    const std::string text = std::to_string(id) + "\n";
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (!win::writeFileAtomically(folder + "/" + kIdFile, {bytes}, true) ||
        (profile && !win::writeFileAtomically(folder + "/" + kProfileMarker, {}, true))) {
        if (why) *why = "cannot write the user ID of \"" + name + "\"";
        return false;
    }
    return true;
}

std::vector<std::string> UserStore::Queue(const std::string& name) const {
    std::vector<std::string> files;
    std::error_code ignored;
    if (!IsValidName(name)) return files;
    for (const auto& entry : fs::directory_iterator(InstallFolder(name), ignored))
        if (entry.is_regular_file(ignored) && entry.path().filename().string().find(".tmp") == std::string::npos)
            files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace palmdesk
