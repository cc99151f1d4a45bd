// FileCalls.cpp: the file-system calls that change the disk, through a plan of injected faults.
#include "FileCalls.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <unistd.h>

namespace win {

namespace {
constexpr std::size_t kKinds = 4;

struct Plan {
    std::mutex mutex;
    bool read = false;  // PALMDESK_FILE_FAULT looked at
    bool armed = false;
    FileCall call = FileCall::Write;
    int nth = 0;
    FaultAction action = FaultAction::Fail;
    std::array<int, kKinds> counts{};
};

Plan& plan() {
    static Plan p;
    return p;
}

std::size_t indexOf(FileCall call) { return static_cast<std::size_t>(call); }

// "rename:3:stop" and the like; anything else leaves the plan unarmed.
void readVariable(Plan& p) {
    p.read = true;
    const char* text = std::getenv("PALMDESK_FILE_FAULT");
    if (text == nullptr) return;
    char kind[16] = {}, action[16] = {};
    int nth = 0;
    if (std::sscanf(text, "%15[a-z]:%d:%15[a-z]", kind, &nth, action) < 2 || nth < 1) return;
    const std::string k = kind, a = action;
    if (k == "write") p.call = FileCall::Write;
    else if (k == "fsync") p.call = FileCall::Fsync;
    else if (k == "rename") p.call = FileCall::Rename;
    else if (k == "unlink") p.call = FileCall::Unlink;
    else return;
    if (a.empty() || a == "fail") p.action = FaultAction::Fail;
    else if (a == "short") p.action = FaultAction::Short;
    else if (a == "stop") p.action = FaultAction::Stop;
    else return;
    p.nth = nth;
    p.armed = true;
}

// Counts the call; the action it must take, if the plan picks this one.
std::optional<FaultAction> faultFor(FileCall call) {
    Plan& p = plan();
    std::lock_guard lock(p.mutex);
    if (!p.read) readVariable(p);
    const int count = ++p.counts[indexOf(call)];
    if (!p.armed || p.call != call || p.nth != count) return std::nullopt;
    return p.action;
}

// Applies a fault other than a short write: true when the call must fail.
bool failsHere(FileCall call) {
    const auto action = faultFor(call);
    if (!action) return false;
    if (*action == FaultAction::Stop) {
        ::raise(SIGSTOP);
        return false;  // continued: the call goes on
    }
    errno = EIO;
    return true;
}
}  // namespace

ssize_t Writev(int fd, const iovec* parts, int count) {
    const auto action = faultFor(FileCall::Write);
    if (action == FaultAction::Stop) ::raise(SIGSTOP);
    if (action == FaultAction::Fail) {
        errno = ENOSPC;
        return -1;
    }
    if (action == FaultAction::Short && count > 0 && parts[0].iov_len > 1) {
        iovec half = parts[0];
        half.iov_len /= 2;
        return ::writev(fd, &half, 1);
    }
    return ::writev(fd, parts, count);
}

int Fsync(int fd) { return failsHere(FileCall::Fsync) ? -1 : ::fsync(fd); }

int Rename(const std::string& from, const std::string& to) {
    return failsHere(FileCall::Rename) ? -1 : std::rename(from.c_str(), to.c_str());
}

int Link(const std::string& from, const std::string& to) {
    return failsHere(FileCall::Rename) ? -1 : ::link(from.c_str(), to.c_str());
}

int Unlink(const std::string& path) { return failsHere(FileCall::Unlink) ? -1 : ::unlink(path.c_str()); }

void InjectFileFault(FileCall call, int nth, FaultAction action) {
    Plan& p = plan();
    std::lock_guard lock(p.mutex);
    p.read = true;
    p.armed = true;
    p.call = call;
    p.nth = nth;
    p.action = action;
    p.counts = {};
}

void ClearFileFaults() {
    Plan& p = plan();
    std::lock_guard lock(p.mutex);
    p.read = true;
    p.armed = false;
    p.counts = {};
}

int FileCallCount(FileCall call) {
    Plan& p = plan();
    std::lock_guard lock(p.mutex);
    return p.counts[indexOf(call)];
}

bool FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = Fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

}  // namespace win
