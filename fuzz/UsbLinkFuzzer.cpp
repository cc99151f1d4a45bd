// Fuzz target: what a handheld on USB can send: its connection-information replies (the first
// byte picks which request the rest answers), and bulk transfers read as the session the desktop
// opens (the next two bytes give the first transfer's length, so packets straddle transfers).
#include "palmdesk/dlp/DlpDevice.h"
#include "palmdesk/link/UsbHandhelds.h"
#include "palmdesk/link/UsbLink.h"

#include <algorithm>

namespace {

using namespace palmdesk;

// Hands out the input in transfers of alternating lengths; its end is the handheld unplugged.
class FuzzBulk final : public link::UsbBulk {
public:
    FuzzBulk(std::span<const std::uint8_t> data, std::size_t first) : data_(data), next_(first) {}
    std::size_t receive(std::span<std::uint8_t> buffer, link::Millis) override {
        if (pos_ >= data_.size()) throw link::LinkError("unplugged");
        const std::size_t n = std::min({next_, buffer.size(), data_.size() - pos_});
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(pos_), n, buffer.begin());
        pos_ += n;
        next_ = next_ % 97 + 1;
        return n;
    }
    void transmit(std::span<const std::uint8_t>, link::Millis) override {}
    void release() override {}
    std::string describe() const override { return "fuzzed handheld"; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::size_t next_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::span<const std::uint8_t> rest(data + 3, size - 3);
    std::string why;
    if (data[0] & 1)
        link::parseExtConnectionInfo(rest, why);
    else
        link::parseConnectionInfo(rest, why);
    link::LinkTimeouts timeouts;
    timeouts.attempts = 1;
    auto session = link::makeUsbLink(std::make_unique<FuzzBulk>(rest, std::size_t(data[1]) << 8 | data[2]), timeouts);
    try {
        session->open();
    } catch (const link::LinkError&) {
        return 0;
    }
    dlp::DlpDevice device(*session);
    std::vector<dlp::DbInfo> databases;
    for (int i = 0; i < 8 && device.linkFailure().empty(); ++i) device.readDbList(dlp::kListRam, databases);
    return 0;
}
