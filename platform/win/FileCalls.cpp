// FileCalls.cpp: the file-system calls that change the disk, through a plan of injected faults.
#include "FileCalls.h"

#include <algorithm>
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
#include <vector>

namespace win {

namespace {
constexpr std::size_t kKinds = 6;  // Any included

struct Plan {
    std::mutex mutex;
    bool read = false;  // PALMDESK_FILE_FAULT looked at
    bool armed = false;
    FileCall call = FileCall::Write;
    int nth = 0;
    FaultAction action = FaultAction::Fail;
    std::array<int, kKinds> counts{};
    bool noReserve = false;
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
    else if (k == "truncate") p.call = FileCall::Truncate;
    else if (k == "rename") p.call = FileCall::Rename;
    else if (k == "unlink") p.call = FileCall::Unlink;
    else if (k == "any") p.call = FileCall::Any;
    else return;
    if (a.empty() || a == "fail") p.action = FaultAction::Fail;
    else if (a == "short") p.action = FaultAction::Short;
    else if (a == "stop") p.action = FaultAction::Stop;
    else if (a == "exit") p.action = FaultAction::Exit;
    else if (a == "exitmidway") p.action = FaultAction::ExitMidway;
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
    const int any = ++p.counts[indexOf(FileCall::Any)];
    if (!p.armed) return std::nullopt;
    if (p.call == FileCall::Any ? p.nth != any : p.call != call || p.nth != count) return std::nullopt;
    return p.action;
}

// Ends the process as a crash there would, without running anything more of it.
[[noreturn]] void endProcess() { std::_Exit(0); }

// Applies a fault other than a short or half write: true when the call must fail.
bool failsHere(FileCall call) {
    const auto action = faultFor(call);
    if (!action) return false;
    switch (*action) {
    case FaultAction::Stop:
        ::raise(SIGSTOP);
        return false;  // continued: the call goes on
    case FaultAction::Exit:
    case FaultAction::ExitMidway: endProcess();
    case FaultAction::Fail:
    case FaultAction::Short: break;
    }
    errno = EIO;
    return true;
}

// Writes the first half of the parts' bytes, then ends the process.
[[noreturn]] void writeHalfAndEnd(int fd, const iovec* parts, int count) {
    std::size_t left = 0;
    for (int i = 0; i < count; ++i) left += parts[i].iov_len;
    left /= 2;
    std::vector<iovec> half;
    for (int i = 0; i < count && left > 0; ++i) {
        half.push_back({parts[i].iov_base, std::min(left, parts[i].iov_len)});
        left -= half.back().iov_len;
    }
    if (!half.empty()) {
        [[maybe_unused]] const ssize_t written = ::writev(fd, half.data(), static_cast<int>(half.size()));
    }
    endProcess();
}
}  // namespace

ssize_t Writev(int fd, const iovec* parts, int count) {
    const auto action = faultFor(FileCall::Write);
    if (action == FaultAction::Stop) ::raise(SIGSTOP);
    if (action == FaultAction::Exit) endProcess();
    if (action == FaultAction::ExitMidway) writeHalfAndEnd(fd, parts, count);
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

ssize_t CopyFileRange(int from, off_t* at, int fd, std::size_t count) {
    const auto action = faultFor(FileCall::Write);
    if (action == FaultAction::Stop) ::raise(SIGSTOP);
    if (action == FaultAction::Exit) endProcess();
    if (action == FaultAction::ExitMidway) {
        [[maybe_unused]] const ssize_t copied = ::copy_file_range(from, at, fd, nullptr, count / 2, 0);
        endProcess();
    }
    if (action == FaultAction::Fail) {
        errno = ENOSPC;
        return -1;
    }
    if (action == FaultAction::Short && count > 1) count /= 2;
    return ::copy_file_range(from, at, fd, nullptr, count, 0);
}

int Fsync(int fd) { return failsHere(FileCall::Fsync) ? -1 : ::fsync(fd); }

int Syncfs(int fd) { return failsHere(FileCall::Fsync) ? -1 : ::syncfs(fd); }

int Ftruncate(int fd, off_t length) { return failsHere(FileCall::Truncate) ? -1 : ::ftruncate(fd, length); }

int Rename(const std::string& from, const std::string& to) {
    return failsHere(FileCall::Rename) ? -1 : std::rename(from.c_str(), to.c_str());
}

int Link(const std::string& from, const std::string& to) {
    return failsHere(FileCall::Rename) ? -1 : ::link(from.c_str(), to.c_str());
}

int Unlink(const std::string& path) { return failsHere(FileCall::Unlink) ? -1 : ::unlink(path.c_str()); }

int Reserve(int fd, off_t length) {
    {
        Plan& p = plan();
        std::lock_guard lock(p.mutex);
        if (p.noReserve) {
            errno = EOPNOTSUPP;
            return -1;
        }
    }
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length);
}

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

void PretendReserveUnsupported(bool unsupported) {
    Plan& p = plan();
    std::lock_guard lock(p.mutex);
    p.noReserve = unsupported;
}

bool FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = Fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

}  // namespace win
