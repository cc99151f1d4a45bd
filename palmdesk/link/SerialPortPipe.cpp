// SerialPortPipe.cpp: termios raw mode, poll() before every read and write, and the speed switch.
#include "palmdesk/link/SerialPortPipe.h"

#include "palmdesk/link/FdWait.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace palmdesk::link {

namespace {

struct Speed {
    std::uint32_t baud;
    speed_t code;
};
constexpr std::array<Speed, 10> kSpeeds = {{{1200, B1200},
                                            {2400, B2400},
                                            {4800, B4800},
                                            {9600, B9600},
                                            {19200, B19200},
                                            {38400, B38400},
                                            {57600, B57600},
                                            {115200, B115200},
                                            {230400, B230400},
                                            {460800, B460800}}};

// After both sides change speed, the handheld needs a moment before the desktop's first request
// at the new one.
constexpr Millis kSpeedSettle{100};

std::string openFailure(const std::string& path, int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return path + ": no such serial port (is the cable or adapter plugged in? `ls /dev/ttyS* /dev/ttyUSB*` lists them)";
    case EACCES:
    case EPERM:
        return path + ": permission denied; add yourself to the group that owns the port (usually dialout: "
                      "`sudo usermod -aG dialout $USER`, then log in again)";
    case EBUSY:
        return path + ": in use by another program";
    default:
        return path + ": cannot open: " + std::strerror(error);
    }
}

}  // namespace

bool isSerialBaud(std::uint32_t baud) {
    for (const auto& s : kSpeeds)
        if (s.baud == baud) return true;
    return false;
}

SerialPortPipe::SerialPortPipe(const std::string& path) : name_(path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) throw LinkError(openFailure(path, errno));
    if (::isatty(fd_) == 0) {
        ::close(fd_);
        fd_ = -1;
        throw LinkError(path + ": not a serial port");
    }
    // One program at a time: another sync program on the same port would take half the bytes.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd_, TIOCEXCL) != 0) {
        ::close(fd_);
        fd_ = -1;
        throw LinkError(openFailure(path, EBUSY));
    }
    makeRaw();
}

SerialPortPipe::SerialPortPipe(int fd, std::string name) : fd_(fd), name_(std::move(name)) {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    makeRaw();
}

SerialPortPipe::~SerialPortPipe() { close(); }

void SerialPortPipe::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void SerialPortPipe::makeRaw() {
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) {
        const std::string why = std::strerror(errno);
        close();
        throw LinkError(name_ + ": not a serial port (" + why + ")");
    }
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, B9600);
    ::cfsetospeed(&t, B9600);
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
        const std::string why = std::strerror(errno);
        close();
        throw LinkError(name_ + ": cannot set raw mode: " + why);
    }
    baud_ = kSerialOpeningBaud;
    ::tcflush(fd_, TCIOFLUSH);
}

void SerialPortPipe::setSpeed(std::uint32_t baud) {
    if (fd_ < 0) throw LinkError("the link is closed");
    const Speed* speed = nullptr;
    for (const auto& s : kSpeeds)
        if (s.baud == baud) speed = &s;
    if (speed == nullptr) throw LinkError(name_ + ": cannot run at " + std::to_string(baud) + " baud");
    termios t{};
    if (::tcgetattr(fd_, &t) != 0 || ::cfsetispeed(&t, speed->code) != 0 || ::cfsetospeed(&t, speed->code) != 0 ||
        ::tcsetattr(fd_, TCSADRAIN, &t) != 0)
        throw LinkError(name_ + ": cannot switch to " + std::to_string(baud) + " baud: " + std::strerror(errno));
    baud_ = baud;
}

bool SerialPortPipe::waitReadable(Millis timeout) {
    if (fd_ < 0) throw LinkError("the link is closed");
    return waitForFd(fd_, POLLIN, timeout);
}

void SerialPortPipe::drain() {
    if (fd_ >= 0) ::tcdrain(fd_);
}

void SerialPortPipe::hungUp() const {
    throw LinkError(name_ + " hung up: the cable was pulled or the other side closed the port");
}

std::size_t SerialPortPipe::readSome(std::span<std::uint8_t> buffer, Millis timeout) {
    if (fd_ < 0) throw LinkError("the link is closed");
    if (buffer.empty()) return 0;
    for (;;) {
        short revents = 0;
        if (!waitForFd(fd_, POLLIN, timeout, &revents))
            throw LinkTimeout("no answer on " + name_ + " within " + describeWait(timeout));
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n > 0) return static_cast<std::size_t>(n);
        if (n == 0 || errno == EIO) hungUp();
        if (errno == EAGAIN || errno == EINTR) {
            // Nothing to read though poll() said so: a hang-up without data, or a wake-up to retry.
            if (revents & (POLLHUP | POLLERR)) hungUp();
            continue;
        }
        throw LinkError("reading from " + name_ + " failed: " + std::strerror(errno));
    }
}

void SerialPortPipe::writeAll(std::span<const std::uint8_t> data, Millis timeout) {
    if (fd_ < 0) throw LinkError("the link is closed");
    std::size_t sent = 0;
    while (sent < data.size()) {
        short revents = 0;
        if (!waitForFd(fd_, POLLOUT, timeout, &revents)) throw LinkError("could not send on " + name_ + " within " + describeWait(timeout));
        if ((revents & (POLLHUP | POLLERR)) && !(revents & POLLOUT)) hungUp();
        const ssize_t n = ::write(fd_, data.data() + sent, data.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EIO) {
            hungUp();
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            throw LinkError("sending on " + name_ + " failed: " + std::strerror(errno));
        }
    }
}

void SerialPortLink::open() {
    port_.setSpeed(kSerialOpeningBaud);
    serial_.open();
    // The desktop's init, acknowledged: its speed holds from here on both sides. The desktop
    // answers with the speed the handheld's wake-up offered.
    const CmpPacket& peer = serial_.peerCmp();
    const bool change = role_ == Role::kDesktop || (peer.flags & kCmpChangeBaud) != 0;
    if (!change || peer.baud == kSerialOpeningBaud) return;
    if (!isSerialBaud(peer.baud))
        throw LinkError("the handheld asked for " + std::to_string(peer.baud) + " baud, which " + port_.name() + " cannot run at");
    port_.drain();
    port_.setSpeed(peer.baud);
    if (role_ == Role::kDesktop) std::this_thread::sleep_for(kSpeedSettle);
}

}  // namespace palmdesk::link
