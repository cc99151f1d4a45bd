// SerialLink.h: the serial protocol stack of Palm handhelds (serial cables, older USB cradles, and
// emulators that offer their serial port over TCP port 6416): SLP packets carry PADP, which
// carries DLP messages in acknowledged fragments; CMP opens the session.
//
// SLP packet (big-endian):
//   offset size  field
//   0      3     signature BE EF ED
//   3      1     destination socket (3: the desktop link)
//   4      1     source socket
//   5      1     type: 0 system, 1 unused, 2 PADP, 3 loop-back
//   6      2     body length n
//   8      1     transaction ID
//   9      1     header checksum: the low byte of the sum of bytes 0-8
//   10     n     body
//   10+n   2     CRC-16 (CCITT, polynomial 0x1021, start 0) of bytes 0 .. 9+n
//
// PADP header at the start of an SLP body of type 2:
//   0      1     type: 1 data, 2 acknowledgement, 4 tickle (keep-alive), 8 abort
//   1      1     flags: 0x80 first fragment, 0x40 last fragment, 0x20 memory error,
//                0x10 long form (a 4-byte size field)
//   2      2|4   the first fragment: the message's whole length; later ones: their offset in it
//   then at most kPadpFragment bytes of the message. An acknowledgement repeats the type-2
//   header of the fragment it acknowledges under the same transaction ID.
//
// CMP (the first PADP message each way): type (1: wake-up from the handheld, 2: the desktop's
// init, 3: abort), flags (0x80 change baud rate, 0x10 long form allowed), major and minor version,
// 2 reserved bytes, baud rate (4).
#pragma once

#include "palmdesk/link/MessageLink.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace palmdesk::link {

inline constexpr std::uint8_t kSlpSocketDlp = 3;
inline constexpr std::uint8_t kSlpTypeSystem = 0;
inline constexpr std::uint8_t kSlpTypeUnused = 1;
inline constexpr std::uint8_t kSlpTypePadp = 2;
inline constexpr std::uint8_t kSlpTypeLoopback = 3;
inline constexpr std::size_t kSlpHeaderSize = 10;
inline constexpr std::size_t kPadpFragment = 1024;

inline constexpr std::uint8_t kPadpData = 1;
inline constexpr std::uint8_t kPadpAck = 2;
inline constexpr std::uint8_t kPadpTickle = 4;
inline constexpr std::uint8_t kPadpAbort = 8;
inline constexpr std::uint8_t kPadpFirst = 0x80;
inline constexpr std::uint8_t kPadpLast = 0x40;
inline constexpr std::uint8_t kPadpMemoryError = 0x20;
inline constexpr std::uint8_t kPadpLongForm = 0x10;

inline constexpr std::uint8_t kCmpWakeUp = 1;
inline constexpr std::uint8_t kCmpInit = 2;
inline constexpr std::uint8_t kCmpAbort = 3;
inline constexpr std::uint8_t kCmpChangeBaud = 0x80;
inline constexpr std::uint8_t kCmpLongForm = 0x10;

std::uint16_t crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0);

struct SlpPacket {
    std::uint8_t destination = kSlpSocketDlp;
    std::uint8_t source = kSlpSocketDlp;
    std::uint8_t type = kSlpTypePadp;
    std::uint8_t xid = 0;
    std::vector<std::uint8_t> body;
};
std::vector<std::uint8_t> encodeSlpPacket(const SlpPacket& packet);
// One packet from pipe, its first byte within `first`, the rest within `rest`. Throws LinkError for
// a wrong signature, a bad header checksum or CRC, or an unknown type.
SlpPacket readSlpPacket(BytePipe& pipe, Millis first, Millis rest);

struct PadpPacket {
    std::uint8_t type = kPadpData;
    std::uint8_t flags = 0;
    std::uint32_t size = 0;  // the message's length (first fragment) or this fragment's offset
    std::vector<std::uint8_t> data;
};
std::vector<std::uint8_t> encodePadp(const PadpPacket& packet);
// The PADP packet an SLP body holds; none (with why) for an unknown type or a short body.
std::optional<PadpPacket> parsePadp(std::span<const std::uint8_t> body, std::string& why);

struct CmpPacket {
    std::uint8_t type = kCmpWakeUp;
    std::uint8_t flags = 0;
    std::uint8_t major = 1;
    std::uint8_t minor = 1;
    std::uint32_t baud = 115200;
};
inline constexpr std::size_t kCmpSize = 10;
std::vector<std::uint8_t> encodeCmp(const CmpPacket& packet);
std::optional<CmpPacket> parseCmp(std::span<const std::uint8_t> bytes, std::string& why);

class SerialLink final : public MessageLink {
public:
    SerialLink(BytePipe& pipe, Role role, LinkTimeouts timeouts = {}) : pipe_(pipe), role_(role), timeouts_(timeouts) {}

    // Desktop: waits for the handheld's wake-up and answers with init. Handheld: sends wake-up
    // and waits for init.
    void open() override;
    void send(std::span<const std::uint8_t> message) override;
    std::vector<std::uint8_t> receive() override;
    void keepAlive() override;
    void close() override { pipe_.close(); }

    // The wake-up or init the peer sent in open().
    const CmpPacket& peerCmp() const { return peerCmp_; }

private:
    void sendWithXid(std::span<const std::uint8_t> message, std::uint8_t xid);
    // Writes one data fragment and waits for its acknowledgement, sending it again after each
    // silent ackWait; data that arrives meanwhile is acknowledged and kept for receive().
    void sendFragment(const PadpPacket& fragment, std::uint8_t xid);
    // The next PADP packet of type data, ack or abort; duplicates of the last data fragment are
    // acknowledged again and skipped, tickles and non-PADP packets skipped.
    struct Incoming {
        std::uint8_t xid;
        PadpPacket padp;
    };
    std::optional<Incoming> nextPadp(Millis first);
    void acknowledge(std::uint8_t xid, const PadpPacket& data);
    std::uint8_t nextXid();

    BytePipe& pipe_;
    Role role_;
    LinkTimeouts timeouts_;
    CmpPacket peerCmp_;
    bool longForm_ = false;
    std::uint8_t sendXid_ = 0;       // the last ID this side chose
    std::uint8_t receivedXid_ = 0;   // the ID of the last data fragment received
    bool receivedAny_ = false;
    std::deque<Incoming> early_;     // data fragments that came while waiting for an ack
};

}  // namespace palmdesk::link
