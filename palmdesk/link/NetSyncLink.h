// NetSyncLink.h: the framing of network HotSync (TCP port 14238, also used over USB by newer
// handhelds) and its opening handshake.
//
// Packet layout (big-endian):
//   offset size  field
//   0      1     type: 1, data (the only type there is)
//   1      1     transaction ID: the desktop counts up from 1 (skipping 0 and 0xFF), the
//                handheld answers with the ID of the packet it answers; its first packet has 0xFF
//   2      4     payload length (at most kMaxNetSyncPayload here)
//   6      n     payload: a handshake packet or a DLP message
//
// The handshake: the handheld sends a 22-byte packet starting 0x90; the desktop answers with a
// 50-byte packet starting 0x12; the handheld sends 50 bytes starting 0x92; the desktop sends 46
// bytes starting 0x13; the handheld ends it with 8 bytes starting 0x93. The desktop's packets are
// the fixed bytes real desktops send.
#pragma once

#include "palmdesk/link/MessageLink.h"

#include <cstdint>
#include <vector>

namespace palmdesk::link {

inline constexpr std::size_t kNetSyncHeaderSize = 6;
inline constexpr std::uint32_t kMaxNetSyncPayload = kMaxMessageSize;

struct NetSyncPacket {
    std::uint8_t xid = 0;
    std::vector<std::uint8_t> payload;
};

std::vector<std::uint8_t> encodeNetSyncPacket(std::uint8_t xid, std::span<const std::uint8_t> payload);
// One packet from pipe: the header within `first` (the wait for a packet to begin), the rest
// within `rest`. Throws LinkError for an unknown type or a length past kMaxNetSyncPayload.
NetSyncPacket readNetSyncPacket(BytePipe& pipe, Millis first, Millis rest);

class NetSyncLink final : public MessageLink {
public:
    NetSyncLink(BytePipe& pipe, Role role, LinkTimeouts timeouts = {}) : pipe_(pipe), role_(role), timeouts_(timeouts) {}

    void open() override;
    void send(std::span<const std::uint8_t> message) override;
    std::vector<std::uint8_t> receive() override;
    void close() override { pipe_.close(); }

private:
    // Reads a handshake packet that must start with `lead` and be `size` bytes long.
    NetSyncPacket expectRitual(std::uint8_t lead, std::size_t size, const char* what);
    std::uint8_t nextXid();

    BytePipe& pipe_;
    Role role_;
    LinkTimeouts timeouts_;
    std::uint8_t lastXid_ = 0;  // desktop: the last ID sent; handheld: the last ID received
};

}  // namespace palmdesk::link
