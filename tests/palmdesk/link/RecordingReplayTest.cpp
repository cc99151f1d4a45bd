// Replays of sessions recorded with real handhelds: our desktop side, given what the handheld
// sent, must send what the recorded desktop sent, byte for byte, handshake and framing included;
// and every DLP message in them must read, and come out of our encoder the same.
#include "palmdesk/dlp/DlpCommands.h"
#include "palmdesk/dlp/SessionDecoder.h"
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SerialLink.h"
#include "tests/palmdesk/Recordings.h"

#include <gtest/gtest.h>
#include <ostream>
#include <set>

namespace {

using namespace palmdesk;

std::vector<std::vector<std::uint8_t>> dlpMessages(const dlp::SplitSession& split, bool fromDesktop) {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& m : split.messages)
        if (m.fromDesktop == fromDesktop && m.kind == dlp::SessionMessage::kDlp) out.push_back(m.bytes);
    return out;
}

// Drives `link` as the recorded desktop did: each recorded request sent, each answer received
// and compared with the recorded one.
void replay(link::MessageLink& session, const dlp::SplitSession& split) {
    session.open();
    const auto requests = dlpMessages(split, true);
    const auto answers = dlpMessages(split, false);
    ASSERT_EQ(requests.size(), answers.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE("request " + std::to_string(i + 1));
        session.send(requests[i]);
        EXPECT_EQ(session.receive(), answers[i]);
    }
}

class NetReplay : public testing::TestWithParam<const char*> {};

TEST_P(NetReplay, DesktopSendsExactlyTheRecordedBytes) {
    const auto trace = loadRecording(GetParam());
    const auto split = dlp::splitSession(trace);
    ASSERT_EQ(split.transport, dlp::SplitSession::kNetSync);
    ASSERT_TRUE(split.desktopProblem.empty() && split.handheldProblem.empty()) << split.desktopProblem << split.handheldProblem;
    link::ReplayPipe pipe(trace, link::Role::kDesktop);
    link::NetSyncLink session(pipe, link::Role::kDesktop);
    replay(session, split);
    EXPECT_EQ(link::toHex(pipe.written()), link::toHex(link::joinChunks(trace, link::TraceChunk::kWrite)));
}

INSTANTIATE_TEST_SUITE_P(Recordings, NetReplay, testing::ValuesIn(kNetRecordings));

// The serial packets of one direction: the data packets in order, and the set of
// acknowledgements. When an acknowledgement is repeated, and so where it falls between the
// data packets, depends on timing; which packets go and in which order does not.
struct SerialWrites {
    std::vector<std::string> data;
    std::set<std::string> acks;
    bool operator==(const SerialWrites&) const = default;
};
SerialWrites serialWrites(const std::vector<std::uint8_t>& bytes) {
    link::MemoryPipe pipe(bytes);
    SerialWrites writes;
    while (pipe.consumed() < bytes.size()) {
        const auto packet = link::readSlpPacket(pipe, link::Millis{0}, link::Millis{0});
        const auto hex = link::toHex(link::encodeSlpPacket(packet));
        if (packet.body.at(0) == link::kPadpAck) {
            writes.acks.insert(hex);
        } else if (writes.data.empty() || writes.data.back() != hex) {
            writes.data.push_back(hex);
        }
    }
    return writes;
}
void PrintTo(const SerialWrites& w, std::ostream* os) {
    for (const auto& d : w.data) *os << "\n data " << d;
    for (const auto& a : w.acks) *os << "\n ack " << a;
}

class SerialReplay : public testing::TestWithParam<const char*> {};

TEST_P(SerialReplay, DesktopSendsTheRecordedPacketsAndAcknowledgesEveryRepeat) {
    const auto trace = loadRecording(GetParam());
    const auto split = dlp::splitSession(trace);
    ASSERT_EQ(split.transport, dlp::SplitSession::kSerial);
    ASSERT_TRUE(split.desktopProblem.empty() && split.handheldProblem.empty()) << split.desktopProblem << split.handheldProblem;
    link::ReplayPipe pipe(trace, link::Role::kDesktop);
    link::SerialLink session(pipe, link::Role::kDesktop);
    replay(session, split);
    EXPECT_EQ(serialWrites(pipe.written()), serialWrites(link::joinChunks(trace, link::TraceChunk::kWrite)));
}

INSTANTIATE_TEST_SUITE_P(Recordings, SerialReplay, testing::ValuesIn(kSerialRecordings));

class EveryRecording : public testing::TestWithParam<const char*> {};

TEST_P(EveryRecording, EachMessageReadsAndOurEncoderWritesItTheSame) {
    const auto split = dlp::splitSession(loadRecording(GetParam()));
    ASSERT_TRUE(split.desktopProblem.empty() && split.handheldProblem.empty()) << split.desktopProblem << split.handheldProblem;
    std::size_t count = 0;
    for (const auto& m : split.messages) {
        if (m.kind != dlp::SessionMessage::kDlp) continue;
        ++count;
        std::string why;
        if (m.fromDesktop) {
            dlp::DlpRequest request;
            ASSERT_TRUE(dlp::decodeRequest(m.bytes, request, why)) << why;
            ASSERT_TRUE(dlp::retypeRequest(request, why)) << why;
            EXPECT_EQ(link::toHex(request.encode()), link::toHex(m.bytes)) << dlp::describeRequest(request);
        } else {
            dlp::DlpResponse response;
            ASSERT_TRUE(dlp::decodeResponse(m.bytes, response, why)) << why;
            ASSERT_TRUE(dlp::retypeResponse(response, why)) << why;
            EXPECT_EQ(link::toHex(response.encode()), link::toHex(m.bytes)) << dlp::describeResponse(response);
        }
    }
    EXPECT_GT(count, 1u);
}

INSTANTIATE_TEST_SUITE_P(Net, EveryRecording, testing::ValuesIn(kNetRecordings));
INSTANTIATE_TEST_SUITE_P(Serial, EveryRecording, testing::ValuesIn(kSerialRecordings));
INSTANTIATE_TEST_SUITE_P(Usb, EveryRecording, testing::Values("read-db-test.usb.json"));

}  // namespace
