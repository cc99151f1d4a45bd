// FakeInstallQueue.h: the install queue in memory. Keeps each queued file's name and bytes as they
// were when handed over, by user, and can refuse them all.
#pragma once

#include "conduit/InstallQueue.h"
#include "platform/win/WholeFile.h"

#include <map>
#include <string>
#include <vector>

class FakeInstallQueue final : public InstallQueue {
public:
    struct File {
        std::string name;
        std::vector<std::uint8_t> bytes;
    };
    bool add(const std::string& user, const std::string& path) override {
        if (failAdds) return false;
        const auto bytes = win::ReadWholeFile(path);
        if (!bytes) return false;
        files[user].push_back({path.substr(path.find_last_of('/') + 1), *bytes});
        return true;
    }
    // The names queued for user, in order.
    std::vector<std::string> names(const std::string& user) const {
        std::vector<std::string> out;
        if (const auto it = files.find(user); it != files.end())
            for (const auto& f : it->second) out.push_back(f.name);
        return out;
    }
    std::map<std::string, std::vector<File>> files;
    bool failAdds = false;
};
