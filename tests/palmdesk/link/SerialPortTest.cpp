// The serial link over a pseudo-terminal pair, with our simulated handheld on the other end: a
// HotSync of real requests after the speed switch, time-outs, a cable pulled mid-sync, and ports
// that cannot be opened.
#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/dlp/DlpDevice.h"
#include "palmdesk/dlp/SessionDecoder.h"
#include "palmdesk/link/CableLink.h"
#include "palmdesk/link/SerialPortPipe.h"
#include "palmdesk/link/local/LocalLink.h"
#include "palmdesk/simulator/HandheldSimulator.h"
#include "palmdesk/simulator/ImpairedPipe.h"
#include "palmdesk/simulator/PseudoTerminal.h"
#include "palmdesk/HandheldStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace palmdesk;
using namespace palmdesk::dlp;

link::LinkTimeouts quick() {
    link::LinkTimeouts t;
    t.message = link::Millis{5000};
    t.packet = link::Millis{2000};
    t.ackWait = link::Millis{300};  // the wake-up sent before the desktop opened the port is sent again soon
    t.attempts = 20;
    return t;
}

// The simulated handheld on the pseudo-terminal's far end, on a thread of its own; it drops the
// cable (closes its end) instead of sending packet dropAt.
class Cable {
public:
    Cable(sim::HandheldSimulator& handheld, int dropAt = 0) {
        thread_ = std::thread([this, &handheld, dropAt, end = pty_.takeHandheldEnd()] {
            sim::ImpairedPipe impaired(*end, link::Millis{0}, dropAt);
            link::SerialPortLink session(*end, impaired, link::Role::kHandheld, quick());
            try {
                handheld.serve(session);
            } catch (const link::LinkError& e) {
                failure_ = e.what();
            }
            baud_ = end->speed();
        });
    }
    ~Cable() {
        if (thread_.joinable()) thread_.join();
    }
    const std::string& path() const { return pty_.path(); }
    std::string finish() {
        thread_.join();
        return failure_;
    }
    std::uint32_t handheldBaud() const { return baud_; }

private:
    sim::PseudoTerminal pty_;
    std::thread thread_;
    std::string failure_;
    std::uint32_t baud_ = 0;
};

std::unique_ptr<link::OwningLink> openDesktop(const std::string& path, link::Millis wait = link::Millis{5000}) {
    link::CableLinkRequest request;
    request.traced = true;
    request.kind = link::CableLinkRequest::kSerial;
    request.path = path;
    request.timeouts = quick();
    request.wait = wait;
    return link::openCableLink(request);
}

TEST(SerialCable, HotSyncOfRealRequestsAtTheAgreedSpeed) {
    TempDir folder;
    sim::HandheldState state;
    state.user.name = "Ann";
    sim::HandheldSimulator handheld(folder.path(), state);
    Cable cable(handheld);
    auto session = openDesktop(cable.path());
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->description(), cable.path() + " at 115200 baud");
    DlpDevice device(*session);

    UserInfo user;
    ASSERT_TRUE(device.readUserInfo(user).ok()) << device.linkFailure();
    EXPECT_EQ(user.name, "Ann");
    std::vector<DbInfo> databases;
    ASSERT_TRUE(device.readDbList(kListRam, databases).ok());
    EXPECT_TRUE(databases.empty());

    CreateDbRequest create;
    create.creator = 0x54544674;  // TTFt
    create.type = 0x7474666E;     // ttfn
    create.name = "Queued font";
    std::uint8_t handle = 0;
    ASSERT_TRUE(device.createDb(create, handle).ok());
    std::vector<std::uint8_t> big(3000);  // several serial fragments
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 13);
    std::uint32_t id = 0;
    ASSERT_TRUE(device.writeRecord(handle, id, 0, 1, big).ok());
    ASSERT_TRUE(device.closeDb(handle).ok());

    ASSERT_TRUE(device.readDbList(kListRam, databases).ok());
    ASSERT_EQ(databases.size(), 1u);
    EXPECT_EQ(databases[0].name, "Queued font");
    ASSERT_TRUE(device.openDb("Queued font", kOpenRead, handle).ok());
    Record record;
    ASSERT_TRUE(device.readRecordById(handle, id, record).ok());
    EXPECT_EQ(record.data, big);
    ASSERT_TRUE(device.closeDb(handle).ok());
    ASSERT_TRUE(device.endOfSync(kEndNormal).ok());
    EXPECT_EQ(cable.finish(), "");
    EXPECT_EQ(cable.handheldBaud(), 115200u);
    EXPECT_TRUE(HandheldStore(folder.path()).Load("Queued font"));
    // The trace reads back as the session: the opening and every request with its answer.
    ASSERT_NE(session->trace(), nullptr);
    const auto split = dlp::splitSession(*session->trace());
    EXPECT_EQ(split.transport, dlp::SplitSession::kSerial);
    EXPECT_EQ(split.desktopProblem + split.handheldProblem, "");
    EXPECT_GE(split.messages.size(), 2u + 2u * 10u);  // wake-up and init, ten requests or more and their answers
}

TEST(SerialCable, NoHandheldOnThePortIsNoLinkAfterTheWait) {
    sim::PseudoTerminal pty;  // nobody on the far end
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(openDesktop(pty.path(), link::Millis{300}), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

    link::CableLinkRequest request;
    request.kind = link::CableLinkRequest::kSerial;
    request.path = pty.path();
    request.cancelled = [] { return true; };
    EXPECT_EQ(link::openCableLink(request), nullptr);
}

TEST(SerialCable, HandheldThatFallsSilentEndsTheSessionWithAMessage) {
    // The handheld opens the session, then never answers.
    sim::PseudoTerminal pty;
    std::thread handheld([end = pty.takeHandheldEnd()] {
        link::SerialPortLink session(*end, link::Role::kHandheld, quick());
        try {
            session.open();
            session.receive();
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        } catch (const link::LinkError&) {
        }
    });
    link::CableLinkRequest request;
    request.kind = link::CableLinkRequest::kSerial;
    request.path = pty.path();
    request.timeouts = quick();
    request.timeouts.message = link::Millis{500};
    auto session = link::openCableLink(request);
    ASSERT_NE(session, nullptr);
    DlpDevice device(*session);
    UserInfo user;
    const auto result = device.readUserInfo(user);
    EXPECT_EQ(result.status, DlpStatus::kLinkLost);
    EXPECT_NE(result.message.find("no message came within the time allowed"), std::string::npos) << result.message;
    handheld.join();
}

TEST(SerialCable, CablePulledMidSyncEndsTheSessionAndKeepsTheHandheldsFolder) {
    TempDir folder;
    sim::HandheldSimulator handheld(folder.path());
    // Packets the handheld sends: wake-up (1) and the ack of init (2); then per request an ack and
    // the answer's packet. Pulled instead of answering CreateDB.
    Cable cable(handheld, 6);
    auto session = openDesktop(cable.path());
    ASSERT_NE(session, nullptr);
    DlpDevice device(*session);
    UserInfo user;
    ASSERT_TRUE(device.readUserInfo(user).ok()) << device.linkFailure();
    CreateDbRequest create;
    create.name = "Half";
    std::uint8_t handle = 0;
    const auto created = device.createDb(create, handle);
    EXPECT_EQ(created.status, DlpStatus::kLinkLost);
    EXPECT_NE(device.linkFailure().find(cable.path() + " hung up: the cable was pulled"), std::string::npos) << device.linkFailure();
    EXPECT_FALSE(cable.finish().empty());
    EXPECT_FALSE(HandheldStore(folder.path()).Find("Half"));
}

TEST(SerialCable, PortsThatCannotBeOpenedSayWhy) {
    TempDir dir;
    writeWholeFile(dir.file("plain"), {1, 2, 3});
    struct Case {
        std::string path;
        std::string message;
    };
    const Case cases[] = {
        {dir.file("ttyS99"), dir.file("ttyS99") + ": no such serial port"},
        {dir.file("plain"), dir.file("plain") + ": not a serial port"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            openDesktop(c.path, link::Millis{10});
            ADD_FAILURE() << "opened";
        } catch (const link::LinkError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, c.message.size()), c.message);
        }
    }
}

TEST(CableLinkKind, UsbTakesNoPathSerialNeedsOne) {
    std::string why;
    auto usb = link::parseCableLinkKind("usb", "", why);
    ASSERT_TRUE(usb);
    EXPECT_EQ(usb->kind, link::CableLinkRequest::kUsb);
    auto serial = link::parseCableLinkKind("serial", "/dev/ttyUSB0", why);
    ASSERT_TRUE(serial);
    EXPECT_EQ(serial->path, "/dev/ttyUSB0");
    const std::pair<const char*, const char*> bad[] = {{"serial", ""}, {"usb", "/dev/ttyS0"}, {"irda", ""}};
    for (const auto& [kind, path] : bad) {
        why.clear();
        EXPECT_FALSE(link::parseCableLinkKind(kind, path, why)) << kind;
        EXPECT_FALSE(why.empty());
    }
}

TEST(SerialPortPipe, SpeedsOutsideTheStandardRatesAreRefused) {
    sim::PseudoTerminal pty;
    auto end = pty.takeHandheldEnd();
    EXPECT_EQ(end->speed(), link::kSerialOpeningBaud);
    end->setSpeed(57600);
    EXPECT_EQ(end->speed(), 57600u);
    EXPECT_THROW(end->setSpeed(12345), link::LinkError);
    EXPECT_EQ(end->speed(), 57600u);
}

}  // namespace
