// TcpPipe.h: a BytePipe over a TCP connection, the listening socket that waits for handhelds and
// the connection a simulated handheld opens. Every wait goes through poll() with a time-out.
#pragma once

#include "palmdesk/link/BytePipe.h"

#include <cstdint>
#include <memory>
#include <string>

namespace palmdesk::link {

// Network HotSync and the serial stack as emulators offer it over TCP.
inline constexpr std::uint16_t kNetSyncPort = 14238;
inline constexpr std::uint16_t kSerialOverTcpPort = 6416;

class TcpPipe final : public BytePipe {
public:
    // Takes over a connected socket.
    explicit TcpPipe(int fd, std::string peer);
    ~TcpPipe() override;
    TcpPipe(const TcpPipe&) = delete;
    TcpPipe& operator=(const TcpPipe&) = delete;

    std::size_t readSome(std::span<std::uint8_t> buffer, Millis timeout) override;
    void writeAll(std::span<const std::uint8_t> data, Millis timeout) override;
    void close() override;
    // "192.168.2.4:1042"
    const std::string& peer() const { return peer_; }

private:
    int fd_;
    std::string peer_;
};

class TcpListener {
public:
    // Listens on port (0: one the system picks) of every interface, or of the loopback interface
    // only. Throws LinkError when the port cannot be had ("port 14238 is in use").
    TcpListener(std::uint16_t port, bool loopbackOnly);
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    std::uint16_t port() const { return port_; }
    // The next connection, or none when none came within timeout.
    std::unique_ptr<TcpPipe> accept(Millis timeout);

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

// A connection to host:port; throws LinkError when none is made within timeout.
std::unique_ptr<TcpPipe> connectTcp(const std::string& host, std::uint16_t port, Millis timeout);

}  // namespace palmdesk::link
