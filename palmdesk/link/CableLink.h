// CableLink.h: what a link to a handheld on a local cable is (USB, or a serial port at a path),
// and opening the serial kind: wait for the handheld's first byte, run the serial stack's opening
// with its speed switch, hand back a link ready for DlpDevice. USB needs libusb and opens in
// local/LocalLink.h, which takes the same request.
#pragma once

#include "palmdesk/link/UsbLink.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace palmdesk::link {

struct CableLinkRequest {
    enum Kind { kUsb, kSerial };
    Kind kind = kUsb;
    std::string path;  // kSerial: the port, /dev/ttyS0 or /dev/ttyUSB0
    LinkTimeouts timeouts;
    // How long to wait for the handheld to start a HotSync (plugged in on USB, its first byte
    // on a serial port).
    Millis wait{60000};
    // Asked a few times a second while waiting; true ends the wait with no link.
    std::function<bool()> cancelled;
    // Keep what crosses the link as a session trace (OwningLink::trace).
    bool traced = false;
};

// What the cable links were tested against, for a program's help: no hardware was at hand.
inline constexpr const char* kCableLinksTested =
    "USB was tested against a recorded session of a real handheld and the simulator, serial ports over "
    "pseudo-terminals with the simulator; neither has met real hardware.";

// "usb" (no path) or "serial" with a path; none, with why, for anything else.
std::optional<CableLinkRequest> parseCableLinkKind(const std::string& kind, const std::string& path, std::string& why);

// The link over the serial port request.path, its opening done; none when the handheld sent
// nothing within request.wait or the wait was cancelled. Throws LinkError with a message for the
// user when the port cannot be opened or the handheld's opening fails.
std::unique_ptr<OwningLink> openSerialCableLink(const CableLinkRequest& request);

}  // namespace palmdesk::link
