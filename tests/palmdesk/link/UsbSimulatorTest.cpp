// The USB path end to end short of libusb: our simulated handheld behind bulk endpoints of
// memory, speaking either stack, and the desktop's USB link finding out which and syncing.
#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/dlp/DlpDevice.h"
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SerialLink.h"
#include "palmdesk/link/UsbLink.h"
#include "palmdesk/simulator/HandheldSimulator.h"
#include "palmdesk/simulator/ImpairedPipe.h"
#include "palmdesk/HandheldStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

using namespace palmdesk;
using namespace palmdesk::dlp;

// One direction of a USB cable: whole transfers, in order, until it is unplugged.
class Channel {
public:
    void push(std::span<const std::uint8_t> data) {
        std::lock_guard lock(mutex_);
        if (unplugged_) throw link::LinkError("unplugged");
        transfers_.emplace_back(data.begin(), data.end());
        ready_.notify_all();
    }
    std::vector<std::uint8_t> pop(link::Millis timeout) {
        std::unique_lock lock(mutex_);
        if (!ready_.wait_for(lock, timeout, [this] { return unplugged_ || !transfers_.empty(); }))
            throw link::LinkTimeout("nothing came");
        if (transfers_.empty()) throw link::LinkError("the handheld was unplugged");
        auto t = std::move(transfers_.front());
        transfers_.pop_front();
        return t;
    }
    void unplug() {
        std::lock_guard lock(mutex_);
        unplugged_ = true;
        ready_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::vector<std::uint8_t>> transfers_;
    bool unplugged_ = false;
};

struct Cable {
    Channel toDesktop, toHandheld;
    void unplug() {
        toDesktop.unplug();
        toHandheld.unplug();
    }
};

class DesktopEnd final : public link::UsbBulk {
public:
    explicit DesktopEnd(Cable& cable) : cable_(cable) {}
    std::size_t receive(std::span<std::uint8_t> buffer, link::Millis timeout) override {
        const auto t = cable_.toDesktop.pop(timeout);
        if (t.size() > buffer.size()) throw link::LinkError("transfer overflow");
        std::copy(t.begin(), t.end(), buffer.begin());
        return t.size();
    }
    void transmit(std::span<const std::uint8_t> data, link::Millis) override { cable_.toHandheld.push(data); }
    void release() override { cable_.unplug(); }
    std::string describe() const override { return "simulated handheld on USB"; }

private:
    Cable& cable_;
};

class HandheldEnd final : public link::BytePipe {
public:
    explicit HandheldEnd(Cable& cable) : cable_(cable) {}
    std::size_t readSome(std::span<std::uint8_t> buffer, link::Millis timeout) override {
        if (pos_ >= pending_.size()) {
            pending_ = cable_.toHandheld.pop(timeout);
            pos_ = 0;
        }
        const std::size_t n = std::min(buffer.size(), pending_.size() - pos_);
        std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(pos_), n, buffer.begin());
        pos_ += n;
        return n;
    }
    void writeAll(std::span<const std::uint8_t> data, link::Millis) override { cable_.toDesktop.push(data); }
    void close() override { cable_.unplug(); }

private:
    Cable& cable_;
    std::vector<std::uint8_t> pending_;
    std::size_t pos_ = 0;
};

class UsbSimulator : public testing::TestWithParam<link::UsbStack> {
protected:
    // Starts the handheld on its thread; it unplugs instead of sending packet dropAt.
    void start(sim::HandheldSimulator& handheld, int dropAt = 0) {
        thread_ = std::thread([this, &handheld, dropAt] {
            HandheldEnd end(cable_);
            sim::ImpairedPipe impaired(end, link::Millis{0}, dropAt);
            std::unique_ptr<link::MessageLink> session;
            if (GetParam() == link::UsbStack::kSerial)
                session = std::make_unique<link::SerialLink>(impaired, link::Role::kHandheld);
            else
                session = std::make_unique<link::NetSyncLink>(impaired, link::Role::kHandheld);
            try {
                handheld.serve(*session);
            } catch (const link::LinkError& e) {
                failure_ = e.what();
            }
        });
        link::LinkTimeouts timeouts;
        timeouts.message = link::Millis{5000};
        desktop_ = link::makeUsbLink(std::make_unique<DesktopEnd>(cable_), timeouts);
        desktop_->open();
    }
    void TearDown() override {
        if (desktop_) desktop_->close();
        if (thread_.joinable()) thread_.join();
    }

    Cable cable_;
    std::thread thread_;
    std::string failure_;
    std::unique_ptr<link::OwningLink> desktop_;
};

TEST_P(UsbSimulator, DesktopFindsTheStackAndSyncs) {
    TempDir folder;
    sim::HandheldSimulator handheld(folder.path());
    start(handheld);
    EXPECT_EQ(static_cast<link::DetectingLink&>(desktop_->inner()).stack(), GetParam());
    DlpDevice device(*desktop_);
    CreateDbRequest create;
    create.name = "Pictures";
    create.type = 0x50696374;  // Pict
    std::uint8_t handle = 0;
    ASSERT_TRUE(device.createDb(create, handle).ok()) << device.linkFailure();
    std::vector<std::uint8_t> data(5000, 0x5A);
    std::uint32_t id = 0;
    ASSERT_TRUE(device.writeRecord(handle, id, 0, 0, data).ok());
    ASSERT_TRUE(device.closeDb(handle).ok());
    ASSERT_TRUE(device.endOfSync(kEndNormal).ok());
    thread_.join();
    EXPECT_EQ(failure_, "");
    const auto db = HandheldStore(folder.path()).Load("Pictures");
    ASSERT_TRUE(db);
    EXPECT_EQ(db->LiveCount(), 1u);
}

TEST_P(UsbSimulator, HandheldUnpluggedMidSyncEndsTheSessionWithAMessage) {
    TempDir folder;
    sim::HandheldSimulator handheld(folder.path());
    start(handheld, 8);
    DlpDevice device(*desktop_);
    UserInfo user;
    DlpResult result;
    for (int i = 0; i < 10 && result.ok(); ++i) result = device.readUserInfo(user);
    EXPECT_EQ(result.status, DlpStatus::kLinkLost);
    EXPECT_NE(device.linkFailure().find("unplugged"), std::string::npos) << device.linkFailure();
}

INSTANTIATE_TEST_SUITE_P(Stacks, UsbSimulator, testing::Values(link::UsbStack::kNetSync, link::UsbStack::kSerial),
                         [](const auto& info) { return info.param == link::UsbStack::kSerial ? "Serial" : "NetSync"; });

}  // namespace
