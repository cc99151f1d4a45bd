// UserStore.h: the Palm users of the stand-in desktop: folders under $PALMDESK_ROOT/Users/, each
// with its 32-bit user ID, its install queue (Install/) and its handheld (Handheld/card0/). A
// user folder holding a file "Profile" is a profile, a template for new users rather than a user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace palmdesk {

struct PalmDesktopUser {
    std::string name;
    std::uint32_t id = 0;
    bool profile = false;
};

class UserStore {
public:
    // The store of the current desktop root.
    UserStore();
    explicit UserStore(std::string usersFolder);

    // Users in name order.
    std::vector<PalmDesktopUser> List() const;
    std::optional<PalmDesktopUser> Find(const std::string& name) const;
    // Adds a user with a new ID; false (why set) for a name that cannot be a folder name or exists.
    bool Add(const std::string& name, bool profile, std::string* why = nullptr);

    std::string UserFolder(const std::string& name) const { return usersFolder_ + "/" + name; }
    std::string InstallFolder(const std::string& name) const { return UserFolder(name) + "/Install"; }
    std::string HandheldFolder(const std::string& name) const { return UserFolder(name) + "/Handheld/card0"; }
    // Files waiting in the user's install queue, in name order.
    std::vector<std::string> Queue(const std::string& name) const;

    // Whether a name can be a user: not empty, no separators, not "." or "..".
    static bool IsValidName(const std::string& name);

private:
    std::string usersFolder_;
};

}  // namespace palmdesk
