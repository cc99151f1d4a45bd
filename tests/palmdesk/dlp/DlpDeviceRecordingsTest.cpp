// The device class driven through the sessions recorded with real handhelds: the calls a desktop
// makes must produce the recorded requests (byte for byte over network HotSync, where our side's
// bytes are compared whole), and the recorded answers must read into the right values.
#include "palmdesk/dlp/DlpDevice.h"
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SerialLink.h"
#include "tests/palmdesk/Recordings.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace palmdesk;
using namespace palmdesk::dlp;

std::string asText(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

void noOp(DlpDevice& device, bool) {
    SysInfo sys;
    SysInfoVersions versions;
    ASSERT_TRUE(device.readSysInfo(sys, &versions).ok());
    EXPECT_EQ(versions.dlpMajor, 1);
    EXPECT_EQ(versions.dlpMinor, 2);
    EXPECT_EQ(sys.productId.size(), 4u);
    UserInfo user;
    ASSERT_TRUE(device.readUserInfo(user).ok());
    EXPECT_TRUE(device.endOfSync(kEndNormal).ok());
}

void deviceInfo(DlpDevice& device, bool serial) {
    SysInfo sys;
    ASSERT_TRUE(device.readSysInfo(sys).ok());
    UserInfo user;
    ASSERT_TRUE(device.readUserInfo(user).ok());
    const std::string before = user.name;
    EXPECT_EQ(before.rfind("Test ", 0), 0u) << before;
    EXPECT_EQ(user.lastSync.year, 2023);
    ASSERT_TRUE(device.readUserInfo(user).ok());
    WriteUserInfoRequest write;
    write.lastSync = {2023, 6, 13, 0, 0, 1, 0};
    write.modified = kUserModSyncDate | kUserModName;
    // The recorded desktops wrote these names, whatever they had read.
    write.name = serial ? "Test 1" : "Test 0";
    ASSERT_TRUE(device.writeUserInfo(write).ok());
    ASSERT_TRUE(device.readUserInfo(user).ok());
    EXPECT_EQ(user.name, write.name);
    EXPECT_EQ(user.lastSync.text(), "2023-06-13 00:00:01");
    DlpDateTime now;
    ASSERT_TRUE(device.getSysDateTime(now).ok());
    EXPECT_EQ(now.year, 2023);
    ASSERT_TRUE(device.setSysDateTime({2023, 6, 13, 0, 0, 1, 0}).ok());
    StorageInfo storage;
    StorageInfoCounts counts;
    ASSERT_TRUE(device.readStorageInfo(0, storage, &counts).ok());
    ASSERT_EQ(storage.cards.size(), 1u);
    EXPECT_EQ(storage.cards[0].name, "PalmCard");
    EXPECT_EQ(storage.cards[0].manufacturer, "Palm Computing");
    EXPECT_EQ(storage.cards[0].ramSize, 0x800000u);
    EXPECT_GT(counts.romDatabases, 0);
    NetSyncInfoResponse net;
    ASSERT_TRUE(device.readNetSyncInfo(net).ok());
    EXPECT_EQ(net.hostAddress, "192.168.2.4");
    WriteNetSyncInfoRequest writeNet;
    static_cast<NetSyncInfo&>(writeNet) = net;
    writeNet.modified = 0xF0;
    DlpResponse response;
    ASSERT_TRUE(device.call(makeRequest(cmd::kWriteNetSyncInfo, writeNet), response).ok());
    EXPECT_TRUE(device.endOfSync(kEndNormal).ok());
}

void listDb(DlpDevice& device, bool) {
    SysInfo sys;
    UserInfo user;
    ASSERT_TRUE(device.readSysInfo(sys).ok());
    ASSERT_TRUE(device.readUserInfo(user).ok());
    // The recorded desktop read the first page of the list only.
    DlpResponse response;
    ASSERT_TRUE(device.call(makeRequest(cmd::kReadDBList, DbListRequest{}), response).ok());
    DbList list;
    std::string why;
    ASSERT_TRUE(readFields(response.find(kFirstArgId)->data, list, why)) << why;
    ASSERT_FALSE(list.databases.empty());
    const DbInfo& first = list.databases.front();
    EXPECT_EQ(first.name, "AddressDB");
    EXPECT_EQ(fourCharCode(first.type), "DATA");
    EXPECT_EQ(fourCharCode(first.creator), "addr");
    EXPECT_EQ(first.index, 0);
    EXPECT_TRUE(first.flags & kDbBackup);
    bool memo = false;
    for (const DbInfo& db : list.databases) memo = memo || db.name == "MemoDB";
    EXPECT_TRUE(memo);
    EXPECT_EQ(list.lastIndex, list.databases.back().index);
    EXPECT_TRUE(device.endOfSync(kEndNormal).ok());
}

void readMemo(DlpDevice& device, bool) {
    SysInfo sys;
    UserInfo user;
    ASSERT_TRUE(device.readSysInfo(sys).ok());
    ASSERT_TRUE(device.readUserInfo(user).ok());
    ASSERT_TRUE(device.openConduit().ok());
    std::uint8_t handle = 0;
    ASSERT_TRUE(device.openDb("MemoDB", kOpenRead, handle).ok());
    std::uint16_t records = 0;
    ASSERT_TRUE(device.readOpenDbInfo(handle, records).ok());
    EXPECT_EQ(records, 1);
    std::vector<std::uint8_t> appInfo;
    ASSERT_TRUE(device.readAppBlock(handle, appInfo).ok());
    ASSERT_EQ(appInfo.size(), 282u);
    EXPECT_EQ(asText({appInfo.begin() + 2, appInfo.begin() + 9}), "Unfiled");
    std::vector<std::uint32_t> ids;
    ASSERT_TRUE(device.readRecordIdList(handle, ids).ok());
    ASSERT_EQ(ids.size(), 1u);
    Record memo;
    ASSERT_TRUE(device.readRecordById(handle, ids[0], memo).ok());
    EXPECT_EQ(memo.id, ids[0]);
    EXPECT_EQ(asText(memo.data), std::string("Hello, world!", 14));
    EXPECT_EQ(memo.attributes, kRecordDirty);
    EXPECT_EQ(memo.category, 0);
    EXPECT_TRUE(device.closeDb(handle).ok());
    EXPECT_TRUE(device.endOfSync(kEndNormal).ok());
}

void createDeleteDb(DlpDevice& device, bool) {
    SysInfo sys;
    UserInfo user;
    ASSERT_TRUE(device.readSysInfo(sys).ok());
    ASSERT_TRUE(device.readUserInfo(user).ok());
    EXPECT_EQ(user.name, "Palm OS Emulator");
    EXPECT_EQ(device.deleteDb("foobar").status, DlpStatus::kNotFound);
    std::uint8_t handle = 0;
    CreateDbRequest create;
    create.creator = 0x41414141;
    create.type = 0x44415441;
    create.flags = kDbBackup;
    create.name = "foobar";
    ASSERT_TRUE(device.createDb(create, handle).ok());
    FoundDb found;
    FoundDbSize size;
    ASSERT_TRUE(device.findDbByHandle(handle, found, &size).ok());
    EXPECT_EQ(found.info.name, "foobar");
    EXPECT_EQ(fourCharCode(found.info.type), "DATA");
    EXPECT_EQ(fourCharCode(found.info.creator), "AAAA");
    EXPECT_TRUE(found.info.flags & kDbOpen);
    EXPECT_EQ(size.records, 0u);
    EXPECT_TRUE(device.closeDb(handle).ok());
    EXPECT_TRUE(device.deleteDb("foobar").ok());
    EXPECT_TRUE(device.endOfSync(kEndNormal).ok());
}

struct Session {
    const char* name;
    std::function<void(DlpDevice&, bool serial)> script;
};
const Session kSessions[] = {{"no-op-test", noOp},
                             {"device-info-test", deviceInfo},
                             {"list-db-test", listDb},
                             {"read-memo-test", readMemo},
                             {"create-delete-db-test", createDeleteDb}};

TEST(DlpDeviceRecordings, NetworkSessionsSendTheRecordedBytesAndReadTheAnswers) {
    for (const Session& s : kSessions) {
        SCOPED_TRACE(s.name);
        const auto trace = loadRecording(std::string(s.name) + ".net.json");
        link::ReplayPipe pipe(trace, link::Role::kDesktop);
        link::NetSyncLink session(pipe, link::Role::kDesktop);
        session.open();
        DlpDevice device(session);
        s.script(device, false);
        EXPECT_TRUE(device.linkFailure().empty()) << device.linkFailure();
        EXPECT_EQ(link::toHex(pipe.written()), link::toHex(link::joinChunks(trace, link::TraceChunk::kWrite)));
    }
}

TEST(DlpDeviceRecordings, SerialSessionsReadTheAnswers) {
    for (const Session& s : kSessions) {
        SCOPED_TRACE(s.name);
        const auto trace = loadRecording(std::string(s.name) + ".serial-net.json");
        link::ReplayPipe pipe(trace, link::Role::kDesktop);
        link::SerialLink session(pipe, link::Role::kDesktop);
        session.open();
        DlpDevice device(session);
        s.script(device, true);
        EXPECT_TRUE(device.linkFailure().empty()) << device.linkFailure();
    }
}

TEST(DlpDeviceRecordings, AfterTheLinkFailsEveryCallFailsAtOnce) {
    auto trace = loadRecording("read-memo-test.net.json");
    link::ReplayPipe pipe(trace, link::Role::kDesktop);
    link::NetSyncLink session(pipe, link::Role::kDesktop);
    session.open();
    DlpDevice device(session);
    SysInfo sys;
    ASSERT_TRUE(device.readSysInfo(sys).ok());
    // The recording answers ReadUserInfo next; asking for the time instead gets its answer.
    DlpDateTime time;
    EXPECT_EQ(device.getSysDateTime(time).status, DlpStatus::kBadAnswer);
    const std::size_t sent = pipe.written().size();
    std::uint8_t handle = 0;
    // Read past the recording's end: the link fails, and stays failed without sending more.
    for (int i = 0; i < 20 && device.linkFailure().empty(); ++i) device.openConduit();
    const std::size_t afterFailure = pipe.written().size();
    const DlpResult again = device.openDb("MemoDB", kOpenRead, handle);
    EXPECT_EQ(again.status, DlpStatus::kLinkLost);
    EXPECT_NE(again.message.find("OpenDB: "), std::string::npos) << again.message;
    EXPECT_EQ(pipe.written().size(), afterFailure);
    EXPECT_GT(afterFailure, sent);
}

}  // namespace
