// UsbHandheldFinder.cpp: libusb: enumeration and hot-plug, opening a handheld, its endpoints, and
// the bulk transfers behind UsbBulk.
#include "palmdesk/link/local/UsbHandheldFinder.h"

#include <libusb-1.0/libusb.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

namespace palmdesk::link {

namespace {

using Clock = std::chrono::steady_clock;

constexpr Millis kControlTimeout{2000};
constexpr Millis kLookAgain{500};
constexpr Millis kEventSlice{200};
// A handheld that has just appeared may not answer its vendor requests at once.
constexpr int kQueryAttempts = 5;
constexpr Millis kQueryPause{200};

std::string deviceNode(libusb_device* device) {
    char path[32];
    std::snprintf(path, sizeof path, "/dev/bus/usb/%03u/%03u", libusb_get_bus_number(device), libusb_get_device_address(device));
    return path;
}

std::string usbError(int code) { return libusb_strerror(static_cast<libusb_error>(code)); }

// libusb counts 0 ms as no limit at all; every wait here has one.
unsigned int milliseconds(Millis timeout) { return static_cast<unsigned int>(std::max<long long>(timeout.count(), 1)); }

struct DeviceRef {
    void operator()(libusb_device* d) const { libusb_unref_device(d); }
};
using Device = std::unique_ptr<libusb_device, DeviceRef>;

const UsbHandheldModel* modelOf(libusb_device* device) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) != 0) return nullptr;
    return findUsbHandheld(descriptor.idVendor, descriptor.idProduct);
}

// The interface holding endpoint `address`, and with no request to ask, the last bulk in and out
// endpoints of the first interface that has both.
struct Layout {
    int interface = 0;
    std::optional<UsbEndpointPair> lastBulk;
};
Layout layoutOf(libusb_device* device, std::optional<std::uint8_t> address) {
    Layout layout;
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0 && libusb_get_config_descriptor(device, 0, &config) != 0)
        return layout;
    bool placed = false;
    for (int i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& interface = config->interface[i];
        if (interface.num_altsetting < 1) continue;
        const libusb_interface_descriptor& setting = interface.altsetting[0];
        UsbEndpointPair pair;
        for (int e = 0; e < setting.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
            if (address && endpoint.bEndpointAddress == *address && !placed) {
                layout.interface = setting.bInterfaceNumber;
                placed = true;
            }
            if ((endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK) continue;
            if (endpoint.bEndpointAddress & LIBUSB_ENDPOINT_IN)
                pair.in = endpoint.bEndpointAddress;
            else
                pair.out = endpoint.bEndpointAddress;
        }
        if (!layout.lastBulk && pair.in != 0 && pair.out != 0) {
            layout.lastBulk = pair;
            if (!placed) layout.interface = setting.bInterfaceNumber;
        }
    }
    libusb_free_config_descriptor(config);
    return layout;
}

class LibusbBulk final : public UsbBulk {
public:
    LibusbBulk(libusb_device_handle* handle, const UsbHandheldModel& model, std::string description, int interface,
               bool reattach, UsbEndpointPair endpoints)
        : handle_(handle), model_(model), description_(std::move(description)), interface_(interface),
          reattach_(reattach), endpoints_(endpoints) {}
    ~LibusbBulk() override { release(); }

    std::size_t receive(std::span<std::uint8_t> buffer, Millis timeout) override {
        if (handle_ == nullptr) throw LinkError("the link is closed");
        int got = 0;
        const int rc = libusb_bulk_transfer(handle_, endpoints_.in, buffer.data(), static_cast<int>(buffer.size()), &got,
                                            milliseconds(timeout));
        if (rc == LIBUSB_ERROR_TIMEOUT && got == 0) throw LinkTimeout("no answer from " + description_);
        if (rc != 0 && rc != LIBUSB_ERROR_TIMEOUT) fail("reading from", endpoints_.in, rc);
        return static_cast<std::size_t>(got);
    }

    void transmit(std::span<const std::uint8_t> data, Millis timeout) override {
        if (handle_ == nullptr) throw LinkError("the link is closed");
        const auto deadline = Clock::now() + timeout;
        std::size_t sent = 0;
        while (sent < data.size()) {
            const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
            if (left <= Millis{0}) throw LinkError("could not send to " + description_ + " in time");
            int moved = 0;
            const int rc = libusb_bulk_transfer(handle_, endpoints_.out, const_cast<std::uint8_t*>(data.data() + sent),
                                                static_cast<int>(data.size() - sent), &moved, milliseconds(left));
            sent += static_cast<std::size_t>(std::max(moved, 0));
            if (rc != 0 && rc != LIBUSB_ERROR_TIMEOUT) fail("sending to", endpoints_.out, rc);
        }
    }

    void release() override {
        if (handle_ == nullptr) return;
        if (model_.query == UsbEndpointQuery::kClassic) {
            // The first Visors want to hear that the desktop is done with the port.
            std::array<std::uint8_t, kConnectionInfoLength> reply{};
            libusb_control_transfer(handle_, kUsbRequestType, kUsbRequestCloseNotification, 0, 0, reply.data(),
                                    static_cast<std::uint16_t>(reply.size()), milliseconds(kControlTimeout));
        }
        libusb_release_interface(handle_, interface_);
        if (reattach_) libusb_attach_kernel_driver(handle_, interface_);
        libusb_close(handle_);
        handle_ = nullptr;
    }

    std::string describe() const override { return description_; }

private:
    // A stalled endpoint is cleared so that the next session finds it working.
    [[noreturn]] void fail(const char* what, std::uint8_t endpoint, int rc) const {
        if (rc == LIBUSB_ERROR_NO_DEVICE) throw LinkError(description_ + " was unplugged or ended the HotSync");
        if (rc == LIBUSB_ERROR_PIPE) libusb_clear_halt(handle_, endpoint);
        throw LinkError(std::string(what) + " " + description_ + " failed: " + usbError(rc));
    }

    libusb_device_handle* handle_;
    const UsbHandheldModel& model_;
    std::string description_;
    int interface_;
    bool reattach_;
    UsbEndpointPair endpoints_;
};

// Asks the handheld which endpoints carry HotSync, as its model answers.
std::optional<UsbEndpointPair> queryEndpoints(libusb_device_handle* handle, const UsbHandheldModel& model, std::string& why) {
    const auto ask = [&](std::uint8_t request, std::uint16_t length,
                         std::optional<UsbEndpointPair> (*parse)(std::span<const std::uint8_t>, std::string&)) -> std::optional<UsbEndpointPair> {
        std::array<std::uint8_t, 64> reply{};
        for (int attempt = 0; attempt < kQueryAttempts; ++attempt) {
            const int n = libusb_control_transfer(handle, kUsbRequestType, request, 0, 0, reply.data(), length,
                                                  milliseconds(kControlTimeout));
            if (n >= 0) return parse(std::span(reply).first(static_cast<std::size_t>(n)), why);
            why = "the handheld did not answer request " + std::to_string(request) + ": " + usbError(n);
            if (n == LIBUSB_ERROR_NO_DEVICE) return std::nullopt;
            std::this_thread::sleep_for(kQueryPause);
        }
        return std::nullopt;
    };
    if (model.query == UsbEndpointQuery::kExtended) {
        if (auto pair = ask(kUsbRequestExtConnectionInfo, kExtConnectionInfoLength, parseExtConnectionInfo)) return pair;
    }
    if (model.query != UsbEndpointQuery::kDescriptors) {
        if (auto pair = ask(kUsbRequestConnectionInfo, kConnectionInfoLength, parseConnectionInfo)) return pair;
    }
    return std::nullopt;
}

std::unique_ptr<UsbBulk> openHandheld(libusb_device* device, const UsbHandheldModel& model) {
    libusb_device_descriptor descriptor{};
    libusb_get_device_descriptor(device, &descriptor);
    const std::string node = deviceNode(device);
    const std::string description = describeUsbHandheld(descriptor.idVendor, descriptor.idProduct) + " on " + node;
    libusb_device_handle* handle = nullptr;
    const int rc = libusb_open(device, &handle);
    if (rc == LIBUSB_ERROR_ACCESS)
        throw LinkError("no permission to use " + description + ". Install the udev rule for Palm handhelds "
                        "(60-palm-handhelds.rules, see the docs on USB and serial HotSync) and plug the handheld in "
                        "again; for this time only: sudo setfacl -m u:$USER:rw " + node);
    if (rc != 0) throw LinkError("cannot open " + description + ": " + usbError(rc));
    std::unique_ptr<libusb_device_handle, decltype(&libusb_close)> owned(handle, &libusb_close);

    int configuration = 0;
    if (libusb_get_configuration(handle, &configuration) == 0 && configuration == 0) libusb_set_configuration(handle, 1);

    std::string why;
    auto endpoints = queryEndpoints(handle, model, why);
    const Layout layout = layoutOf(device, endpoints ? std::optional(endpoints->in) : std::nullopt);
    if (!endpoints) endpoints = layout.lastBulk;
    if (!endpoints) throw LinkError(description + " shows no HotSync endpoints" + (why.empty() ? "" : ": " + why));

    // The kernel's serial driver for handhelds (visor) takes the interface when the handheld
    // appears; it goes back to the driver when the session ends.
    bool reattach = false;
    if (libusb_kernel_driver_active(handle, layout.interface) == 1) {
        const int detached = libusb_detach_kernel_driver(handle, layout.interface);
        if (detached != 0)
            throw LinkError("the kernel's serial driver holds " + description + " and would not let go (" + usbError(detached) +
                            "); unload it with: sudo modprobe -r visor");
        reattach = true;
    }
    const int claimed = libusb_claim_interface(handle, layout.interface);
    if (claimed != 0) {
        if (reattach) libusb_attach_kernel_driver(handle, layout.interface);
        throw LinkError(claimed == LIBUSB_ERROR_BUSY ? description + " is in use by another program"
                                                     : "cannot claim " + description + ": " + usbError(claimed));
    }
    owned.release();
    return std::make_unique<LibusbBulk>(handle, model, description, layout.interface, reattach, *endpoints);
}

int LIBUSB_CALL onArrival(libusb_context*, libusb_device* device, libusb_hotplug_event, void* user);

}  // namespace

// Handhelds seen arriving by hot-plug and not yet opened.
struct UsbHandheldFinder::Arrivals {
    std::mutex mutex;
    std::deque<Device> devices;
    libusb_hotplug_callback_handle handle = 0;
};

namespace {
int LIBUSB_CALL onArrival(libusb_context*, libusb_device* device, libusb_hotplug_event, void* user) {
    if (modelOf(device) == nullptr) return 0;
    auto* arrivals = static_cast<UsbHandheldFinder::Arrivals*>(user);
    std::lock_guard lock(arrivals->mutex);
    arrivals->devices.emplace_back(libusb_ref_device(device));
    return 0;
}
}  // namespace

UsbHandheldFinder::UsbHandheldFinder() : arrivals_(std::make_unique<Arrivals>()) {
    const int rc = libusb_init(&context_);
    if (rc != 0) throw LinkError("USB is not available: " + usbError(rc));
    hotPlug_ = libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) != 0;
    if (hotPlug_) {
        // Enumerate: handhelds already plugged in arrive at once too.
        const int registered = libusb_hotplug_register_callback(
            context_, LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED, LIBUSB_HOTPLUG_ENUMERATE, LIBUSB_HOTPLUG_MATCH_ANY,
            LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY, onArrival, arrivals_.get(), &arrivals_->handle);
        hotPlug_ = registered == LIBUSB_SUCCESS;
    }
}

UsbHandheldFinder::~UsbHandheldFinder() {
    if (hotPlug_) libusb_hotplug_deregister_callback(context_, arrivals_->handle);
    arrivals_->devices.clear();
    libusb_exit(context_);
}

std::unique_ptr<UsbBulk> UsbHandheldFinder::waitForHandheld(Millis timeout, const std::function<bool()>& cancelled) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (cancelled && cancelled()) return nullptr;
        Device found;
        if (hotPlug_) {
            std::lock_guard lock(arrivals_->mutex);
            if (!arrivals_->devices.empty()) {
                found = std::move(arrivals_->devices.front());
                arrivals_->devices.pop_front();
            }
        } else {
            libusb_device** list = nullptr;
            const ssize_t count = libusb_get_device_list(context_, &list);
            for (ssize_t i = 0; i < count && !found; ++i)
                if (modelOf(list[i]) != nullptr) found.reset(libusb_ref_device(list[i]));
            if (count >= 0) libusb_free_device_list(list, 1);
        }
        if (found) return openHandheld(found.get(), *modelOf(found.get()));
        const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
        if (left <= Millis{0}) return nullptr;
        if (hotPlug_) {
            const auto slice = std::min(left, kEventSlice);
            timeval tv{static_cast<time_t>(slice.count() / 1000), static_cast<suseconds_t>(slice.count() % 1000 * 1000)};
            libusb_handle_events_timeout_completed(context_, &tv, nullptr);
        } else {
            std::this_thread::sleep_for(std::min(left, kLookAgain));
        }
    }
}

}  // namespace palmdesk::link
