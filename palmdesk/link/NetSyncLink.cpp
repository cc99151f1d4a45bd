// NetSyncLink.cpp: network HotSync packets and the handshake.
#include "palmdesk/link/NetSyncLink.h"

#include "platform/bytes/ByteOrder.h"

#include <array>
#include <string>

namespace palmdesk::link {

namespace {

constexpr std::uint8_t kDataType = 1;

// What the handheld sends first, and the desktop's answer, as real ones exchange them.
constexpr std::array<std::uint8_t, 22> kHandheldHello = {
    0x90, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00,
    0x00, 0x00, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr std::array<std::uint8_t, 50> kDesktopHello = {
    0x12, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00,
    0x24, 0xff, 0xff, 0xff, 0xff, 0x3c, 0x00, 0x3c, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0xc0, 0xa8, 0x01, 0x21, 0x04, 0x27, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr std::array<std::uint8_t, 50> kHandheldSettings = {
    0x92, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00,
    0x24, 0xff, 0xff, 0xff, 0xff, 0x3c, 0x00, 0x3c, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x40, 0x00, 0x00, 0x00, 0x02, 0x7f, 0x00, 0x00, 0x01, 0xe0, 0x6b, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr std::array<std::uint8_t, 46> kDesktopSettings = {
    0x13, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00,
    0x00, 0x20, 0xff, 0xff, 0xff, 0xff, 0x00, 0x3c, 0x00, 0x3c, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr std::array<std::uint8_t, 8> kHandheldReady = {0x93, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

std::string hexByte(std::uint8_t b) { return "0x" + toHex({&b, 1}); }

}  // namespace

std::vector<std::uint8_t> encodeNetSyncPacket(std::uint8_t xid, std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> packet(kNetSyncHeaderSize + payload.size());
    packet[0] = kDataType;
    packet[1] = xid;
    bytes::storeU32BE(packet.data() + 2, static_cast<std::uint32_t>(payload.size()));
    std::copy(payload.begin(), payload.end(), packet.begin() + kNetSyncHeaderSize);
    return packet;
}

NetSyncPacket readNetSyncPacket(BytePipe& pipe, Millis first, Millis rest) {
    std::array<std::uint8_t, kNetSyncHeaderSize> header{};
    readExact(pipe, std::span(header).first(1), first);
    readRest(pipe, std::span(header).subspan(1), rest, "a network packet");
    if (header[0] != kDataType) throw LinkError("network packet of unknown type " + hexByte(header[0]));
    const std::uint32_t length = bytes::loadU32BE(header.data() + 2);
    if (length > kMaxNetSyncPayload)
        throw LinkError("network packet of " + std::to_string(length) + " bytes, more than the " +
                        std::to_string(kMaxNetSyncPayload) + " allowed");
    NetSyncPacket packet;
    packet.xid = header[1];
    packet.payload.resize(length);
    readRest(pipe, packet.payload, rest, "a network packet");
    return packet;
}

std::uint8_t NetSyncLink::nextXid() {
    lastXid_ = static_cast<std::uint8_t>(lastXid_ + 1);
    if (lastXid_ == 0xFF || lastXid_ == 0) lastXid_ = 1;
    return lastXid_;
}

NetSyncPacket NetSyncLink::expectRitual(std::uint8_t lead, std::size_t size, const char* what) {
    NetSyncPacket packet = readNetSyncPacket(pipe_, timeouts_.message, timeouts_.packet);
    if (packet.payload.size() != size || packet.payload[0] != lead)
        throw LinkError(std::string("the handshake went wrong: expected ") + what + " (" + std::to_string(size) +
                        " bytes starting " + hexByte(lead) + "), got " + std::to_string(packet.payload.size()) +
                        " bytes" + (packet.payload.empty() ? "" : " starting " + hexByte(packet.payload[0])));
    return packet;
}

void NetSyncLink::open() {
    if (role_ == Role::kDesktop) {
        expectRitual(0x90, kHandheldHello.size(), "the handheld's greeting");
        pipe_.writeAll(encodeNetSyncPacket(nextXid(), kDesktopHello), timeouts_.packet);
        expectRitual(0x92, kHandheldSettings.size(), "the handheld's settings");
        pipe_.writeAll(encodeNetSyncPacket(nextXid(), kDesktopSettings), timeouts_.packet);
        expectRitual(0x93, kHandheldReady.size(), "the handheld's go-ahead");
    } else {
        pipe_.writeAll(encodeNetSyncPacket(0xFF, kHandheldHello), timeouts_.packet);
        lastXid_ = expectRitual(0x12, kDesktopHello.size(), "the desktop's greeting").xid;
        pipe_.writeAll(encodeNetSyncPacket(lastXid_, kHandheldSettings), timeouts_.packet);
        lastXid_ = expectRitual(0x13, kDesktopSettings.size(), "the desktop's settings").xid;
        pipe_.writeAll(encodeNetSyncPacket(lastXid_, kHandheldReady), timeouts_.packet);
    }
}

void NetSyncLink::send(std::span<const std::uint8_t> message) {
    if (message.size() > kMaxNetSyncPayload) throw LinkError("message of " + std::to_string(message.size()) + " bytes is too long to send");
    const std::uint8_t xid = role_ == Role::kDesktop ? nextXid() : lastXid_;
    pipe_.writeAll(encodeNetSyncPacket(xid, message), timeouts_.packet);
}

std::vector<std::uint8_t> NetSyncLink::receive() {
    NetSyncPacket packet = readNetSyncPacket(pipe_, timeouts_.message, timeouts_.packet);
    if (role_ == Role::kHandheld) {
        lastXid_ = packet.xid;
    } else if (packet.xid != lastXid_) {
        throw LinkError("the handheld answered transaction " + std::to_string(packet.xid) + " instead of " +
                        std::to_string(lastXid_));
    }
    return std::move(packet.payload);
}

}  // namespace palmdesk::link
