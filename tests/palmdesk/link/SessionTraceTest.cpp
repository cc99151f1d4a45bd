// Session traces: the recordings' JSON read and written, and a live session recorded through
// TracingPipe told by the decoder as the requests it carried.
#include "palmdesk/dlp/DlpDevice.h"
#include "palmdesk/dlp/SessionDecoder.h"
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SessionTrace.h"
#include "tests/palmdesk/Recordings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using namespace palmdesk;

TEST(SessionTrace, WrittenAndReadBackUnchanged) {
    const auto trace = loadRecording("read-memo-test.serial-net.json");
    TempDir dir;
    std::string why;
    ASSERT_TRUE(link::writeTraceFile(dir.file("again.json"), trace, why)) << why;
    link::SessionTrace again;
    ASSERT_TRUE(link::readTraceFile(dir.file("again.json"), again, why)) << why;
    EXPECT_EQ(again, trace);
}

TEST(SessionTrace, RefusesWhatIsNotATrace) {
    const struct {
        const char* json;
        const char* why;
    } cases[] = {
        {"{", "not JSON"},
        {"{\"type\": \"read\"}", "not an array"},
        {"[{\"type\": \"read\"}]", "chunk 1: needs"},
        {"[{\"type\": \"read\", \"data\": \"00\"}, {\"type\": \"sent\", \"data\": \"00\"}]", "chunk 2: type \"sent\""},
        {"[{\"type\": \"write\", \"data\": \"0g\"}]", "not hex"},
        {"[{\"type\": \"write\", \"data\": \"012\"}]", "not hex"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        link::SessionTrace trace;
        std::string why;
        EXPECT_FALSE(link::parseTrace(c.json, trace, why));
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
    link::SessionTrace trace;
    std::string why;
    EXPECT_FALSE(link::readTraceFile("/nonexistent/session.json", trace, why));
    EXPECT_NE(why.find("/nonexistent/session.json"), std::string::npos) << why;
}

TEST(SessionTrace, ALiveSessionRecordedFromTheDesktopsSideDecodes) {
    // The desktop side of a recorded session, replayed and recorded again: the new trace must
    // hold the same bytes in each direction and decode to the same requests.
    const auto recorded = loadRecording("create-delete-db-test.net.json");
    link::ReplayPipe replay(recorded, link::Role::kDesktop);
    link::TracingPipe traced(replay, link::Role::kDesktop);
    link::NetSyncLink session(traced, link::Role::kDesktop);
    session.open();
    dlp::DlpDevice device(session);
    dlp::SysInfo sys;
    dlp::UserInfo user;
    ASSERT_TRUE(device.readSysInfo(sys).ok());
    ASSERT_TRUE(device.readUserInfo(user).ok());
    EXPECT_EQ(device.deleteDb("foobar").status, dlp::DlpStatus::kNotFound);
    const auto& ours = traced.trace();
    const auto lines = dlp::describeSession(ours);
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[0], "network HotSync framing");
    EXPECT_EQ(lines[6], "desktop: ReadSysInfo dlpMajor=1 dlpMinor=4");
    EXPECT_EQ(lines.back(), "handheld: DeleteDB answer: NotFound (database, record or resource not found)");
    const auto all = dlp::describeSession(recorded);
    EXPECT_TRUE(std::equal(lines.begin(), lines.end(), all.begin()));
}

TEST(SessionTrace, TheDecoderSaysWhereASessionCannotBeRead) {
    auto trace = loadRecording("no-op-test.serial-net.json");
    // Spoil the CRC of the handheld's last packet.
    for (auto it = trace.rbegin(); it != trace.rend(); ++it) {
        if (it->direction == link::TraceChunk::kRead) {
            it->data.back() ^= 0xFF;
            break;
        }
    }
    const auto lines = dlp::describeSession(trace);
    EXPECT_NE(lines.back().find("cannot read the handheld's side at byte"), std::string::npos) << lines.back();
    EXPECT_NE(lines.back().find("CRC"), std::string::npos) << lines.back();
    const link::SessionTrace garbage{{link::TraceChunk::kRead, {0x42, 0x43}}};
    EXPECT_NE(dlp::describeSession(garbage).back().find("neither a network nor a serial packet"), std::string::npos);
}

}  // namespace
