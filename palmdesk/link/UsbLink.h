// UsbLink.h: a handheld on USB: its HotSync bulk endpoints as a byte pipe, and a session over
// whichever transport stack the handheld speaks. The USB access itself (libusb) sits behind
// UsbBulk, so the framing above it runs the same against a recording or a test double.
#pragma once

#include "palmdesk/link/MessageLink.h"
#include "palmdesk/link/SessionTrace.h"
#include "palmdesk/link/UsbHandhelds.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace palmdesk::link {

// The two bulk endpoints of a handheld's HotSync port.
class UsbBulk {
public:
    virtual ~UsbBulk() = default;
    // One bulk-in transfer into buffer: the bytes it brought (0 for a zero-length packet).
    // Throws LinkTimeout when none came within timeout, LinkError when the device is gone.
    virtual std::size_t receive(std::span<std::uint8_t> buffer, Millis timeout) = 0;
    // Sends all of data in bulk-out transfers; throws LinkError when it cannot within timeout.
    virtual void transmit(std::span<const std::uint8_t> data, Millis timeout) = 0;
    // Tells the handheld the desktop is done (where its protocol has a way) and lets it go.
    virtual void release() = 0;
    // "Palm Tungsten T ... (0830:0060) on /dev/bus/usb/001/007"
    virtual std::string describe() const = 0;
};

// A transfer asks for this many bytes: a multiple of every bulk packet size, and more than a
// handheld sends at once, so no transfer overflows.
inline constexpr std::size_t kUsbTransferSize = 64 * 1024;

// Reads take whole bulk transfers and hand them out as the reader asks.
class UsbPipe final : public BytePipe {
public:
    explicit UsbPipe(std::unique_ptr<UsbBulk> bulk);
    ~UsbPipe() override;
    std::size_t readSome(std::span<std::uint8_t> buffer, Millis timeout) override;
    void writeAll(std::span<const std::uint8_t> data, Millis timeout) override;
    void close() override;
    std::string describe() const { return description_; }

private:
    std::unique_ptr<UsbBulk> bulk_;
    std::string description_;
    std::vector<std::uint8_t> pending_;
    std::size_t pendingPos_ = 0;
};

// The desktop's side of a session with a handheld that speaks first: its first byte tells the
// network framing (0x01, a data packet) from the serial stack (0xBE, an SLP signature), then
// that stack's opening runs. Used for USB, where a model's stack is not known for certain.
class DetectingLink final : public MessageLink {
public:
    DetectingLink(BytePipe& pipe, LinkTimeouts timeouts = {});
    ~DetectingLink() override;

    // Throws LinkTimeout when the handheld says nothing within timeouts.message, LinkError for a
    // first byte of neither stack or a failed opening.
    void open() override;
    void send(std::span<const std::uint8_t> message) override;
    std::vector<std::uint8_t> receive() override;
    void keepAlive() override;
    void close() override;
    // The stack found by open().
    std::optional<UsbStack> stack() const { return stack_; }

private:
    class Pushback;
    MessageLink& session();

    BytePipe& pipe_;
    LinkTimeouts timeouts_;
    std::unique_ptr<Pushback> pushback_;
    std::unique_ptr<MessageLink> session_;
    std::optional<UsbStack> stack_;
};

// A link that owns what it runs over: the pipe, a trace of what crossed it when asked for, and
// the message link on it. What opening a cable link hands to its caller.
class OwningLink final : public MessageLink {
public:
    // The link runs over wire(): the tracing pipe when there is one, else the pipe.
    OwningLink(std::unique_ptr<BytePipe> pipe, bool traced, std::string description);
    ~OwningLink() override;
    BytePipe& wire() { return tracer_ ? static_cast<BytePipe&>(*tracer_) : *pipe_; }
    void setLink(std::unique_ptr<MessageLink> link) { link_ = std::move(link); }

    void open() override { link_->open(); }
    void send(std::span<const std::uint8_t> message) override { link_->send(message); }
    std::vector<std::uint8_t> receive() override { return link_->receive(); }
    void keepAlive() override { link_->keepAlive(); }
    void close() override { link_->close(); }
    // What the link runs to: "Palm ... (0830:0060) on /dev/bus/usb/001/007", "/dev/ttyS0 at
    // 115200 baud".
    const std::string& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    MessageLink& inner() { return *link_; }
    // The bytes of the session so far, when it was opened traced; else none.
    const SessionTrace* trace() const { return tracer_ ? &tracer_->trace() : nullptr; }

private:
    std::unique_ptr<BytePipe> pipe_;
    std::unique_ptr<TracingPipe> tracer_;
    std::unique_ptr<MessageLink> link_;
    std::string description_;
};

// The desktop's session with a handheld on USB over bulk, not yet opened.
// With `traced`, what crosses the link is kept as a session trace.
std::unique_ptr<OwningLink> makeUsbLink(std::unique_ptr<UsbBulk> bulk, LinkTimeouts timeouts = {}, bool traced = false);

}  // namespace palmdesk::link
