// UserLock.h: one writer at a time for a Palm user's handheld and install queue. A
// synchronisation, an import or export of the store, a change to the queue and an install all
// take the same lock, so that none of them sees the others' work half done.
#pragma once

#include "platform/win/FileLock.h"

#include <chrono>
#include <memory>
#include <string>

namespace palmdesk {

class UserStore;

class UserLock {
public:
    static constexpr std::chrono::milliseconds kPatience{3000};

    // Waits up to patience for the lock of the user; what records the holder is the text that
    // Holder() shows to the next one (as "pid 1234 (hotsync sync)").
    UserLock(const UserStore& users, const std::string& user, const std::string& what,
             std::chrono::milliseconds patience = kPatience);

    bool Held() const { return lock_ && lock_->Held(); }
    // Who holds the lock when it was not taken, as its holder described itself.
    const std::string& Holder() const { return holder_; }
    // "the handheld of Ann is in use by pid 1234 (hotsync sync)": the message for a refusal.
    std::string Refusal() const;

private:
    std::string user_;
    std::unique_ptr<win::FileLock> lock_;
    std::string holder_;
};

}  // namespace palmdesk
