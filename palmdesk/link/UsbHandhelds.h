// UsbHandhelds.h: the Palm OS handhelds known on USB (vendor and product IDs), which transport
// stack each speaks, how the desktop learns which bulk endpoints carry HotSync, and the udev
// rules that give the logged-in user access to them.
//
// A handheld in HotSync mode answers vendor control requests (device to host, vendor type,
// endpoint recipient: bmRequestType 0xC2) that tell which of its bulk endpoints serve which
// purpose.
//
// Connection information (request 3, 18 bytes asked for; little-endian):
//   offset size  field
//   0      2     number of ports n
//   2      2*n   per port: function (0 generic, 1 debugger, 2 HotSync, 3 console,
//                4 remote file system), then its endpoint number (the same for in and out)
//
// Extended connection information (request 4, 20 bytes asked for):
//   offset size  field
//   0      1     number of ports n
//   1      1     1 when in and out endpoint numbers differ, else 0
//   2      2     reserved
//   4      8*n   per port: the creator of the application that opened it (4 characters,
//                "sync" for HotSync), the endpoint number (when in and out are the same),
//                endpoint info (high nibble: in endpoint, low nibble: out endpoint, when they
//                differ), 2 reserved bytes
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace palmdesk::link {

// The stack a handheld speaks over its bulk endpoints; the handheld speaks first, so its first
// byte tells them apart too.
enum class UsbStack {
    kNetSync,  // the network HotSync framing (Palm OS 5 and later)
    kSerial,   // SLP/PADP/CMP as on a serial cable (Palm OS 3 and 4)
};

// How the desktop finds the HotSync endpoints of a model.
enum class UsbEndpointQuery {
    kExtended,     // request 4, then request 3 when it fails
    kClassic,      // request 3 alone (the first Visors)
    kDescriptors,  // no request: the last bulk in and out endpoints of its interface
};

struct UsbHandheldModel {
    std::uint16_t vendor;
    std::uint16_t product;
    const char* maker;
    const char* models;
    UsbStack stack;
    UsbEndpointQuery query;
};

inline constexpr std::uint8_t kUsbRequestType = 0xC2;  // vendor request, device to host, endpoint
inline constexpr std::uint8_t kUsbRequestBytesAvailable = 1;
inline constexpr std::uint8_t kUsbRequestCloseNotification = 2;
inline constexpr std::uint8_t kUsbRequestConnectionInfo = 3;
inline constexpr std::uint8_t kUsbRequestExtConnectionInfo = 4;
inline constexpr std::uint16_t kConnectionInfoLength = 18;
inline constexpr std::uint16_t kExtConnectionInfoLength = 20;
inline constexpr std::uint8_t kUsbFunctionHotSync = 2;

// Every model known, in the order the udev rules list them.
std::span<const UsbHandheldModel> usbHandheldModels();
// The model with these IDs, or none.
const UsbHandheldModel* findUsbHandheld(std::uint16_t vendor, std::uint16_t product);
// "Palm Tungsten T, ... (0830:0060)"; for unknown IDs just "0830:0060".
std::string describeUsbHandheld(std::uint16_t vendor, std::uint16_t product);

// Endpoint addresses as USB writes them: in carries 0x80.
struct UsbEndpointPair {
    std::uint8_t in = 0;
    std::uint8_t out = 0;
    bool operator==(const UsbEndpointPair&) const = default;
};

// The HotSync endpoints a reply to request 3 or 4 names; none, with why, for a reply that is
// short, lists no HotSync port, or names an endpoint outside 1..15.
std::optional<UsbEndpointPair> parseConnectionInfo(std::span<const std::uint8_t> reply, std::string& why);
std::optional<UsbEndpointPair> parseExtConnectionInfo(std::span<const std::uint8_t> reply, std::string& why);

// The udev rules file: every model tagged for the logged-in user's access (uaccess).
std::string formatUdevRules();

}  // namespace palmdesk::link
