// MessageLink.h: whole messages (DLP requests and responses) over one transport, after its
// opening handshake. Both ends of a link use the same classes: the desktop, and the handheld as
// our simulator plays it.
#pragma once

#include "palmdesk/link/BytePipe.h"

#include <cstdint>
#include <span>
#include <vector>

namespace palmdesk::link {

// No message of either transport may be longer (a record is at most 64 KB).
inline constexpr std::uint32_t kMaxMessageSize = 1u << 20;

enum class Role { kDesktop, kHandheld };

struct LinkTimeouts {
    // Longest wait for a message to begin (the handheld's own limit for a command is 30 s).
    Millis message{30000};
    // Longest wait for the next piece of a message once it has begun, and for an acknowledgement.
    Millis packet{5000};
    // The serial stack sends a packet this many times before giving up on its acknowledgement.
    int attempts = 6;
    Millis ackWait{2000};
};

class MessageLink {
public:
    virtual ~MessageLink() = default;
    // The transport's opening handshake; throws LinkError when the peer does not follow it.
    virtual void open() = 0;
    // Sends one message; on the handheld's side it answers the last message received.
    virtual void send(std::span<const std::uint8_t> message) = 0;
    // The next message, waiting at most timeouts.message for it to begin.
    virtual std::vector<std::uint8_t> receive() = 0;
    // Tells the peer the desktop is still there during a long pause (a no-op where the transport
    // needs none).
    virtual void keepAlive() {}
    virtual void close() = 0;
};

}  // namespace palmdesk::link
