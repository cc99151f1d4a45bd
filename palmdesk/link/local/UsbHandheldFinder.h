// UsbHandheldFinder.h: handhelds on USB through libusb: finding one that is plugged in (or waiting
// for one, by hot-plug events where the system has them and by looking again every half second
// where it has not), taking its interface from the kernel's serial driver, finding its HotSync
// endpoints, and bulk transfers with time-outs.
#pragma once

#include "palmdesk/link/UsbLink.h"

#include <functional>
#include <memory>

struct libusb_context;

namespace palmdesk::link {

class UsbHandheldFinder {
public:
    // Throws LinkError when USB cannot be used at all ("USB is not available: ...").
    UsbHandheldFinder();
    ~UsbHandheldFinder();
    UsbHandheldFinder(const UsbHandheldFinder&) = delete;
    UsbHandheldFinder& operator=(const UsbHandheldFinder&) = delete;

    // A handheld of the table that is plugged in now or arrives within timeout, opened with its
    // HotSync endpoints claimed; none when none came or `cancelled` said to stop (asked a few
    // times a second). Throws LinkError naming the device and what to do when it cannot be
    // opened (no permission on /dev/bus/usb/BBB/DDD, the interface held by another program).
    std::unique_ptr<UsbBulk> waitForHandheld(Millis timeout, const std::function<bool()>& cancelled = {});
    // Whether hot-plug events are used (or the bus is looked at again and again).
    bool hotPlug() const { return hotPlug_; }

    // Handhelds that hot-plug events announced, not yet opened (kept in the .cpp).
    struct Arrivals;

private:
    libusb_context* context_ = nullptr;
    bool hotPlug_ = false;
    std::unique_ptr<Arrivals> arrivals_;
};

}  // namespace palmdesk::link
