// Malformed and cut-short packets from the handheld end the session with a message that says
// what was wrong, never a crash or a hang: each case here is a well-formed session start followed
// by one bad answer to ReadSysInfo.
#include "palmdesk/dlp/DlpDevice.h"
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SerialLink.h"

#include <gtest/gtest.h>

namespace {

using namespace palmdesk;
using Bytes = std::vector<std::uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The handheld's side of the network handshake, as a real one sent it.
Bytes netHandshake() {
    Bytes hello(22), settings(50), ready(8);
    hello[0] = 0x90;
    settings[0] = 0x92;
    ready[0] = 0x93;
    return link::encodeNetSyncPacket(0xFF, hello) + link::encodeNetSyncPacket(1, settings) + link::encodeNetSyncPacket(2, ready);
}

// The answer to ReadSysInfo as a real handheld gave it.
const Bytes kSysInfoAnswer = {0x92, 0x01, 0x00, 0x00, 0x20, 0x0e, 0x05, 0x40, 0x30, 0x17, 0x00, 0x01, 0x00,
                              0x00, 0x00, 0x04, 0x01, 0x00, 0x00, 0x00};

Bytes slp(std::uint8_t xid, const link::PadpPacket& padp, std::uint8_t type = link::kSlpTypePadp) {
    return link::encodeSlpPacket({link::kSlpSocketDlp, link::kSlpSocketDlp, type, xid, link::encodePadp(padp)});
}

// The handheld's side of the serial opening (wake-up, acknowledgement of init) and its
// acknowledgement of the desktop's first request.
Bytes serialStart() {
    const Bytes wake = link::encodeCmp({link::kCmpWakeUp, link::kCmpLongForm, 1, 3, 115200});
    return slp(0xFF, {link::kPadpData, link::kPadpFirst | link::kPadpLast, 10, wake}) +
           slp(0xFF, {link::kPadpAck, link::kPadpFirst | link::kPadpLast, 10, {}}) +
           slp(1, {link::kPadpAck, link::kPadpFirst | link::kPadpLast, 8, {}});
}

Bytes serialAnswer(const Bytes& message) {
    return slp(1, {link::kPadpData, link::kPadpFirst | link::kPadpLast, static_cast<std::uint32_t>(message.size()), message});
}

struct Case {
    const char* name;
    bool serial;
    Bytes afterStart;          // what the handheld sends after the opening
    dlp::DlpStatus status;     // what ReadSysInfo ends with
    const char* messagePart;   // a part of the message that must say why
};

Bytes withByte(Bytes b, std::size_t at, std::uint8_t value) {
    b.at(at) = value;
    return b;
}

Bytes cut(Bytes b, std::size_t n) {
    b.resize(n);
    return b;
}

// An SLP packet whose header checksum and CRC are right but whose type is not one there is.
Bytes unknownSlpType() {
    return slp(1, {link::kPadpData, link::kPadpFirst | link::kPadpLast, 20, kSysInfoAnswer}, 7);
}

std::vector<Case> cases() {
    const Bytes good = serialAnswer(kSysInfoAnswer);
    return {
        {"NetUnknownPacketType", false, withByte(link::encodeNetSyncPacket(3, kSysInfoAnswer), 0, 2), dlp::DlpStatus::kLinkLost,
         "unknown type"},
        {"NetLengthPastTheEnd", false, cut(link::encodeNetSyncPacket(3, kSysInfoAnswer), 15), dlp::DlpStatus::kLinkLost,
         "closed"},
        {"NetLengthPastTheLimit", false, Bytes{0x01, 0x03, 0xFF, 0xFF, 0xFF, 0xFF}, dlp::DlpStatus::kLinkLost, "allowed"},
        {"NetWrongTransaction", false, link::encodeNetSyncPacket(9, kSysInfoAnswer), dlp::DlpStatus::kLinkLost,
         "transaction"},
        {"NetTruncatedArgument", false, link::encodeNetSyncPacket(3, cut(kSysInfoAnswer, 12)), dlp::DlpStatus::kBadAnswer,
         "runs past the end"},
        {"NetArgumentTooShortForItsFields", false,
         link::encodeNetSyncPacket(3, Bytes{0x92, 0x01, 0x00, 0x00, 0x20, 0x02, 0x05, 0x40}), dlp::DlpStatus::kBadAnswer,
         "romVersion"},
        {"NetAnswerToAnotherCommand", false, link::encodeNetSyncPacket(3, withByte(kSysInfoAnswer, 0, 0x90)),
         dlp::DlpStatus::kBadAnswer, "answered ReadUserInfo"},
        {"NetMissingArguments", false, link::encodeNetSyncPacket(3, withByte(kSysInfoAnswer, 1, 5)), dlp::DlpStatus::kBadAnswer,
         "missing"},
        {"SerialBadChecksum", true, withByte(good, 9, static_cast<std::uint8_t>(good[9] + 1)), dlp::DlpStatus::kLinkLost,
         "checksum"},
        {"SerialBadCrc", true, withByte(good, good.size() - 1, static_cast<std::uint8_t>(good.back() ^ 0x55)),
         dlp::DlpStatus::kLinkLost, "CRC"},
        {"SerialBadSignature", true, withByte(good, 1, 0), dlp::DlpStatus::kLinkLost, "signature"},
        {"SerialUnknownType", true, unknownSlpType(), dlp::DlpStatus::kLinkLost, "unknown type"},
        {"SerialUnknownPadpType", true, slp(1, {0x03, link::kPadpFirst | link::kPadpLast, 20, kSysInfoAnswer}),
         dlp::DlpStatus::kLinkLost, "unknown type"},
        {"SerialCutShort", true, cut(good, good.size() - 5), dlp::DlpStatus::kLinkLost, "closed"},
        {"SerialFragmentPastItsMessage", true, slp(1, {link::kPadpData, link::kPadpFirst | link::kPadpLast, 8, kSysInfoAnswer}),
         dlp::DlpStatus::kLinkLost, "past the message"},
        {"SerialMessageShorterThanAnnounced", true,
         slp(1, {link::kPadpData, link::kPadpFirst | link::kPadpLast, 40, kSysInfoAnswer}), dlp::DlpStatus::kLinkLost,
         "ended after"},
        {"SerialLaterFragmentFirst", true, slp(1, {link::kPadpData, link::kPadpLast, 0, kSysInfoAnswer}),
         dlp::DlpStatus::kLinkLost, "not its first"},
        {"SerialTruncatedArgument", true, serialAnswer(cut(kSysInfoAnswer, 12)), dlp::DlpStatus::kBadAnswer,
         "runs past the end"},
        {"SerialOnlyLoopbackNoise", true, link::encodeSlpPacket({3, 3, link::kSlpTypeLoopback, 0x15, {}}),
         dlp::DlpStatus::kLinkLost, "closed"},
    };
}

class Malformed : public testing::TestWithParam<Case> {};

TEST_P(Malformed, EndsTheSessionWithAMessage) {
    const Case& c = GetParam();
    link::MemoryPipe pipe((c.serial ? serialStart() : netHandshake()) + c.afterStart);
    std::unique_ptr<link::MessageLink> session;
    if (c.serial)
        session = std::make_unique<link::SerialLink>(pipe, link::Role::kDesktop);
    else
        session = std::make_unique<link::NetSyncLink>(pipe, link::Role::kDesktop);
    session->open();
    dlp::DlpDevice device(*session);
    dlp::SysInfo info;
    const dlp::DlpResult result = device.readSysInfo(info);
    EXPECT_EQ(result.status, c.status) << result.message;
    EXPECT_NE(result.message.find(c.messagePart), std::string::npos) << result.message;
    EXPECT_EQ(result.message.rfind("ReadSysInfo: ", 0), 0u) << result.message;
}

INSTANTIATE_TEST_SUITE_P(Packets, Malformed, testing::ValuesIn(cases()), [](const auto& info) { return info.param.name; });

TEST(MalformedHandshake, AWrongGreetingEndsTheOpening) {
    Bytes hello(22);
    hello[0] = 0x91;
    link::MemoryPipe pipe(link::encodeNetSyncPacket(0xFF, hello));
    link::NetSyncLink session(pipe, link::Role::kDesktop);
    try {
        session.open();
        FAIL() << "opened";
    } catch (const link::LinkError& e) {
        EXPECT_NE(std::string(e.what()).find("handshake"), std::string::npos) << e.what();
    }
}

TEST(MalformedHandshake, AHandheldThatStartsWithoutAWakeUpIsRefused) {
    const Bytes init = link::encodeCmp({link::kCmpInit, 0, 1, 1, 9600});
    link::MemoryPipe pipe(slp(0xFF, {link::kPadpData, link::kPadpFirst | link::kPadpLast, 10, init}));
    link::SerialLink session(pipe, link::Role::kDesktop);
    EXPECT_THROW(session.open(), link::LinkError);
}

}  // namespace

namespace {

TEST(MalformedStream, EndlessPacketsThatAreNotOursDoNotHoldTheWaitPastItsTime) {
    Bytes flood;
    for (int i = 0; i < 1000; ++i) flood = flood + link::encodeSlpPacket({3, 3, link::kSlpTypeLoopback, 0x15, {}});
    link::MemoryPipe pipe(flood);
    link::LinkTimeouts timeouts;
    timeouts.message = link::Millis{0};
    link::SerialLink session(pipe, link::Role::kDesktop, timeouts);
    EXPECT_THROW(session.receive(), link::LinkTimeout);
    EXPECT_LT(pipe.consumed(), flood.size() / 100);
}

}  // namespace
