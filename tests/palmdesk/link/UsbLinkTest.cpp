// The USB link without a device: the recorded session of a real handheld on USB replayed through
// the USB pipe (each recorded read one bulk transfer), the stack told by the first byte, the
// table of handhelds, the connection-information replies and the udev rules kept in step.
#include "palmdesk/dlp/SessionDecoder.h"
#include "palmdesk/link/SerialLink.h"
#include "palmdesk/link/UsbHandhelds.h"
#include "palmdesk/link/UsbLink.h"
#include "palmdesk/link/local/LocalLink.h"
#include "tests/palmdesk/Recordings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <deque>
#include <set>

namespace {

using namespace palmdesk;

// Bulk endpoints that hand out scripted transfers and keep what is sent, one entry per transfer.
class ScriptedBulk final : public link::UsbBulk {
public:
    explicit ScriptedBulk(std::deque<std::vector<std::uint8_t>> transfers, std::vector<std::vector<std::uint8_t>>* sent = nullptr)
        : transfers_(std::move(transfers)), sent_(sent) {}
    std::size_t receive(std::span<std::uint8_t> buffer, link::Millis) override {
        if (transfers_.empty()) throw link::LinkTimeout("nothing more scripted");
        auto t = std::move(transfers_.front());
        transfers_.pop_front();
        EXPECT_LE(t.size(), buffer.size());
        std::copy(t.begin(), t.end(), buffer.begin());
        return t.size();
    }
    void transmit(std::span<const std::uint8_t> data, link::Millis) override {
        if (sent_ != nullptr) sent_->emplace_back(data.begin(), data.end());
    }
    void release() override { ++*released; }
    std::string describe() const override { return "Palm test handheld on /dev/bus/usb/001/002"; }
    std::shared_ptr<int> released = std::make_shared<int>(0);

private:
    std::deque<std::vector<std::uint8_t>> transfers_;
    std::vector<std::vector<std::uint8_t>>* sent_;
};

TEST(UsbReplay, RecordedHandheldGetsTheRecordedBytesTransferForTransfer) {
    const auto trace = loadRecording("read-db-test.usb.json");
    const auto split = dlp::splitSession(trace);
    ASSERT_EQ(split.transport, dlp::SplitSession::kNetSync);
    std::deque<std::vector<std::uint8_t>> reads;
    std::vector<std::vector<std::uint8_t>> recordedWrites;
    for (const auto& chunk : trace) {
        if (chunk.direction == link::TraceChunk::kRead)
            reads.push_back(chunk.data);
        else
            recordedWrites.push_back(chunk.data);
    }

    std::vector<std::vector<std::uint8_t>> sent;
    auto bulk = std::make_unique<ScriptedBulk>(reads, &sent);
    const auto released = bulk->released;
    {
        auto session = link::makeUsbLink(std::move(bulk), {}, true);
        EXPECT_EQ(session->description(), "Palm test handheld on /dev/bus/usb/001/002");
        session->open();
        ASSERT_EQ(static_cast<link::DetectingLink&>(session->inner()).stack(), link::UsbStack::kNetSync);
        std::size_t exchanged = 0;
        for (const auto& m : split.messages) {
            if (m.kind != dlp::SessionMessage::kDlp) continue;
            if (m.fromDesktop) {
                session->send(m.bytes);
            } else {
                EXPECT_EQ(link::toHex(session->receive()), link::toHex(m.bytes));
                ++exchanged;
            }
        }
        EXPECT_GT(exchanged, 10u);
        // Every packet went out as one transfer, exactly as the recorded desktop sent it.
        ASSERT_EQ(sent.size(), recordedWrites.size());
        for (std::size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(link::toHex(sent[i]), link::toHex(recordedWrites[i])) << "transfer " << i;
        // The session's own trace holds what the recording holds.
        ASSERT_NE(session->trace(), nullptr);
        for (const auto direction : {link::TraceChunk::kRead, link::TraceChunk::kWrite})
            EXPECT_EQ(link::toHex(link::joinChunks(*session->trace(), direction)), link::toHex(link::joinChunks(trace, direction)));
    }
    EXPECT_EQ(*released, 1);  // the handheld is let go once, when the link goes
}

TEST(UsbPipe, HandsOutATransferInPiecesAndSkipsZeroLengthPackets) {
    link::UsbPipe pipe(std::make_unique<ScriptedBulk>(std::deque<std::vector<std::uint8_t>>{{1, 2, 3, 4, 5}, {}, {6}}));
    std::vector<std::uint8_t> got(4);
    link::readExact(pipe, got, link::Millis{100});
    EXPECT_EQ(got, (std::vector<std::uint8_t>{1, 2, 3, 4}));
    std::vector<std::uint8_t> rest(2);
    link::readExact(pipe, rest, link::Millis{100});
    EXPECT_EQ(rest, (std::vector<std::uint8_t>{5, 6}));
    try {
        link::readExact(pipe, rest, link::Millis{100});
        FAIL() << "read past the script";
    } catch (const link::LinkTimeout& e) {
        EXPECT_EQ(std::string(e.what()), "no answer from Palm test handheld on /dev/bus/usb/001/002 within 100 ms");
    }
    pipe.close();
    EXPECT_THROW(pipe.writeAll(rest, link::Millis{100}), link::LinkError);
}

TEST(DetectingLink, SerialStackIsToldByItsSignature) {
    const auto trace = loadRecording(kSerialRecordings[0]);
    link::ReplayPipe pipe(trace, link::Role::kDesktop);
    link::DetectingLink session(pipe);
    session.open();
    EXPECT_EQ(session.stack(), link::UsbStack::kSerial);
}

TEST(DetectingLink, FirstByteOfNeitherStackEndsTheSessionWithAMessage) {
    link::MemoryPipe pipe({0x55, 0x01, 0x02});
    link::DetectingLink session(pipe);
    try {
        session.open();
        FAIL() << "opened";
    } catch (const link::LinkError& e) {
        EXPECT_EQ(std::string(e.what()), "the handheld began with byte 0x55, which starts neither a network nor a serial packet");
    }
    EXPECT_THROW(session.receive(), link::LinkError);
}

TEST(UsbHandhelds, LookupsFindTheirModelAndNothingElse) {
    struct Case {
        std::uint16_t vendor, product;
        const char* maker;
        link::UsbStack stack;
    };
    const Case known[] = {
        {0x082d, 0x0100, "Handspring", link::UsbStack::kSerial}, {0x0830, 0x0060, "Palm", link::UsbStack::kNetSync},
        {0x054c, 0x0038, "Sony", link::UsbStack::kSerial},       {0x12ef, 0x0100, "Tapwave", link::UsbStack::kNetSync},
        {0x091e, 0x0004, "Garmin", link::UsbStack::kNetSync},    {0x4766, 0x0001, "Aceeca", link::UsbStack::kSerial},
        {0x0c88, 0x0021, "Kyocera", link::UsbStack::kSerial},    {0x04e8, 0x8001, "Samsung", link::UsbStack::kSerial},
    };
    for (const auto& c : known) {
        SCOPED_TRACE(link::describeUsbHandheld(c.vendor, c.product));
        const auto* m = link::findUsbHandheld(c.vendor, c.product);
        ASSERT_NE(m, nullptr);
        EXPECT_STREQ(m->maker, c.maker);
        EXPECT_EQ(m->stack, c.stack);
    }
    EXPECT_EQ(link::findUsbHandheld(0x0830, 0x9999), nullptr);  // a Palm product ID no handheld has
    EXPECT_EQ(link::findUsbHandheld(0x054c, 0x0100), nullptr);  // a Sony device that is no handheld
    EXPECT_EQ(link::describeUsbHandheld(0x1234, 0x00ab), "1234:00ab");
    EXPECT_EQ(link::describeUsbHandheld(0x0830, 0x0070), "Palm Zire (0830:0070)");
    std::set<std::uint32_t> ids;
    for (const auto& m : link::usbHandheldModels()) EXPECT_TRUE(ids.insert(m.vendor << 16 | m.product).second) << m.models;
}

TEST(UsbHandhelds, InstalledUdevRulesMatchTheTable) {
    const auto bytes = readWholeFile(std::string(SOURCE_DIR) + "/resources/udev/60-palm-handhelds.rules");
    const std::string file(bytes.begin(), bytes.end());
    // The rules file is this text; when the table changes, write it out again from here.
    EXPECT_EQ(file, link::formatUdevRules());
    for (const auto& m : link::usbHandheldModels()) {
        char rule[96];
        std::snprintf(rule, sizeof rule, "ATTR{idVendor}==\"%04x\", ATTR{idProduct}==\"%04x\", TAG+=\"uaccess\"", m.vendor, m.product);
        EXPECT_NE(file.find(rule), std::string::npos) << rule;
    }
}

// No handheld is plugged in where the tests run: the wait ends empty-handed when its time is up,
// or at once where the system has no USB to look at.
TEST(UsbHandheldWait, NoHandheldIsNoLinkWhenTheWaitEnds) {
    link::CableLinkRequest request;
    request.kind = link::CableLinkRequest::kUsb;
    request.wait = link::Millis{300};
    try {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(link::openCableLink(request), nullptr);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        request.cancelled = [] { return true; };
        request.wait = link::Millis{60000};
        EXPECT_EQ(link::openCableLink(request), nullptr);
    } catch (const link::LinkError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("USB is not available: ", 0), 0u) << e.what();
    }
}

struct InfoCase {
    const char* name;
    bool extended;
    std::vector<std::uint8_t> reply;
    std::optional<link::UsbEndpointPair> endpoints;
    const char* why;
};

TEST(UsbConnectionInfo, RepliesNameTheHotSyncEndpointsOrSayWhyNot) {
    const InfoCase cases[] = {
        {"two ports, HotSync on the second", false,
         {0x02, 0x00,   // two ports (little-endian)
          0x00, 0x01,   // generic on endpoint 1
          0x02, 0x02,   // HotSync on endpoint 2
          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         link::UsbEndpointPair{0x82, 0x02}, ""},
        {"count larger than the reply", false, {0x09, 0x00, 0x00, 0x01, 0x01, 0x03}, std::nullopt,
         "the connection information lists no HotSync port"},
        {"HotSync on endpoint 0", false, {0x01, 0x00, 0x02, 0x00}, std::nullopt,
         "the HotSync port names endpoint 0, which a device cannot have"},
        {"one byte", false, {0x01}, std::nullopt, "the connection information is 1 bytes, too short to say how many ports"},
        {"same endpoint both ways", true,
         {0x01, 0x00, 0x00, 0x00,                         // one port, same numbers, reserved
          's', 'y', 'n', 'c', 0x03, 0x00, 0x00, 0x00},    // creator, endpoint 3, no info, reserved
         link::UsbEndpointPair{0x83, 0x03}, ""},
        {"endpoints differ, creator byte-swapped", true,
         {0x02, 0x01, 0x00, 0x00,
          'r', 'f', 's', 'L', 0x00, 0x12, 0x00, 0x00,     // another application's port
          'c', 'n', 'y', 's', 0x00, 0x82, 0x00, 0x00},    // in 8, out 2
         link::UsbEndpointPair{0x88, 0x02}, ""},
        {"endpoints differ, out is 0", true, {0x01, 0x01, 0x00, 0x00, 's', 'y', 'n', 'c', 0x00, 0x80, 0x00, 0x00}, std::nullopt,
         "the HotSync port names endpoints 8 and 0, which a device cannot have"},
        {"no HotSync port", true, {0x01, 0x00, 0x00, 0x00, 'r', 'f', 's', 'L', 0x01, 0x00, 0x00, 0x00}, std::nullopt,
         "the extended connection information lists no HotSync port"},
        {"header cut short", true, {0x01, 0x00, 0x00}, std::nullopt,
         "the extended connection information is 3 bytes, shorter than its header"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string why;
        const auto got = c.extended ? link::parseExtConnectionInfo(c.reply, why) : link::parseConnectionInfo(c.reply, why);
        EXPECT_EQ(got, c.endpoints);
        EXPECT_EQ(why, c.why);
        // Cut at every length: never a read past the end, never a port that was not all there.
        for (std::size_t n = 0; n < c.reply.size(); ++n) {
            std::string cutWhy;
            const std::span<const std::uint8_t> cut(c.reply.data(), n);
            const auto partial = c.extended ? link::parseExtConnectionInfo(cut, cutWhy) : link::parseConnectionInfo(cut, cutWhy);
            if (partial) {
                EXPECT_EQ(partial, c.endpoints);
            }
        }
    }
}

}  // namespace
