// End-to-end HotSyncs with a device: hotsync listen runs the picture conduit and the install
// queue against our simulated handheld over both TCP transports, and the results are held
// against the same sync of the folder store; a link dropped at every packet loses nothing.
#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/HandheldStore.h"
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SerialLink.h"
#include "palmdesk/link/SerialPortPipe.h"
#include "palmdesk/link/TcpPipe.h"
#include "palmdesk/simulator/HandheldSimulator.h"
#include "palmdesk/simulator/ImpairedPipe.h"
#include "palmdesk/simulator/PseudoTerminal.h"
#include "platform/bytes/ByteWriter.h"
#include "support/BmpBuilder.h"
#include "support/CraftedDatabases.h"
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <thread>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using namespace palmdesk;

namespace {

constexpr std::uint32_t kDrAw = 0x44724177, kBpmf = 0x62706D66;

// Header bytes a handheld sets itself: the creation, modification and backup dates and the
// modification number.
constexpr std::size_t kDatesAt = 36, kDatesEnd = 52;

// Name -> file bytes with the dates cleared, of every database in a folder.
std::map<std::string, Bytes> databasesIn(const std::string& folder) {
    std::map<std::string, Bytes> out;
    for (const auto& db : HandheldStore(folder).List()) {
        Bytes bytes = readWholeFile(db.file);
        std::fill(bytes.begin() + kDatesAt, bytes.begin() + kDatesEnd, 0);
        out[db.name] = bytes;
    }
    return out;
}

std::map<std::string, Bytes> filesIn(const std::string& folder) {
    std::map<std::string, Bytes> out;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing))
        out[entry.path().filename().string()] = readWholeFile(entry.path().string());
    return out;
}

void writeDatabase(const std::string& path, qz_gen::CPalmDb& db) {
    db.SetLayoutFields();
    writeWholeFile(path, db.ToBytes());
}

qz_gen::CPalmDb& named(qz_gen::CPalmDb& db, const std::string& name, std::uint32_t type, std::uint32_t creator) {
    db.SetName(name);
    db.Header().type = type;
    db.Header().creator = creator;
    return db;
}

// A desktop with the user Ann and the picture conduit, and a handheld folder that starts out as
// the folder store's or the simulator's.
struct Desktop {
    Desktop() {
        EXPECT_EQ(hotsync("init").exitCode, 0);
        EXPECT_EQ(hotsync("user add Ann").exitCode, 0);
        EXPECT_EQ(hotsync(std::string("register ") + PICTSYNC_MODULE).exitCode, 0);
        // The sync folder is the drive mapping's C:\Pictaro, not the pictures folder of the home.
        const std::string ini = "[Pictaro]\r\nSyncDir=C:\\Pictaro\r\n";
        writeWholeFile(root() + "/Windows/Pictaro.ini", std::vector<std::uint8_t>(ini.begin(), ini.end()));
        fs::create_directories(syncFolder());
        fs::create_directories(queueFolder());
        fs::create_directories(deviceFolder());
    }
    ToolRun hotsync(const std::string& args) const { return runTool(HOTSYNC_BIN, args, dir.path()); }
    std::string root() const { return dir.path() + "/palmdesk"; }
    std::string syncFolder() const { return root() + "/drive_c/Pictaro"; }
    std::string queueFolder() const { return root() + "/Users/Ann/Install"; }
    std::string storeFolder() const { return root() + "/Users/Ann/Handheld/card0"; }
    std::string deviceFolder() const { return dir.path() + "/device"; }

    // The same starting point for every run: pictures on both sides, one of a name on each, the
    // device's picture limits, and a record database and a resource database queued.
    void setUp(const std::string& handheldFolder) const {
        for (const auto& [name, width] : {std::pair{"Moon.bmp", 20}, std::pair{"Both.bmp", 33}}) {
            BmpLayout bmp;
            bmp.width = width;
            bmp.height = 7;
            bmp.bitCount = 24;
            bmp.pixels.assign((std::size_t(width) * 3 + 3) / 4 * 4 * 7, static_cast<std::uint8_t>(width));
            writeWholeFile(syncFolder() + "/" + name, buildBmp(bmp));
        }
        for (const char* name : {"Sunset", "Both"}) {
            qz_gen::CPalmDb db;
            Bytes record = {10, 1, 0, 30, 0, 1, 8, 2, 0, 72};
            record.resize(40, 125);
            Bytes info;
            bytes::ByteWriter w(info);
            w.writeU16(12);
            w.writeU32(static_cast<std::uint32_t>(record.size()));
            named(db, name, kBpmf, kDrAw).SetAppInfo(static_cast<std::uint32_t>(info.size()), info.data());
            qz_gen::CDbRecord r;
            r.SetData(static_cast<std::uint32_t>(record.size()), record.data());
            r.SetUniqueID(1);
            db.AddRecord(r);
            writeDatabase(handheldFolder + "/" + name + ".pdb", db);
        }
        writeWholeFile(queueFolder() + "/Fonts.pdb", typeholdFile({fontRecordWithID("Tiny", 5), fontRecordWithID("Big", 9)}, 40));
        qz_gen::CPalmDb wrapper;
        named(wrapper, "TT Serif", 0x7474666E, 0x54544674).Header().attributes = 0x0001;
        for (std::uint16_t id : {1, 2}) {
            const Bytes data(300u * id, static_cast<std::uint8_t>(id));
            qz_gen::CDbRecord r;
            r.SetData(static_cast<std::uint32_t>(data.size()), data.data());
            r.SetUniqueID(0x54544674);
            r.SetResourceID(id);
            wrapper.AddRecord(r);
        }
        writeDatabase(queueFolder() + "/Serif.pdb", wrapper);
    }

    // What a sync leaves: the sync folder, the queue, and the handheld's databases.
    struct State {
        std::map<std::string, Bytes> desktop, queue, handheld;
        bool operator==(const State&) const = default;
    };
    State state(const std::string& handheldFolder) const {
        return {filesIn(syncFolder()), filesIn(queueFolder()), databasesIn(handheldFolder)};
    }

    TempDir dir;
};

enum class Transport { kNet, kSerialNet };

// A port nobody listens on now.
std::uint16_t freePort() { return link::TcpListener(0, true).port(); }

struct DeviceRun {
    ToolRun desktop;
    bool sessionEnded = false;  // the simulator saw EndOfSync
    int packets = 0;            // what the simulator sent
    sim::HandheldState handheld;
};

// How the handheld and hotsync listen meet.
struct Meeting {
    Transport transport = Transport::kNet;
    std::string args = "--type fast";  // more options of hotsync listen
    std::string handheldUser = "Ann";
    int dropAt = 0;                     // > 0: the handheld drops the link instead of that packet
    int latency = 0;                    // milliseconds before each of the handheld's packets
    std::string runner;                 // a command that runs hotsync ("timeout -s INT 1")
};

// hotsync listen --once on one side, the simulated handheld on the other.
DeviceRun syncDevice(const Desktop& d, const Meeting& m) {
    const std::uint16_t port = freePort();
    const bool serial = m.transport == Transport::kSerialNet;
    auto desktop = std::async(std::launch::async, [&] {
        const std::string args = std::string("listen ") + (serial ? "--serial-net" : "--net") + " --port " +
                                 std::to_string(port) + " --once " + m.args;
        if (m.runner.empty()) return d.hotsync(args);
        return runTool(m.runner, std::string(HOTSYNC_BIN) + " " + args, d.dir.path());
    });
    sim::HandheldState state;
    state.user.name = m.handheldUser;
    sim::HandheldSimulator handheld(d.deviceFolder(), state);
    DeviceRun run;
    std::unique_ptr<link::TcpPipe> tcp;
    for (int attempt = 0; !tcp && attempt < 200; ++attempt) {
        try {
            tcp = link::connectTcp("127.0.0.1", port, link::Millis{1000});
        } catch (const link::LinkError&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
    if (tcp) {
        sim::ImpairedPipe impaired(*tcp, link::Millis{m.latency}, m.dropAt);
        std::unique_ptr<link::MessageLink> session;
        if (serial) session = std::make_unique<link::SerialLink>(impaired, link::Role::kHandheld);
        else session = std::make_unique<link::NetSyncLink>(impaired, link::Role::kHandheld);
        try {
            handheld.serve(*session);
            run.sessionEnded = true;
        } catch (const link::LinkError&) {
        }
        run.packets = impaired.packetsWritten();
        session->close();
    }
    run.desktop = desktop.get();
    run.handheld = handheld.state();
    EXPECT_TRUE(tcp) << "hotsync listen did not take the connection: " << run.desktop.err;
    return run;
}

DeviceRun syncDevice(const Desktop& d, Transport transport, const std::string& type, int dropAt = 0) {
    Meeting m;
    m.transport = transport;
    m.args = "--type " + type;
    m.dropAt = dropAt;
    return syncDevice(d, m);
}

class DeviceSync : public ::testing::TestWithParam<Transport> {};

TEST_P(DeviceSync, EverySyncTypeGivesWhatTheFolderStoreGives) {
    for (const std::string type : {"fast", "slow", "hh", "pc", "nothing"}) {
        SCOPED_TRACE(type);
        Desktop folder;
        folder.setUp(folder.storeFolder());
        const ToolRun local = folder.hotsync("sync --user Ann --type " + type);
        EXPECT_EQ(local.exitCode, 0) << local.out << local.err;

        Desktop device;
        device.setUp(device.deviceFolder());
        const DeviceRun remote = syncDevice(device, GetParam(), type);
        EXPECT_EQ(remote.desktop.exitCode, 0) << remote.desktop.out << remote.desktop.err;
        EXPECT_TRUE(remote.sessionEnded);
        EXPECT_EQ(remote.desktop.out, local.out);

        const auto expected = folder.state(folder.storeFolder());
        const auto got = device.state(device.deviceFolder());
        // Both queued databases arrived beside the pictures.
        EXPECT_EQ(got.queue.size(), 0u);
        EXPECT_EQ(expected.queue.size(), 0u);
        EXPECT_EQ(expected.handheld.size(), type == "fast" || type == "pc" ? 5u : 4u);
        EXPECT_EQ(expected.desktop.size(), type == "fast" || type == "hh" ? 3u : 2u);
        for (const auto& [name, bytes] : expected.desktop) EXPECT_EQ(got.desktop.count(name) ? got.desktop.at(name) : Bytes(), bytes) << name;
        for (const auto& [name, bytes] : expected.handheld) EXPECT_EQ(got.handheld.count(name) ? got.handheld.at(name) : Bytes(), bytes) << name;
        EXPECT_EQ(got, expected);
    }
}

TEST_P(DeviceSync, ALinkDroppedAtAnyPacketLosesNothing) {
    // The whole sync once, for its packet count and what every file becomes.
    Desktop whole;
    whole.setUp(whole.deviceFolder());
    const auto before = whole.state(whole.deviceFolder());
    const DeviceRun full = syncDevice(whole, GetParam(), "fast");
    ASSERT_EQ(full.desktop.exitCode, 0) << full.desktop.out << full.desktop.err;
    const auto after = whole.state(whole.deviceFolder());
    ASSERT_GT(full.packets, 10);
    // Each file is as it was or as the whole sync leaves it; nothing half written, and a queued
    // file has left the queue only when the handheld holds it.
    const auto oneOf = [](const auto& got, const auto& was, const auto& becomes, const char* where) {
        for (const auto& [name, bytes] : got) {
            const bool old = was.count(name) && was.at(name) == bytes;
            const bool now = becomes.count(name) && becomes.at(name) == bytes;
            EXPECT_TRUE(old || now) << where << ": " << name;
        }
        for (const auto& [name, bytes] : was)
            EXPECT_TRUE(got.count(name) || !becomes.count(name)) << where << ": " << name << " is gone";
    };
    const int step = GetParam() == Transport::kNet ? 1 : 3;
    for (int drop = 1; drop < full.packets; drop += step) {
        SCOPED_TRACE("dropped at packet " + std::to_string(drop));
        Desktop d;
        d.setUp(d.deviceFolder());
        const DeviceRun run = syncDevice(d, GetParam(), "fast", drop);
        EXPECT_EQ(run.desktop.exitCode, 1) << run.desktop.out;
        EXPECT_FALSE(run.sessionEnded);
        const auto state = d.state(d.deviceFolder());
        oneOf(state.desktop, before.desktop, after.desktop, "desktop");
        oneOf(state.handheld, before.handheld, after.handheld, "handheld");
        for (const auto& [file, bytes] : before.queue) {
            if (state.queue.count(file)) {
                EXPECT_EQ(state.queue.at(file), bytes) << file;
                continue;
            }
            const auto db = ParsePalmDatabase(bytes);
            ASSERT_TRUE(db);
            EXPECT_EQ(state.handheld.count(db->GetName()) ? state.handheld.at(db->GetName()) : Bytes(),
                      after.handheld.at(db->GetName()))
                << file << " left the queue but is not on the handheld";
        }
    }
}

TEST_P(DeviceSync, ANewHandheldTakesTheUserAndEveryEndIsTold) {
    Desktop d;
    d.setUp(d.deviceFolder());
    Meeting m;
    m.transport = GetParam();
    m.handheldUser = "";
    m.args = "--user Ann --trace " + d.dir.path() + "/session.json";
    const DeviceRun run = syncDevice(d, m);
    EXPECT_EQ(run.desktop.exitCode, 0) << run.desktop.err;
    EXPECT_EQ(run.handheld.user.name, "Ann");
    EXPECT_NE(run.handheld.user.userId, 0u);
    EXPECT_NE(run.handheld.user.lastSync.year, 0);
    EXPECT_EQ(run.handheld.endStatus, 0);
    ASSERT_FALSE(run.handheld.syncLog.empty());
    EXPECT_NE(run.handheld.syncLog.back().find("HotSync completed."), std::string::npos);
    // The same user's next HotSync keeps the ID, and the trace reads back as named requests.
    const ToolRun decoded = d.hotsync("decode " + d.dir.path() + "/session.json");
    EXPECT_EQ(decoded.exitCode, 0) << decoded.err;
    for (const char* request : {"desktop: ReadSysInfo", "desktop: WriteUserInfo", "desktop: CreateDB", "desktop: EndOfSync"})
        EXPECT_NE(decoded.out.find(request), std::string::npos) << request;
}

TEST_P(DeviceSync, RefusalsSayWhyAndTellTheHandheld) {
    struct Case {
        const char* handheldUser;
        const char* args;
        const char* message;
    };
    for (const Case& c : {Case{"", "", "has no user yet; say which desktop user it belongs to with hotsync listen --user NAME"},
                          Case{"Bob", "", "the handheld's user \"Bob\" is not a user of this desktop (add it with hotsync user add \"Bob\")"},
                          Case{"", "--user Carl", "the handheld's user \"Carl\" is not a user of this desktop"}}) {
        SCOPED_TRACE(c.message);
        Desktop d;
        d.setUp(d.deviceFolder());
        const auto before = d.state(d.deviceFolder());
        Meeting m;
        m.transport = GetParam();
        m.handheldUser = c.handheldUser;
        m.args = c.args;
        const DeviceRun run = syncDevice(d, m);
        EXPECT_EQ(run.desktop.exitCode, 1);
        EXPECT_NE(run.desktop.err.find(c.message), std::string::npos) << run.desktop.err;
        EXPECT_EQ(run.handheld.endStatus, 3);
        EXPECT_EQ(run.handheld.user.name, c.handheldUser);
        EXPECT_EQ(d.state(d.deviceFolder()), before);
    }
}

TEST_P(DeviceSync, CtrlCEndsTheHotSyncBetweenRequests) {
    Desktop d;
    d.setUp(d.deviceFolder());
    const auto before = d.state(d.deviceFolder());
    Meeting m;
    m.transport = GetParam();
    m.latency = 40;  // the whole sync takes a few seconds
    m.runner = "timeout --foreground --preserve-status -s INT 1";  // one SIGINT, as Ctrl+C sends
    const DeviceRun run = syncDevice(d, m);
    EXPECT_EQ(run.desktop.exitCode, 1) << run.desktop.out;
    EXPECT_TRUE(run.sessionEnded);
    EXPECT_EQ(run.handheld.endStatus, 2);  // cancelled by the user
    EXPECT_NE(run.desktop.out.find("the HotSync was stopped on the desktop"), std::string::npos) << run.desktop.out;
    // Whatever was not done stays for the next HotSync.
    const auto after = d.state(d.deviceFolder());
    EXPECT_EQ(after.desktop, before.desktop);
    EXPECT_EQ(after.queue.size() + after.handheld.size(), before.queue.size() + before.handheld.size());
}

// A handheld on a serial cable: hotsync listen --serial on one end of a pseudo-terminal pair, the
// simulated handheld on the other, speed switch included; a pulled cable leaves the queue.
TEST(DeviceSyncOnSerialPort, AFastSyncGivesWhatTheFolderStoreGives) {
    Desktop folder;
    folder.setUp(folder.storeFolder());
    const ToolRun local = folder.hotsync("sync --user Ann --type fast");
    ASSERT_EQ(local.exitCode, 0) << local.out << local.err;

    Desktop device;
    device.setUp(device.deviceFolder());
    sim::PseudoTerminal pty;
    auto desktop = std::async(std::launch::async, [&] { return device.hotsync("listen --serial " + pty.path() + " --once --type fast"); });
    sim::HandheldState state;
    state.user.name = "Ann";
    sim::HandheldSimulator handheld(device.deviceFolder(), state);
    bool ended = false;
    {
        const auto end = pty.takeHandheldEnd();
        link::LinkTimeouts timeouts;
        timeouts.ackWait = link::Millis{300};  // the wake-up sent before hotsync opened the port goes again soon
        timeouts.attempts = 40;
        link::SerialPortLink session(*end, link::Role::kHandheld, timeouts);
        try {
            handheld.serve(session);
            ended = true;
        } catch (const link::LinkError& e) {
            ADD_FAILURE() << e.what();
        }
        session.close();
    }
    const ToolRun remote = desktop.get();
    EXPECT_EQ(remote.exitCode, 0) << remote.out << remote.err;
    EXPECT_TRUE(ended);
    EXPECT_EQ(remote.out, local.out);
    EXPECT_EQ(device.state(device.deviceFolder()), folder.state(folder.storeFolder()));
}

TEST(DeviceSyncOnSerialPort, ListenRefusesLinksThatDoNotGoTogether) {
    Desktop d;
    d.setUp(d.storeFolder());
    for (const std::string args : {"listen --usb --net", "listen --serial /dev/null --usb", "listen --usb --serial-net",
                                   "listen --usb --port 5000", "listen"}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(d.hotsync(args).exitCode, 2);
    }
    // A path that is no serial port is refused with the path named.
    const ToolRun notAPort = d.hotsync("listen --serial /dev/null --once");
    EXPECT_EQ(notAPort.exitCode, 1);
    EXPECT_NE(notAPort.err.find("/dev/null"), std::string::npos) << notAPort.err;
}

INSTANTIATE_TEST_SUITE_P(Transports, DeviceSync, ::testing::Values(Transport::kNet, Transport::kSerialNet),
                         [](const auto& info) { return info.param == Transport::kNet ? "Net" : "SerialNet"; });

}  // namespace
