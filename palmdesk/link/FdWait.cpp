// FdWait.cpp: poll() with a time-out, interrupted waits resumed with the time that is left.
#include "palmdesk/link/FdWait.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>

namespace palmdesk::link {

bool waitForFd(int fd, short events, Millis timeout, short* revents) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    pollfd p{fd, events, 0};
    for (;;) {
        const auto left = std::max(std::chrono::duration_cast<Millis>(deadline - Clock::now()), Millis{0});
        const int n = ::poll(&p, 1, static_cast<int>(left.count()));
        if (n > 0) {
            if (revents != nullptr) *revents = p.revents;
            return true;
        }
        if (n == 0) return false;
        if (errno != EINTR) throw LinkError(std::string("waiting on the connection failed: ") + std::strerror(errno));
    }
}

std::string describeWait(Millis timeout) {
    const auto ms = timeout.count();
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
    return std::to_string(ms) + " ms";
}

}  // namespace palmdesk::link
