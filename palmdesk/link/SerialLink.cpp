// SerialLink.cpp: SLP packets, PADP fragments with acknowledgement and retransmission, and the CMP
// opening.
#include "palmdesk/link/SerialLink.h"

#include "platform/bytes/ByteOrder.h"

#include <algorithm>
#include <array>
#include <string>

namespace palmdesk::link {

namespace {

constexpr std::array<std::uint8_t, 3> kSignature = {0xBE, 0xEF, 0xED};

using Clock = std::chrono::steady_clock;

Millis remainingUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
    return std::max(left, Millis{0});
}

std::string hexByte(std::uint8_t b) { return "0x" + toHex({&b, 1}); }

}  // namespace

std::uint16_t crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
    for (const std::uint8_t b : bytes) {
        crc = static_cast<std::uint16_t>(crc ^ (b << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

std::vector<std::uint8_t> encodeSlpPacket(const SlpPacket& packet) {
    std::vector<std::uint8_t> out(kSlpHeaderSize + packet.body.size() + 2);
    std::copy(kSignature.begin(), kSignature.end(), out.begin());
    out[3] = packet.destination;
    out[4] = packet.source;
    out[5] = packet.type;
    bytes::storeU16BE(out.data() + 6, static_cast<std::uint16_t>(packet.body.size()));
    out[8] = packet.xid;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 9; ++i) sum = static_cast<std::uint8_t>(sum + out[i]);
    out[9] = sum;
    std::copy(packet.body.begin(), packet.body.end(), out.begin() + kSlpHeaderSize);
    const std::size_t end = kSlpHeaderSize + packet.body.size();
    bytes::storeU16BE(out.data() + end, crc16({out.data(), end}));
    return out;
}

SlpPacket readSlpPacket(BytePipe& pipe, Millis first, Millis rest) {
    std::array<std::uint8_t, kSlpHeaderSize> header{};
    readExact(pipe, std::span(header).first(1), first);
    readRest(pipe, std::span(header).subspan(1), rest, "a serial packet");
    if (!std::equal(kSignature.begin(), kSignature.end(), header.begin()))
        throw LinkError("serial packet without its signature (starts " + toHex(std::span(header).first(3)) + ")");
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 9; ++i) sum = static_cast<std::uint8_t>(sum + header[i]);
    if (sum != header[9])
        throw LinkError("serial packet header checksum is " + hexByte(header[9]) + ", its bytes add up to " + hexByte(sum));
    if (header[5] > kSlpTypeLoopback) throw LinkError("serial packet of unknown type " + hexByte(header[5]));
    const std::size_t length = bytes::loadU16BE(header.data() + 6);
    std::vector<std::uint8_t> whole(kSlpHeaderSize + length + 2);
    std::copy(header.begin(), header.end(), whole.begin());
    readRest(pipe, std::span(whole).subspan(kSlpHeaderSize), rest, "a serial packet");
    const std::size_t end = kSlpHeaderSize + length;
    const std::uint16_t expected = bytes::loadU16BE(whole.data() + end);
    if (crc16({whole.data(), end}) != expected) throw LinkError("serial packet fails its CRC check");
    SlpPacket packet;
    packet.destination = header[3];
    packet.source = header[4];
    packet.type = header[5];
    packet.xid = header[8];
    packet.body.assign(whole.begin() + kSlpHeaderSize, whole.begin() + static_cast<std::ptrdiff_t>(end));
    return packet;
}

std::vector<std::uint8_t> encodePadp(const PadpPacket& packet) {
    std::vector<std::uint8_t> out{packet.type, packet.flags};
    if (packet.flags & kPadpLongForm) {
        out.resize(6);
        bytes::storeU32BE(out.data() + 2, packet.size);
    } else {
        out.resize(4);
        bytes::storeU16BE(out.data() + 2, static_cast<std::uint16_t>(packet.size));
    }
    out.insert(out.end(), packet.data.begin(), packet.data.end());
    return out;
}

std::optional<PadpPacket> parsePadp(std::span<const std::uint8_t> body, std::string& why) {
    if (body.size() < 4) {
        why = "PADP packet of " + std::to_string(body.size()) + " bytes is shorter than its header";
        return std::nullopt;
    }
    PadpPacket packet;
    packet.type = body[0];
    packet.flags = body[1];
    if (packet.type != kPadpData && packet.type != kPadpAck && packet.type != kPadpTickle && packet.type != kPadpAbort) {
        why = "PADP packet of unknown type " + hexByte(packet.type);
        return std::nullopt;
    }
    std::size_t at = 4;
    if (packet.flags & kPadpLongForm) {
        if (body.size() < 6) {
            why = "long-form PADP packet of " + std::to_string(body.size()) + " bytes is shorter than its header";
            return std::nullopt;
        }
        packet.size = bytes::loadU32BE(body.data() + 2);
        at = 6;
    } else {
        packet.size = bytes::loadU16BE(body.data() + 2);
    }
    packet.data.assign(body.begin() + static_cast<std::ptrdiff_t>(at), body.end());
    return packet;
}

std::vector<std::uint8_t> encodeCmp(const CmpPacket& packet) {
    std::vector<std::uint8_t> out(kCmpSize);
    out[0] = packet.type;
    out[1] = packet.flags;
    out[2] = packet.major;
    out[3] = packet.minor;
    bytes::storeU32BE(out.data() + 6, packet.baud);
    return out;
}

std::optional<CmpPacket> parseCmp(std::span<const std::uint8_t> bytes, std::string& why) {
    if (bytes.size() < kCmpSize) {
        why = "connection packet of " + std::to_string(bytes.size()) + " bytes, " + std::to_string(kCmpSize) + " expected";
        return std::nullopt;
    }
    CmpPacket packet;
    packet.type = bytes[0];
    packet.flags = bytes[1];
    packet.major = bytes[2];
    packet.minor = bytes[3];
    packet.baud = bytes::loadU32BE(bytes.data() + 6);
    if (packet.type < kCmpWakeUp || packet.type > kCmpAbort) {
        why = "connection packet of unknown type " + hexByte(packet.type);
        return std::nullopt;
    }
    return packet;
}

std::uint8_t SerialLink::nextXid() {
    sendXid_ = static_cast<std::uint8_t>(sendXid_ + 1);
    if (sendXid_ == 0xFF || sendXid_ == 0) sendXid_ = 1;
    return sendXid_;
}

void SerialLink::acknowledge(std::uint8_t xid, const PadpPacket& data) {
    PadpPacket ack;
    ack.type = kPadpAck;
    ack.flags = data.flags & (kPadpFirst | kPadpLast);
    ack.size = data.size;
    if (data.size > 0xFFFF) ack.flags |= kPadpLongForm;
    pipe_.writeAll(encodeSlpPacket({kSlpSocketDlp, kSlpSocketDlp, kSlpTypePadp, xid, encodePadp(ack)}), timeouts_.packet);
}

std::optional<SerialLink::Incoming> SerialLink::nextPadp(Millis first) {
    const auto deadline = Clock::now() + first;
    for (;;) {
        SlpPacket slp;
        try {
            slp = readSlpPacket(pipe_, remainingUntil(deadline), timeouts_.packet);
        } catch (const LinkTimeout&) {
            return std::nullopt;
        }
        // A stream of packets that are not for us (loop-back and system packets, which an
        // emulator sends on connecting; repeats) must not hold the wait past its time.
        const bool late = Clock::now() >= deadline;
        // Loop-back and system packets are not ours.
        if (slp.type != kSlpTypePadp || slp.destination != kSlpSocketDlp) {
            if (late) return std::nullopt;
            continue;
        }
        std::string why;
        auto padp = parsePadp(slp.body, why);
        if (!padp) throw LinkError(why);
        if (padp->type == kPadpTickle) {
            if (late) return std::nullopt;
            continue;
        }
        if (padp->type == kPadpData) {
            const bool repeat = receivedAny_ && slp.xid == receivedXid_;
            acknowledge(slp.xid, *padp);
            if (repeat) {  // our acknowledgement was late or lost
                if (late) return std::nullopt;
                continue;
            }
            receivedXid_ = slp.xid;
            receivedAny_ = true;
        }
        return Incoming{slp.xid, std::move(*padp)};
    }
}

void SerialLink::sendFragment(const PadpPacket& fragment, std::uint8_t xid) {
    const auto bytes = encodeSlpPacket({kSlpSocketDlp, kSlpSocketDlp, kSlpTypePadp, xid, encodePadp(fragment)});
    for (int attempt = 0; attempt < timeouts_.attempts; ++attempt) {
        pipe_.writeAll(bytes, timeouts_.packet);
        const auto deadline = Clock::now() + timeouts_.ackWait;
        for (;;) {
            auto in = nextPadp(remainingUntil(deadline));
            if (!in) break;  // silence: send it again
            if (in->padp.type == kPadpAbort) throw LinkError("the other side broke off the session");
            if (in->padp.type == kPadpAck) {
                if (in->xid == xid) {
                    if (in->padp.flags & kPadpMemoryError) throw LinkError("the handheld is out of memory for the message");
                    return;
                }
                continue;
            }
            early_.push_back(std::move(*in));
        }
    }
    throw LinkError("no acknowledgement after sending a packet " + std::to_string(timeouts_.attempts) + " times");
}

void SerialLink::sendWithXid(std::span<const std::uint8_t> message, std::uint8_t xid) {
    if (message.size() > kMaxMessageSize) throw LinkError("message of " + std::to_string(message.size()) + " bytes is too long to send");
    if (message.size() > 0xFFFF && !longForm_) throw LinkError("message of " + std::to_string(message.size()) + " bytes needs long packets, which the other side does not take");
    std::size_t offset = 0;
    do {
        PadpPacket fragment;
        fragment.type = kPadpData;
        const std::size_t n = std::min(kPadpFragment, message.size() - offset);
        fragment.flags = static_cast<std::uint8_t>((offset == 0 ? kPadpFirst : 0) | (offset + n == message.size() ? kPadpLast : 0));
        fragment.size = static_cast<std::uint32_t>(offset == 0 ? message.size() : offset);
        if (fragment.size > 0xFFFF) fragment.flags |= kPadpLongForm;
        fragment.data.assign(message.begin() + static_cast<std::ptrdiff_t>(offset), message.begin() + static_cast<std::ptrdiff_t>(offset + n));
        sendFragment(fragment, offset == 0 ? xid : nextXid());
        offset += n;
    } while (offset < message.size());
}

void SerialLink::send(std::span<const std::uint8_t> message) {
    // The handheld answers under the ID of the request; the desktop counts its own.
    sendWithXid(message, role_ == Role::kHandheld ? receivedXid_ : nextXid());
}

std::vector<std::uint8_t> SerialLink::receive() {
    std::vector<std::uint8_t> message;
    std::uint32_t total = 0;
    bool started = false;
    for (;;) {
        std::optional<Incoming> in;
        if (!early_.empty()) {
            in = std::move(early_.front());
            early_.pop_front();
        } else {
            in = nextPadp(started ? timeouts_.packet : timeouts_.message);
            if (!in) throw LinkTimeout(started ? "the rest of a message did not come" : "no message came within the time allowed");
        }
        const PadpPacket& padp = in->padp;
        if (padp.type == kPadpAbort) throw LinkError("the other side broke off the session");
        if (padp.type != kPadpData) continue;  // a late acknowledgement
        if (!started) {
            if (!(padp.flags & kPadpFirst)) throw LinkError("a message began with a fragment that is not its first");
            total = padp.size;
            if (total > kMaxMessageSize) throw LinkError("message of " + std::to_string(total) + " bytes is longer than allowed");
            message.reserve(total);
            started = true;
        } else if ((padp.flags & kPadpFirst) || padp.size != message.size()) {
            throw LinkError("message fragment at offset " + std::to_string(padp.size) + ", expected " + std::to_string(message.size()));
        }
        if (padp.data.size() > total - message.size())
            throw LinkError("message fragments run past the message's length of " + std::to_string(total) + " bytes");
        message.insert(message.end(), padp.data.begin(), padp.data.end());
        if (padp.flags & kPadpLast) {
            if (message.size() != total)
                throw LinkError("message ended after " + std::to_string(message.size()) + " of its " + std::to_string(total) + " bytes");
            return message;
        }
    }
}

void SerialLink::keepAlive() {
    PadpPacket tickle;
    tickle.type = kPadpTickle;
    pipe_.writeAll(encodeSlpPacket({kSlpSocketDlp, kSlpSocketDlp, kSlpTypePadp, nextXid(), encodePadp(tickle)}), timeouts_.packet);
}

void SerialLink::open() {
    std::string why;
    if (role_ == Role::kDesktop) {
        const auto message = receive();
        const auto wake = parseCmp(message, why);
        if (!wake) throw LinkError(why);
        if (wake->type != kCmpWakeUp) throw LinkError("the handheld did not begin with a wake-up");
        peerCmp_ = *wake;
        longForm_ = (wake->flags & kCmpLongForm) != 0;
        const CmpPacket init{kCmpInit, static_cast<std::uint8_t>(kCmpChangeBaud | (longForm_ ? kCmpLongForm : 0)), 1, 1, wake->baud};
        sendWithXid(encodeCmp(init), receivedXid_);
    } else {
        sendXid_ = 0xFF;
        const CmpPacket wake{kCmpWakeUp, kCmpLongForm, 1, 3, 115200};
        sendWithXid(encodeCmp(wake), sendXid_);
        const auto message = receive();
        const auto init = parseCmp(message, why);
        if (!init) throw LinkError(why);
        if (init->type == kCmpAbort) throw LinkError("the desktop refused the connection");
        if (init->type != kCmpInit) throw LinkError("the desktop did not answer the wake-up with init");
        peerCmp_ = *init;
        longForm_ = (init->flags & kCmpLongForm) != 0;
    }
}

}  // namespace palmdesk::link
