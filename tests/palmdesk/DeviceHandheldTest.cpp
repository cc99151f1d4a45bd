// Tests of the device behind the Handheld interface: databases written whole and read back whole,
// removals that wait for their replacement, and the handheld's failures as errno values.
#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/HandheldStore.h"
#include "palmdesk/device/DeviceHandheld.h"
#include "palmdesk/device/DeviceLinks.h"
#include "palmdesk/simulator/HandheldSimulator.h"
#include "support/CraftedDatabases.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>

using namespace palmdesk;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The simulator answering each request at once, in the same thread; the link fails at request
// number failAt (counted from 1; 0 never).
class DirectLink final : public link::MessageLink {
public:
    DirectLink(sim::HandheldSimulator& handheld, int failAt = 0) : handheld_(handheld), failAt_(failAt) {}
    void open() override {}
    void send(std::span<const std::uint8_t> message) override {
        if (++sent_ == failAt_) throw link::LinkError("the peer closed the link");
        dlp::DlpRequest request;
        std::string why;
        ASSERT_TRUE(dlp::decodeRequest(message, request, why)) << why;
        answers_.push_back(handheld_.answer(request).encode());
    }
    std::vector<std::uint8_t> receive() override {
        if (answers_.empty()) throw link::LinkError("nothing to receive");
        auto next = std::move(answers_.front());
        answers_.pop_front();
        return next;
    }
    void close() override {}
    int sent() const { return sent_; }

private:
    sim::HandheldSimulator& handheld_;
    int failAt_;
    int sent_ = 0;
    std::deque<std::vector<std::uint8_t>> answers_;
};

std::unique_ptr<qz_gen::CPalmDb> recordDatabase(const std::string& name) {
    auto db = ParsePalmDatabase(typeholdFile({fontRecordWithID("Tiny", 5), fontRecordWithID("Big", 0x123456)}, 24));
    db->SetName(name);
    db->Header().attributes = dlp::kDbBackup;
    db->Header().version = 3;
    db->SetLayoutFields();
    return db;
}

std::unique_ptr<qz_gen::CPalmDb> resourceDatabase(const std::string& name) {
    auto db = std::make_unique<qz_gen::CPalmDb>();
    db->SetName(name);
    db->Header().attributes = dlp::kDbResource;
    db->Header().type = 0x7474666E;
    for (std::uint16_t id : {7, 3}) {
        const Bytes data(100u * id, static_cast<std::uint8_t>(id));
        qz_gen::CDbRecord r;
        r.SetData(static_cast<std::uint32_t>(data.size()), data.data());
        r.SetUniqueID(0x54544674);
        r.SetResourceID(id);
        db->AddRecord(r);
    }
    db->SetLayoutFields();
    return db;
}

// The database's bytes with the dates a handheld sets cleared.
Bytes withoutDates(const qz_gen::CPalmDb& db) {
    Bytes bytes = db.ToBytes();
    std::fill(bytes.begin() + 36, bytes.begin() + 52, 0);
    return bytes;
}

struct Device {
    Device(int failAt = 0) : handheld(dir.path()), link(handheld, failAt), dlpDevice(link) {}
    TempDir dir;
    sim::HandheldSimulator handheld;
    DirectLink link;
    dlp::DlpDevice dlpDevice;
};

}  // namespace

TEST(DeviceHandheld, DatabasesComeBackAsTheyWereStored) {
    Device d;
    DeviceHandheld device(d.dlpDevice);
    for (const auto& db : {recordDatabase("Fonts"), resourceDatabase("Wrapped")}) {
        SCOPED_TRACE(db->GetName());
        ASSERT_TRUE(device.Store(*db));
        const auto back = device.Load(db->GetName());
        ASSERT_TRUE(back);
        EXPECT_EQ(withoutDates(*back), withoutDates(*db));
        const auto found = device.Find(db->GetName());
        ASSERT_TRUE(found);
        EXPECT_EQ(found->records, 2u);
        EXPECT_EQ(found->attributes, db->Header().attributes);
        // What the handheld keeps is what the folder store would keep.
        EXPECT_EQ(withoutDates(*HandheldStore(d.dir.path()).Load(db->GetName())), withoutDates(*db));
    }
    EXPECT_EQ(device.List().size(), 2u);
    errno = 0;
    EXPECT_FALSE(device.Load("Missing"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(device.Trouble().empty());
}

TEST(DeviceHandheld, ARemovalWaitsForItsReplacementOrTheEnd) {
    Device d;
    DeviceHandheld device(d.dlpDevice);
    ASSERT_TRUE(device.Store(*recordDatabase("Old")));
    ASSERT_TRUE(device.Store(*recordDatabase("Gone")));
    EXPECT_TRUE(device.Remove("Old"));
    EXPECT_TRUE(device.Remove("Gone"));
    EXPECT_FALSE(device.Remove("Never"));
    // Gone from the lists at once, still on the handheld.
    EXPECT_FALSE(device.Find("Old"));
    EXPECT_TRUE(device.List().empty());
    EXPECT_EQ(HandheldStore(d.dir.path()).List().size(), 2u);
    auto replacement = resourceDatabase("Old");
    ASSERT_TRUE(device.Store(*replacement));
    EXPECT_EQ(withoutDates(*device.Load("Old")), withoutDates(*replacement));
    EXPECT_TRUE(device.FinishRemovals().empty());
    const auto left = HandheldStore(d.dir.path()).List();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].name, "Old");
}

TEST(DeviceHandheld, ALostLinkFailsEveryLaterCallAtOnce) {
    // The store takes CreateDB, WriteAppBlock and two WriteRecords before CloseDB: each is cut.
    for (int failAt = 1; failAt <= 5; ++failAt) {
        SCOPED_TRACE(failAt);
        Device d(failAt);
        DeviceHandheld device(d.dlpDevice);
        errno = 0;
        EXPECT_FALSE(device.Store(*recordDatabase("Fonts")));
        EXPECT_EQ(errno, ENOTCONN);
        EXPECT_NE(device.Trouble().find("the peer closed the link"), std::string::npos);
        const int sent = d.link.sent();
        EXPECT_FALSE(device.Find("Fonts"));
        EXPECT_TRUE(device.List().empty());
        EXPECT_EQ(d.link.sent(), sent);
        // A database whose close was not confirmed is not on the handheld.
        EXPECT_TRUE(HandheldStore(d.dir.path()).List().empty());
    }
}

TEST(DeviceHandheld, AStopTakesEffectBeforeTheNextRequest) {
    Device d;
    std::atomic<bool> stop{false};
    DeviceHandheld device(d.dlpDevice, &stop);
    ASSERT_TRUE(device.Store(*recordDatabase("Kept")));
    ASSERT_TRUE(device.Remove("Kept"));
    stop = true;
    const int sent = d.link.sent();
    errno = 0;
    EXPECT_FALSE(device.Store(*recordDatabase("Late")));
    EXPECT_EQ(errno, ECANCELED);
    EXPECT_EQ(device.FinishRemovals(), std::vector<std::string>{"Kept"});
    EXPECT_EQ(d.link.sent(), sent);
    EXPECT_EQ(device.Trouble(), "the HotSync was stopped on the desktop");
    EXPECT_EQ(HandheldStore(d.dir.path()).List().size(), 1u);
}

TEST(DeviceLinks, AnotherKindOfLinkIsOneCall) {
    int waits = 0;
    const auto source = SourceOf("the test cradle", Framing::kSerial, [&](link::Millis) -> std::unique_ptr<link::BytePipe> {
        if (++waits > 1) return nullptr;  // one handheld, then none
        return std::make_unique<link::MemoryPipe>(std::vector<std::uint8_t>{});
    });
    EXPECT_EQ(source->Describe(), "the test cradle");
    auto connection = source->Next(link::Millis{10});
    ASSERT_TRUE(connection);
    EXPECT_EQ(connection->framing, Framing::kSerial);
    EXPECT_EQ(connection->peer, "the test cradle");
    // The framing of the source is what the link speaks: the serial stack waits for a wake-up,
    // which an empty pipe never sends.
    const auto messages = FrameLink(connection->framing, *connection->pipe, link::LinkTimeouts{link::Millis{10}, link::Millis{10}, 1, link::Millis{10}});
    EXPECT_THROW(messages->open(), link::LinkError);
    EXPECT_FALSE(source->Next(link::Millis{10}));
}
