// SerialPortPipe.h: a serial port (/dev/ttyS0, a USB serial adapter's /dev/ttyUSB0, one end of a
// pseudo-terminal) in raw mode as a byte pipe, and the serial stack over it with the speed switch
// the handheld's connection packets agree on.
#pragma once

#include "palmdesk/link/MessageLink.h"
#include "palmdesk/link/SerialLink.h"

#include <cstdint>
#include <string>

namespace palmdesk::link {

// Every serial session begins at this speed.
inline constexpr std::uint32_t kSerialOpeningBaud = 9600;

// Whether a port can be set to baud (the standard rates from 1200 to 460800).
bool isSerialBaud(std::uint32_t baud);

class SerialPortPipe final : public BytePipe {
public:
    // Opens path for this program alone, raw, 8 data bits, no parity, no flow control, at
    // kSerialOpeningBaud. Throws LinkError naming the path and what to do: no such port, no
    // permission (the dialout group), in use by another program, not a serial port.
    explicit SerialPortPipe(const std::string& path);
    // Takes over an open terminal (the master side of a pseudo-terminal, say), set up the same.
    SerialPortPipe(int fd, std::string name);
    ~SerialPortPipe() override;
    SerialPortPipe(const SerialPortPipe&) = delete;
    SerialPortPipe& operator=(const SerialPortPipe&) = delete;

    std::size_t readSome(std::span<std::uint8_t> buffer, Millis timeout) override;
    void writeAll(std::span<const std::uint8_t> data, Millis timeout) override;
    void close() override;

    // Throws LinkError for a speed the port cannot take.
    void setSpeed(std::uint32_t baud);
    std::uint32_t speed() const { return baud_; }
    // Whether a byte (or a hang-up) is waiting, within timeout; reads nothing.
    bool waitReadable(Millis timeout);
    // Returns once every byte written has left the port.
    void drain();
    const std::string& name() const { return name_; }

private:
    void makeRaw();
    [[noreturn]] void hungUp() const;

    int fd_ = -1;
    std::string name_;
    std::uint32_t baud_ = 0;
};

// The serial stack over a serial port: the connection packets at kSerialOpeningBaud, then both
// sides at the speed the desktop's init named. SerialLink itself is unchanged above the pipe.
class SerialPortLink final : public MessageLink {
public:
    SerialPortLink(SerialPortPipe& port, Role role, LinkTimeouts timeouts = {}) : SerialPortLink(port, port, role, timeouts) {}
    // The bytes go through `wire` (the port traced or impaired on the way); speeds are set on port.
    SerialPortLink(SerialPortPipe& port, BytePipe& wire, Role role, LinkTimeouts timeouts = {})
        : port_(port), role_(role), serial_(wire, role, timeouts) {}

    // Throws LinkError as SerialLink::open does, and when the agreed speed is one the port
    // cannot take.
    void open() override;
    void send(std::span<const std::uint8_t> message) override { serial_.send(message); }
    std::vector<std::uint8_t> receive() override { return serial_.receive(); }
    void keepAlive() override { serial_.keepAlive(); }
    void close() override { serial_.close(); }
    // The speed the session runs at after open().
    std::uint32_t baud() const { return port_.speed(); }

private:
    SerialPortPipe& port_;
    Role role_;
    SerialLink serial_;
};

}  // namespace palmdesk::link
