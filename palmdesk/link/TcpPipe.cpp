// TcpPipe.cpp: POSIX sockets with poll() before every read, write, accept and connect.
#include "palmdesk/link/TcpPipe.h"

#include "palmdesk/link/FdWait.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace palmdesk::link {

namespace {

std::string describe(const sockaddr_storage& address) {
    char host[INET6_ADDRSTRLEN] = "?";
    std::uint16_t port = 0;
    if (address.ss_family == AF_INET) {
        const auto* a = reinterpret_cast<const sockaddr_in*>(&address);
        ::inet_ntop(AF_INET, &a->sin_addr, host, sizeof host);
        port = ntohs(a->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* a = reinterpret_cast<const sockaddr_in6*>(&address);
        ::inet_ntop(AF_INET6, &a->sin6_addr, host, sizeof host);
        port = ntohs(a->sin6_port);
    }
    return std::string(host) + ":" + std::to_string(port);
}

void noDelay(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

TcpPipe::TcpPipe(int fd, std::string peer) : fd_(fd), peer_(std::move(peer)) { noDelay(fd_); }

TcpPipe::~TcpPipe() { close(); }

void TcpPipe::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::size_t TcpPipe::readSome(std::span<std::uint8_t> buffer, Millis timeout) {
    if (fd_ < 0) throw LinkError("the link is closed");
    if (buffer.empty()) return 0;
    for (;;) {
        if (!waitForFd(fd_, POLLIN, timeout)) throw LinkTimeout("no answer from " + peer_ + " within " + describeWait(timeout));
        const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (n > 0) return static_cast<std::size_t>(n);
        if (n == 0) throw LinkError(peer_ + " closed the connection");
        if (errno != EINTR && errno != EAGAIN) throw LinkError("reading from " + peer_ + " failed: " + std::strerror(errno));
    }
}

void TcpPipe::writeAll(std::span<const std::uint8_t> data, Millis timeout) {
    if (fd_ < 0) throw LinkError("the link is closed");
    std::size_t sent = 0;
    while (sent < data.size()) {
        if (!waitForFd(fd_, POLLOUT, timeout)) throw LinkError("could not send to " + peer_ + " within " + describeWait(timeout));
        const ssize_t n = ::send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (errno != EINTR && errno != EAGAIN) {
            throw LinkError("sending to " + peer_ + " failed: " + std::strerror(errno));
        }
    }
}

TcpListener::TcpListener(std::uint16_t port, bool loopbackOnly) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) throw LinkError(std::string("cannot open a socket: ") + std::strerror(errno));
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(loopbackOnly ? INADDR_LOOPBACK : INADDR_ANY);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd_, 4) != 0) {
        const std::string why = std::strerror(errno);
        ::close(fd_);
        throw LinkError("cannot listen on port " + std::to_string(port) + ": " + why);
    }
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

TcpListener::~TcpListener() {
    if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<TcpPipe> TcpListener::accept(Millis timeout) {
    if (!waitForFd(fd_, POLLIN, timeout)) return nullptr;
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int fd = ::accept4(fd_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED || errno == EAGAIN) return nullptr;
        throw LinkError(std::string("accepting a connection failed: ") + std::strerror(errno));
    }
    return std::make_unique<TcpPipe>(fd, describe(peer));
}

std::unique_ptr<TcpPipe> connectTcp(const std::string& host, std::uint16_t port, Millis timeout) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string where = host + ":" + std::to_string(port);
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || found == nullptr)
        throw LinkError("cannot find the address of " + host);
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
    std::string why = "no address";
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            if (waitForFd(fd, POLLOUT, timeout)) {
                int error = 0;
                socklen_t length = sizeof error;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
                rc = error == 0 ? 0 : -1;
                errno = error;
            } else {
                errno = ETIMEDOUT;
            }
        }
        if (rc == 0) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return std::make_unique<TcpPipe>(fd, where);
        }
        why = std::strerror(errno);
        ::close(fd);
    }
    throw LinkError("cannot connect to " + where + ": " + why);
}

}  // namespace palmdesk::link
