// FdWait.h: waiting on a file descriptor (a socket, a serial port) with a time-out, the one wait
// every POSIX pipe of the link uses; and a time-out as people read it.
#pragma once

#include "palmdesk/link/BytePipe.h"

#include <string>

namespace palmdesk::link {

// Waits until fd is ready for events (POLLIN, POLLOUT); false on time-out. `revents` gets what
// poll() reported (POLLHUP, POLLERR among it). Throws LinkError when poll() itself fails.
bool waitForFd(int fd, short events, Millis timeout, short* revents = nullptr);

// "5 s", "250 ms".
std::string describeWait(Millis timeout);

}  // namespace palmdesk::link
