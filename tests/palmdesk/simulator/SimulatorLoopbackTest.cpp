// The device class against our simulated handheld over loopback TCP, both transports: what the
// desktop reads is what the folder holds, what it writes lands in the folder when the database
// is closed, and a link dropped part-way leaves the folder as it was.
#include "core/qz_fileio/DbRecord.h"
#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/dlp/DlpDevice.h"
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SerialLink.h"
#include "palmdesk/link/TcpPipe.h"
#include "palmdesk/simulator/HandheldSimulator.h"
#include "palmdesk/simulator/ImpairedPipe.h"
#include "palmdesk/HandheldStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

using namespace palmdesk;
using namespace palmdesk::dlp;

constexpr std::uint32_t kMemoType = 0x44415441;     // DATA
constexpr std::uint32_t kMemoCreator = 0x6D656D6F;  // memo
constexpr std::uint32_t kFontType = 0x7474666E;     // ttfn

std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed + i * 7);
    return v;
}

// A record database with an app-info block and two records (one longer than a serial fragment),
// a resource database, and enough small ones that the list takes more than one request.
void fillHandheld(const std::string& folder) {
    HandheldStore store(folder);
    qz_gen::CPalmDb memo;
    memo.SetName("MemoDB");
    memo.Header().type = kMemoType;
    memo.Header().creator = kMemoCreator;
    memo.Header().attributes = qz_gen::CPalmDb::kAttrBackup;
    const auto appInfo = pattern(282, 1);
    memo.SetAppInfo(static_cast<std::uint32_t>(appInfo.size()), appInfo.data());
    for (std::uint32_t i = 0; i < 2; ++i) {
        qz_gen::CDbRecord r;
        const auto data = pattern(i == 0 ? 14 : 5000, static_cast<std::uint8_t>(i));
        r.SetData(static_cast<std::uint32_t>(data.size()), data.data());
        r.SetUniqueID(0x457001 + i);
        r.SetCategory(i);
        memo.AddRecord(r);
    }
    memo.SetLayoutFields();
    ASSERT_TRUE(store.Store(memo));
    qz_gen::CPalmDb fonts;
    fonts.SetName("Fonts");
    fonts.Header().attributes = qz_gen::CPalmDb::kAttrResource;
    fonts.Header().type = kFontType;
    for (std::uint16_t id = 1000; id < 1002; ++id) {
        qz_gen::CDbRecord r;
        const auto data = pattern(100 + id % 10, 9);
        r.SetData(static_cast<std::uint32_t>(data.size()), data.data());
        r.SetUniqueID(0x4E464E54);  // NFNT
        r.SetResourceID(id);
        fonts.AddRecord(r);
    }
    fonts.SetLayoutFields();
    ASSERT_TRUE(store.Store(fonts));
    for (int i = 0; i < 18; ++i) {
        qz_gen::CPalmDb small;
        small.SetName("Small" + std::to_string(i));
        small.SetLayoutFields();
        ASSERT_TRUE(store.Store(small));
    }
}

enum class Transport { kNet, kSerial };

std::unique_ptr<link::MessageLink> makeLink(Transport t, link::BytePipe& pipe, link::Role role) {
    link::LinkTimeouts timeouts;
    timeouts.message = link::Millis{10000};
    if (t == Transport::kSerial) return std::make_unique<link::SerialLink>(pipe, role, timeouts);
    return std::make_unique<link::NetSyncLink>(pipe, role, timeouts);
}

// The simulator on its own thread, connected to a listener of ours; the desktop's link is ready
// once the constructor returns.
class Session {
public:
    Session(Transport t, sim::HandheldSimulator& handheld, int dropAt = 0) : listener_(0, true) {
        const std::uint16_t port = listener_.port();
        thread_ = std::thread([this, t, &handheld, port, dropAt] {
            try {
                auto tcp = link::connectTcp("127.0.0.1", port, link::Millis{5000});
                sim::ImpairedPipe impaired(*tcp, link::Millis{0}, dropAt);
                auto session = makeLink(t, impaired, link::Role::kHandheld);
                handheld.serve(*session);
            } catch (const link::LinkError& e) {
                handheldFailure_ = e.what();
            }
        });
        pipe_ = listener_.accept(link::Millis{5000});
        EXPECT_NE(pipe_, nullptr);
        link_ = makeLink(t, *pipe_, link::Role::kDesktop);
        link_->open();
    }
    ~Session() {
        if (pipe_) pipe_->close();
        thread_.join();
    }
    link::MessageLink& link() { return *link_; }
    void close() { pipe_->close(); }
    // Waits for the simulator's side to end; what ended it, empty for a clean end.
    std::string finish() {
        thread_.join();
        thread_ = std::thread([] {});
        return handheldFailure_;
    }

private:
    link::TcpListener listener_;
    std::thread thread_;
    std::string handheldFailure_;
    std::unique_ptr<link::TcpPipe> pipe_;
    std::unique_ptr<link::MessageLink> link_;
};

class Loopback : public testing::TestWithParam<Transport> {};

TEST_P(Loopback, DesktopReadsWhatTheFolderHolds) {
    TempDir folder;
    fillHandheld(folder.path());
    sim::HandheldState state;
    state.user.name = "Ann";
    state.user.userId = 4711;
    sim::HandheldSimulator handheld(folder.path(), state);
    Session session(GetParam(), handheld);
    DlpDevice device(session.link());

    SysInfo sys;
    SysInfoVersions versions;
    ASSERT_TRUE(device.readSysInfo(sys, &versions).ok());
    EXPECT_EQ(versions.dlpMajor, 1);
    UserInfo user;
    ASSERT_TRUE(device.readUserInfo(user).ok());
    EXPECT_EQ(user.name, "Ann");
    EXPECT_EQ(user.userId, 4711u);

    std::vector<DbInfo> all;
    ASSERT_TRUE(device.readDbList(kListRam, all).ok());
    ASSERT_EQ(all.size(), 20u);  // more than one page
    for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].index, i);

    FoundDb found;
    FoundDbSize size;
    ASSERT_TRUE(device.findDbByName("MemoDB", found, &size).ok());
    EXPECT_EQ(found.info.type, kMemoType);
    EXPECT_EQ(found.info.creator, kMemoCreator);
    EXPECT_TRUE(found.info.flags & kDbBackup);
    EXPECT_EQ(size.records, 2u);
    EXPECT_EQ(device.findDbByName("Nothing", found).status, DlpStatus::kNotFound);
    ASSERT_TRUE(device.findDbByTypeCreator(kFontType, 0, true, found).ok());
    EXPECT_EQ(found.info.name, "Fonts");
    EXPECT_EQ(device.findDbByTypeCreator(kFontType, 0, false, found).status, DlpStatus::kNotFound);

    std::uint8_t memo = 0;
    ASSERT_TRUE(device.openDb("MemoDB", kOpenRead, memo).ok());
    std::vector<std::uint8_t> appInfo;
    ASSERT_TRUE(device.readAppBlock(memo, appInfo).ok());
    EXPECT_EQ(appInfo, pattern(282, 1));
    std::vector<std::uint32_t> ids;
    ASSERT_TRUE(device.readRecordIdList(memo, ids).ok());
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{0x457001, 0x457002}));
    Record record;
    ASSERT_TRUE(device.readRecordByIndex(memo, 1, record).ok());
    EXPECT_EQ(record.data, pattern(5000, 1));  // several serial fragments
    EXPECT_EQ(record.id, 0x457002u);
    EXPECT_EQ(record.category, 1);
    ASSERT_TRUE(device.readRecordById(memo, 0x457001, record).ok());
    EXPECT_EQ(record.data, pattern(14, 0));
    EXPECT_EQ(device.readRecordById(memo, 0x999999, record).status, DlpStatus::kNotFound);
    std::uint32_t id = 0;
    EXPECT_EQ(device.writeRecord(memo, id, 0, 0, pattern(3, 3)).status, DlpStatus::kReadOnly);
    EXPECT_EQ(device.deleteDb("MemoDB").status, DlpStatus::kDatabaseOpen);
    Resource resource;
    EXPECT_EQ(device.readResourceByIndex(memo, 0, resource).status, DlpStatus::kNotSupported);
    ASSERT_TRUE(device.closeDb(memo).ok());

    std::uint8_t empty = 0;
    ASSERT_TRUE(device.openDb("Small0", kOpenRead, empty).ok());
    ASSERT_TRUE(device.readRecordIdList(empty, ids).ok());
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(device.readAppBlock(empty, appInfo).status, DlpStatus::kNotFound);
    ASSERT_TRUE(device.closeDb(empty).ok());

    std::uint8_t fonts = 0;
    ASSERT_TRUE(device.openDb("Fonts", kOpenRead, fonts).ok());
    ASSERT_TRUE(device.readResourceByType(fonts, 0x4E464E54, 1001, resource).ok());
    EXPECT_EQ(resource.index, 1);
    EXPECT_EQ(resource.data, pattern(101, 9));
    ASSERT_TRUE(device.closeAllDbs().ok());
    EXPECT_TRUE(device.endOfSync(kEndNormal).ok());
    EXPECT_EQ(session.finish(), "");
    EXPECT_EQ(handheld.state().endStatus, kEndNormal);
}

TEST_P(Loopback, DatabasesWrittenByTheDesktopLandInTheFolderWhenClosed) {
    TempDir folder;
    sim::HandheldSimulator handheld(folder.path());
    Session session(GetParam(), handheld);
    DlpDevice device(session.link());

    UserInfo user;
    ASSERT_TRUE(device.readUserInfo(user).ok());
    EXPECT_EQ(user.name, "");  // never synchronised
    WriteUserInfoRequest write;
    write.name = "Ann";
    write.userId = 12;
    write.modified = kUserModName | kUserModUserId;
    ASSERT_TRUE(device.writeUserInfo(write).ok());
    ASSERT_TRUE(device.readUserInfo(user).ok());
    EXPECT_EQ(user.name, "Ann");
    EXPECT_EQ(user.userId, 12u);

    CreateDbRequest create;
    create.creator = 0x54544674;  // TTFt
    create.type = kFontType;
    create.name = "Wrapped font";
    create.flags = kDbBackup;
    std::uint8_t handle = 0;
    ASSERT_TRUE(device.createDb(create, handle).ok());
    EXPECT_EQ(device.createDb(create, handle).status, DlpStatus::kAlreadyExists);
    ASSERT_TRUE(device.writeAppBlock(handle, pattern(40, 4)).ok());
    std::uint32_t first = 0, second = 0;
    ASSERT_TRUE(device.writeRecord(handle, first, 0, 2, pattern(70000 / 2, 5)).ok());
    ASSERT_TRUE(device.writeRecord(handle, second, kRecordSecret, 3, pattern(10, 6)).ok());
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    // Not on the handheld's storage until closed.
    EXPECT_FALSE(HandheldStore(folder.path()).Find("Wrapped font"));
    ASSERT_TRUE(device.closeDb(handle).ok());
    ASSERT_TRUE(device.addSyncLogEntry("Pictaro: 1 picture sent").ok());
    EXPECT_TRUE(device.endOfSync(kEndNormal).ok());
    EXPECT_EQ(session.finish(), "");

    const auto db = HandheldStore(folder.path()).Load("Wrapped font");
    ASSERT_TRUE(db);
    EXPECT_EQ(db->Header().type, kFontType);
    EXPECT_EQ(db->Header().attributes, qz_gen::CPalmDb::kAttrBackup);
    EXPECT_EQ(std::vector<std::uint8_t>(db->AppInfo().begin(), db->AppInfo().end()), pattern(40, 4));
    ASSERT_EQ(db->LiveCount(), 2u);
    qz_gen::CDbRecord r;
    ASSERT_EQ(db->CopyRecordByUniqueID(second, r), 0);
    EXPECT_TRUE(r.IsPrivate());
    EXPECT_EQ(r.GetCategory(), 3u);
    EXPECT_EQ(handheld.state().syncLog, std::vector<std::string>{"Pictaro: 1 picture sent"});
}

TEST_P(Loopback, ALinkDroppedBeforeTheCloseLeavesTheFolderAsItWas) {
    // Count the packets the handheld sends up to the answer to CreateDB, then drop the link at
    // each later one in turn.
    for (int dropAt : {6, 7, 8, 9, 10}) {
        SCOPED_TRACE(dropAt);
        TempDir folder;
        sim::HandheldSimulator handheld(folder.path());
        Session session(GetParam(), handheld, dropAt + (GetParam() == Transport::kSerial ? 10 : 0));
        DlpDevice device(session.link());
        CreateDbRequest create;
        create.name = "Half";
        std::uint8_t handle = 0;
        bool lost;
        DlpResult r = device.createDb(create, handle);
        for (int i = 0; r.ok() && i < 8; ++i) {
            std::uint32_t id = 0;
            r = device.writeRecord(handle, id, 0, 0, pattern(10, 1));
        }
        if (r.ok()) r = device.closeDb(handle);
        lost = r.status == DlpStatus::kLinkLost;
        EXPECT_TRUE(lost) << r.message;
        EXPECT_FALSE(device.linkFailure().empty());
        EXPECT_FALSE(HandheldStore(folder.path()).Find("Half"));
        session.close();
        EXPECT_NE(session.finish(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Transports, Loopback, testing::Values(Transport::kNet, Transport::kSerial),
                         [](const auto& info) { return info.param == Transport::kNet ? "Net" : "Serial"; });

}  // namespace
