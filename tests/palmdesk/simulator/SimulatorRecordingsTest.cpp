// Our simulated handheld, set up with what a recorded handheld held, answers the recorded
// requests with the recorded bytes, wherever its state can match (its system information, clock
// and the database dates it makes differ from the device's).
#include "core/qz_fileio/DbRecord.h"
#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/dlp/SessionDecoder.h"
#include "palmdesk/simulator/HandheldSimulator.h"
#include "palmdesk/HandheldStore.h"
#include "tests/palmdesk/Recordings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <set>

namespace {

using namespace palmdesk;

// Each recorded request answered by handheld; answers to the commands in `differ` are not
// compared. Returns how many were.
std::size_t answerAsRecorded(sim::HandheldSimulator& handheld, const char* recording, const std::set<std::uint8_t>& differ) {
    const auto split = dlp::splitSession(loadRecording(recording));
    std::vector<std::vector<std::uint8_t>> requests, answers;
    for (const auto& m : split.messages)
        if (m.kind == dlp::SessionMessage::kDlp) (m.fromDesktop ? requests : answers).push_back(m.bytes);
    EXPECT_EQ(requests.size(), answers.size());
    std::size_t compared = 0;
    for (std::size_t i = 0; i < requests.size() && i < answers.size(); ++i) {
        dlp::DlpRequest request;
        std::string why;
        EXPECT_TRUE(dlp::decodeRequest(requests[i], request, why)) << why;
        const auto ours = handheld.answer(request).encode();
        if (differ.count(request.command)) continue;
        ++compared;
        EXPECT_EQ(link::toHex(ours), link::toHex(answers[i])) << dlp::describeRequest(request);
    }
    return compared;
}

TEST(SimulatorRecordings, AnswersTheMemoSessionAsTheHandheldDid) {
    TempDir folder;
    // The memo database as the recorded handheld held it: its categories block and one dirty
    // record.
    const auto split = dlp::splitSession(loadRecording("read-memo-test.net.json"));
    std::vector<std::uint8_t> appInfo;
    sim::HandheldState state;
    for (const auto& m : split.messages) {
        dlp::DlpResponse response;
        std::string why;
        if (m.fromDesktop || m.kind != dlp::SessionMessage::kDlp || !dlp::decodeResponse(m.bytes, response, why)) continue;
        if (response.command == dlp::cmd::kReadAppBlock) {
            dlp::Block block;
            ASSERT_TRUE(dlp::readFields(response.args.at(0).data, block, why)) << why;
            appInfo = block.data;
        } else if (response.command == dlp::cmd::kReadUserInfo) {
            ASSERT_TRUE(dlp::readFields(response.args.at(0).data, state.user, why)) << why;
        }
    }
    ASSERT_EQ(appInfo.size(), 282u);
    qz_gen::CPalmDb memo;
    memo.SetName("MemoDB");
    memo.SetAppInfo(static_cast<std::uint32_t>(appInfo.size()), appInfo.data());
    qz_gen::CDbRecord r;
    const std::string text("Hello, world!", 14);
    r.SetData(static_cast<std::uint32_t>(text.size()), reinterpret_cast<const std::uint8_t*>(text.data()));
    r.SetUniqueID(0x457001);
    r.SetFlag(qz_gen::CDbRecord::kFlagDirty, true);
    memo.AddRecord(r);
    memo.SetLayoutFields();
    ASSERT_TRUE(HandheldStore(folder.path()).Store(memo));

    sim::HandheldSimulator handheld(folder.path(), state);
    EXPECT_EQ(answerAsRecorded(handheld, "read-memo-test.net.json", {dlp::cmd::kReadSysInfo}), 9u);
}

TEST(SimulatorRecordings, AnswersTheCreateAndDeleteSessionAsTheHandheldDid) {
    TempDir folder;
    sim::HandheldSimulator handheld(folder.path());
    // The recorded handheld's user and its FindDB answer (dates, local ID) are its own.
    EXPECT_EQ(answerAsRecorded(handheld, "create-delete-db-test.net.json",
                               {dlp::cmd::kReadSysInfo, dlp::cmd::kReadUserInfo, dlp::cmd::kFindDB}),
              5u);
    EXPECT_FALSE(HandheldStore(folder.path()).Find("foobar"));
}

}  // namespace
