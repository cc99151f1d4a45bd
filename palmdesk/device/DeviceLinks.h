// DeviceLinks.h: the ways a handheld connects to the desktop, each a source of connections that
// the HotSync manager waits on, and the framing each speaks. Network HotSync and the serial stack
// over TCP are here; another kind of link (a USB cradle, a serial port) is one more LinkSource
// and one more call where hotsync listen makes its source.
#pragma once

#include "palmdesk/link/BytePipe.h"
#include "palmdesk/link/MessageLink.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace palmdesk {

enum class Framing { kNetSync, kSerial };

struct DeviceConnection {
    std::unique_ptr<link::BytePipe> pipe;
    std::string peer;  // "192.168.2.4:1042", or the device's name
    Framing framing = Framing::kNetSync;
};

class LinkSource {
public:
    virtual ~LinkSource() = default;
    // "network HotSync on port 14238", for the line that says what the desktop waits for.
    virtual std::string Describe() const = 0;
    // The next handheld that connects; none when none did within timeout.
    virtual std::optional<DeviceConnection> Next(link::Millis timeout) = 0;
};

// Any other kind of link in one call: next waits at most its time-out for a handheld and gives
// its pipe (none when none came), description says what is waited on ("the USB cradle").
std::unique_ptr<LinkSource> SourceOf(std::string description, Framing framing,
                                     std::function<std::unique_ptr<link::BytePipe>(link::Millis timeout)> next);

// Waits on port of every interface (or of the loopback interface only); port 0 takes the
// framing's usual port (14238, or 6416 as emulators offer their serial port). Throws
// link::LinkError when the port cannot be had.
std::unique_ptr<LinkSource> ListenTcp(Framing framing, std::uint16_t port, bool loopbackOnly = false);

// The message link of a framing over pipe (the connection's own, or one that wraps it).
std::unique_ptr<link::MessageLink> FrameLink(Framing framing, link::BytePipe& pipe, link::LinkTimeouts timeouts = {});

}  // namespace palmdesk
