// CableLink.cpp: the serial port opened, the handheld's first byte awaited, the opening run.
#include "palmdesk/link/CableLink.h"

#include "palmdesk/link/FdWait.h"
#include "palmdesk/link/SerialPortPipe.h"

#include <algorithm>

namespace palmdesk::link {

namespace {
// How often a wait looks at `cancelled`.
constexpr Millis kWaitSlice{200};
}  // namespace

std::optional<CableLinkRequest> parseCableLinkKind(const std::string& kind, const std::string& path, std::string& why) {
    CableLinkRequest request;
    if (kind == "usb" && path.empty()) {
        request.kind = CableLinkRequest::kUsb;
    } else if (kind == "serial" && !path.empty()) {
        request.kind = CableLinkRequest::kSerial;
        request.path = path;
    } else if (kind == "serial") {
        why = "a serial link needs the port's path, /dev/ttyS0 or /dev/ttyUSB0 for example";
        return std::nullopt;
    } else if (kind == "usb") {
        why = "a USB link takes no path: it finds the handheld itself";
        return std::nullopt;
    } else {
        why = "no link of kind \"" + kind + "\" (usb, or serial PATH)";
        return std::nullopt;
    }
    return request;
}

std::unique_ptr<OwningLink> openSerialCableLink(const CableLinkRequest& request) {
    auto owned = std::make_unique<SerialPortPipe>(request.path);
    SerialPortPipe* port = owned.get();
    auto owner = std::make_unique<OwningLink>(std::move(owned), request.traced, request.path);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + request.wait;
    for (;;) {
        if (request.cancelled && request.cancelled()) return nullptr;
        const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
        if (left <= Millis{0}) return nullptr;
        if (port->waitReadable(std::min(left, kWaitSlice))) break;
    }
    auto link = std::make_unique<SerialPortLink>(*port, owner->wire(), Role::kDesktop, request.timeouts);
    SerialPortLink& serial = *link;
    owner->setLink(std::move(link));
    serial.open();
    owner->setDescription(request.path + " at " + std::to_string(serial.baud()) + " baud");
    return owner;
}

}  // namespace palmdesk::link
