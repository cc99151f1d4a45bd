// InstallQueue.h: the files waiting for a Palm user's next HotSync, as the conduit hands them on.
#pragma once

#include <string>

class InstallQueue {
public:
    virtual ~InstallQueue() = default;
    // Queues a copy of the file at path for user, under the file's own name; the caller may
    // delete its copy at once. False when the file was not queued.
    virtual bool add(const std::string& user, const std::string& path) = 0;
};

// The desktop's queue, through the install aide (PltInstallFile).
class InstaideQueue final : public InstallQueue {
public:
    bool add(const std::string& user, const std::string& path) override;
};
