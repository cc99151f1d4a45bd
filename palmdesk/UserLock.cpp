// UserLock.cpp: one writer at a time for a Palm user's handheld and install queue.
#include "UserLock.h"

#include "UserStore.h"

#include <thread>
#include <unistd.h>

namespace palmdesk {

UserLock::UserLock(const UserStore& users, const std::string& user, const std::string& what,
                   std::chrono::milliseconds patience)
    : user_(user) {
    const std::string path = users.UserFolder(user) + "/.hotsync.lock";
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        lock_ = std::make_unique<win::FileLock>(path, true, win::FileLock::Wait::No);
        if (lock_->Held()) {
            lock_->Describe("pid " + std::to_string(::getpid()) + " (" + what + ")");
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        lock_.reset();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    holder_ = win::FileLock::Description(path);
    if (holder_.empty()) holder_ = "another program";
}

std::string UserLock::Refusal() const { return "the handheld of " + user_ + " is in use by " + holder_ + "; try again once it is done"; }

}  // namespace palmdesk
