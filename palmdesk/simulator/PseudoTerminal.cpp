// PseudoTerminal.cpp: posix_openpt and the terminal's path.
#include "palmdesk/simulator/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace palmdesk::sim {

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    const char* name = master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0 ? ::ptsname(master_) : nullptr;
    if (name == nullptr) {
        const std::string why = std::strerror(errno);
        if (master_ >= 0) ::close(master_);
        throw link::LinkError("cannot make a pseudo-terminal: " + why);
    }
    path_ = name;
    keeper_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (keeper_ >= 0 && ::tcgetattr(keeper_, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(keeper_, TCSANOW, &t);
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (master_ >= 0) ::close(master_);
    if (keeper_ >= 0) ::close(keeper_);
}

std::unique_ptr<link::SerialPortPipe> PseudoTerminal::takeHandheldEnd() {
    if (master_ < 0) throw link::LinkError("the handheld's end of " + path_ + " is taken");
    const int fd = master_;
    master_ = -1;
    return std::make_unique<link::SerialPortPipe>(fd, "the handheld's end of " + path_);
}

}  // namespace palmdesk::sim
