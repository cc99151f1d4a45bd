// DeviceLinks.h: the ways a handheld connects to the desktop, each a source of connections that
// the HotSync manager waits on, and the framing each speaks. Network HotSync and the serial stack
// over TCP are here; a link on a local cable (a USB cradle, a serial port) comes opened, through
// SourceOfOpenedLinks.
#pragma once

#include "palmdesk/link/BytePipe.h"
#include "palmdesk/link/MessageLink.h"
#include "palmdesk/link/UsbLink.h"

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
    // A cable's link arrives with its transport's opening done; pipe and framing are then unused.
    std::unique_ptr<link::OwningLink> opened;
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

// Links that arrive opened (a handheld on a USB cable or a serial port): next waits at most its
// time-out and gives the link, or none; it throws link::LinkError with a message for the user
// when the port or device cannot be opened.
std::unique_ptr<LinkSource> SourceOfOpenedLinks(std::string description,
                                                std::function<std::unique_ptr<link::OwningLink>(link::Millis timeout)> next);

// Waits on port of every interface (or of the loopback interface only); port 0 takes the
// framing's usual port (14238, or 6416 as emulators offer their serial port). Throws
// link::LinkError when the port cannot be had.
std::unique_ptr<LinkSource> ListenTcp(Framing framing, std::uint16_t port, bool loopbackOnly = false);

// The message link of a framing over pipe (the connection's own, or one that wraps it).
std::unique_ptr<link::MessageLink> FrameLink(Framing framing, link::BytePipe& pipe, link::LinkTimeouts timeouts = {});

}  // namespace palmdesk
