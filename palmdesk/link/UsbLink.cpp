// UsbLink.cpp: bulk transfers as a byte stream, and telling the handheld's stack by its first byte.
#include "palmdesk/link/UsbLink.h"

#include "palmdesk/link/FdWait.h"
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SerialLink.h"

#include <algorithm>

namespace palmdesk::link {

namespace {
using Clock = std::chrono::steady_clock;
}  // namespace

UsbPipe::UsbPipe(std::unique_ptr<UsbBulk> bulk) : bulk_(std::move(bulk)), description_(bulk_->describe()) {}

UsbPipe::~UsbPipe() { close(); }

void UsbPipe::close() {
    if (!bulk_) return;
    try {
        bulk_->release();
    } catch (const LinkError&) {
        // A handheld already gone needs no goodbye.
    }
    bulk_.reset();
}

std::size_t UsbPipe::readSome(std::span<std::uint8_t> buffer, Millis timeout) {
    if (!bulk_) throw LinkError("the link is closed");
    if (buffer.empty()) return 0;
    if (pendingPos_ >= pending_.size()) {
        // Zero-length packets end a transfer without bringing anything; they do not end the wait.
        const auto deadline = Clock::now() + timeout;
        pending_.resize(kUsbTransferSize);
        std::size_t got = 0;
        do {
            const auto left = std::max(std::chrono::duration_cast<Millis>(deadline - Clock::now()), Millis{0});
            try {
                got = bulk_->receive(pending_, left);
            } catch (const LinkTimeout&) {
                pending_.clear();
                pendingPos_ = 0;
                throw LinkTimeout("no answer from " + description_ + " within " + describeWait(timeout));
            }
            if (got == 0 && Clock::now() >= deadline)
                throw LinkTimeout("no answer from " + description_ + " within " + describeWait(timeout));
        } while (got == 0);
        pending_.resize(std::min(got, kUsbTransferSize));
        pendingPos_ = 0;
    }
    const std::size_t n = std::min(buffer.size(), pending_.size() - pendingPos_);
    std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(pendingPos_), n, buffer.begin());
    pendingPos_ += n;
    return n;
}

void UsbPipe::writeAll(std::span<const std::uint8_t> data, Millis timeout) {
    if (!bulk_) throw LinkError("the link is closed");
    bulk_->transmit(data, timeout);
}

// The first byte, read to tell the stack, and then the rest of the pipe.
class DetectingLink::Pushback final : public BytePipe {
public:
    Pushback(BytePipe& inner, std::uint8_t first) : inner_(inner), first_(first) {}
    std::size_t readSome(std::span<std::uint8_t> buffer, Millis timeout) override {
        if (buffer.empty()) return 0;
        if (!given_) {
            given_ = true;
            buffer[0] = first_;
            return 1;
        }
        return inner_.readSome(buffer, timeout);
    }
    void writeAll(std::span<const std::uint8_t> data, Millis timeout) override { inner_.writeAll(data, timeout); }
    void close() override { inner_.close(); }

private:
    BytePipe& inner_;
    std::uint8_t first_;
    bool given_ = false;
};

DetectingLink::DetectingLink(BytePipe& pipe, LinkTimeouts timeouts) : pipe_(pipe), timeouts_(timeouts) {}

DetectingLink::~DetectingLink() = default;

void DetectingLink::open() {
    std::uint8_t first = 0;
    readExact(pipe_, {&first, 1}, timeouts_.message);
    pushback_ = std::make_unique<Pushback>(pipe_, first);
    if (first == 0x01) {
        stack_ = UsbStack::kNetSync;
        session_ = std::make_unique<NetSyncLink>(*pushback_, Role::kDesktop, timeouts_);
    } else if (first == 0xBE) {
        stack_ = UsbStack::kSerial;
        session_ = std::make_unique<SerialLink>(*pushback_, Role::kDesktop, timeouts_);
    } else {
        throw LinkError("the handheld began with byte 0x" + toHex({&first, 1}) +
                        ", which starts neither a network nor a serial packet");
    }
    session_->open();
}

MessageLink& DetectingLink::session() {
    if (!session_) throw LinkError("the link is not open");
    return *session_;
}

void DetectingLink::send(std::span<const std::uint8_t> message) { session().send(message); }
std::vector<std::uint8_t> DetectingLink::receive() { return session().receive(); }
void DetectingLink::keepAlive() { session().keepAlive(); }
void DetectingLink::close() { pipe_.close(); }

OwningLink::OwningLink(std::unique_ptr<BytePipe> pipe, bool traced, std::string description)
    : pipe_(std::move(pipe)), description_(std::move(description)) {
    if (traced) tracer_ = std::make_unique<TracingPipe>(*pipe_, Role::kDesktop);
}

// The link goes before the pipes it runs over.
OwningLink::~OwningLink() { link_.reset(); }

std::unique_ptr<OwningLink> makeUsbLink(std::unique_ptr<UsbBulk> bulk, LinkTimeouts timeouts, bool traced) {
    auto pipe = std::make_unique<UsbPipe>(std::move(bulk));
    const std::string description = pipe->describe();
    auto owner = std::make_unique<OwningLink>(std::move(pipe), traced, description);
    owner->setLink(std::make_unique<DetectingLink>(owner->wire(), timeouts));
    return owner;
}

}  // namespace palmdesk::link
