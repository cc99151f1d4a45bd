// Instaide.cpp: the install aide, a shared library of its own (Instaide.so), as the converter and
// the conduit load it. Users are those of the desktop's UserStore; installing copies the file
// into the user's install queue at once, so the caller may delete its own copy right away.
//
// Results: 0 or more for success; negative for an error:
//   -1 an argument is missing, -2 no such user, -3 the file cannot be read, -4 the queue cannot
//   be written, -5 the user index is out of range, -6 the name buffer is too small, -7 the
//   user's handheld is in use (a synchronisation that did not end within a few seconds).
#include "UserLock.h"
#include "UserStore.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/WholeFile.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {
constexpr std::int32_t kMissingArgument = -1;
constexpr std::int32_t kNoSuchUser = -2;
constexpr std::int32_t kUnreadableFile = -3;
constexpr std::int32_t kQueueNotWritable = -4;
constexpr std::int32_t kBadIndex = -5;
constexpr std::int32_t kBufferTooSmall = -6;
constexpr std::int32_t kUserBusy = -7;

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Every user the aide reports, profiles included, in the store's order.
std::vector<palmdesk::PalmDesktopUser> users() { return palmdesk::UserStore().List(); }
}  // namespace

extern "C" {

__attribute__((visibility("default"))) std::int32_t PltGetUserCount() {
    return static_cast<std::int32_t>(users().size());
}

__attribute__((visibility("default"))) std::int32_t PltGetUser(std::uint32_t index, char* nameBuffer, std::int16_t* bufferSize) {
    if (nameBuffer == nullptr || bufferSize == nullptr) return kMissingArgument;
    const auto list = users();
    if (index >= list.size()) return kBadIndex;
    const std::string& name = list[index].name;
    if (*bufferSize <= 0 || name.size() + 1 > static_cast<std::size_t>(*bufferSize)) return kBufferTooSmall;
    std::memcpy(nameBuffer, name.c_str(), name.size() + 1);
    *bufferSize = static_cast<std::int16_t>(name.size());
    return 0;
}

// 1 for a profile, 0 for a user.
__attribute__((visibility("default"))) std::int32_t PltIsUserProfile(const char* userName) {
    if (userName == nullptr) return kMissingArgument;
    const auto user = palmdesk::UserStore().Find(userName);
    if (!user) return kNoSuchUser;
    return user->profile ? 1 : 0;
}

// 0 with the ID stored; 1 for a profile, which has no user ID of its own.
__attribute__((visibility("default"))) std::int32_t PlmGetUserIDFromName(const char* userName, std::uint32_t* userId) {
    if (userName == nullptr || userId == nullptr) return kMissingArgument;
    const auto user = palmdesk::UserStore().Find(userName);
    if (!user) return kNoSuchUser;
    if (user->profile) return 1;
    *userId = user->id;
    return 0;
}

__attribute__((visibility("default"))) std::int32_t PltRemoveInstallFile(const char* userName, const char* path) {
    if (userName == nullptr || path == nullptr) return kMissingArgument;
    palmdesk::UserStore store;
    if (!store.Find(userName)) return kNoSuchUser;
    const palmdesk::UserLock lock(store, userName, "install aide");
    if (!lock.Held()) return kUserBusy;
    const std::string queued = store.InstallFolder(userName) + "/" + baseName(path);
    return std::remove(queued.c_str()) == 0 ? 0 : 1;
}

__attribute__((visibility("default"))) std::int32_t PltInstallFile(const char* userName, const char* path) {
    if (userName == nullptr || path == nullptr) return kMissingArgument;
    palmdesk::UserStore store;
    if (!store.Find(userName)) return kNoSuchUser;
    const auto bytes = win::ReadWholeFile(path);
    if (!bytes) return kUnreadableFile;
    const palmdesk::UserLock lock(store, userName, "install aide");
    if (!lock.Held()) return kUserBusy;
    const std::string queued = store.InstallFolder(userName) + "/" + baseName(path);
    return win::writeFileAtomically(queued, {std::span<const std::uint8_t>(*bytes)}, true) ? 0 : kQueueNotWritable;
}

}  // extern "C"
