// UsbHandhelds.cpp: the table of handhelds, the connection-information replies and the udev rules.
#include "palmdesk/link/UsbHandhelds.h"

#include "platform/bytes/ByteReader.h"

#include <array>
#include <bit>
#include <cstdio>

namespace palmdesk::link {

namespace {

using enum UsbStack;
using enum UsbEndpointQuery;

// Palm OS 5 models speak the network framing on USB, earlier ones the serial stack; the stack
// given here is what a model is expected to speak, the handheld's first byte decides. Several
// models of one maker share a product ID in HotSync mode.
constexpr std::array<UsbHandheldModel, 31> kModels = {{
    {0x082d, 0x0100, "Handspring", "Visor (all models)", kSerial, kClassic},
    {0x082d, 0x0200, "Handspring", "Treo 180, 270, 300", kSerial, kExtended},
    {0x082d, 0x0300, "Handspring", "Treo 600", kNetSync, kExtended},
    {0x0830, 0x0001, "Palm", "m500", kSerial, kExtended},
    {0x0830, 0x0002, "Palm", "m505", kSerial, kExtended},
    {0x0830, 0x0003, "Palm", "m515", kSerial, kExtended},
    {0x0830, 0x0020, "Palm", "i705", kSerial, kExtended},
    {0x0830, 0x0031, "Palm", "Tungsten (product 0031)", kSerial, kExtended},
    {0x0830, 0x0040, "Palm", "m125", kSerial, kExtended},
    {0x0830, 0x0050, "Palm", "m130", kSerial, kExtended},
    {0x0830, 0x0060, "Palm", "Tungsten T and other Palm OS 5 models", kNetSync, kExtended},
    {0x0830, 0x0061, "Palm", "Zire 31, Treo 650 and other Palm OS 5 models", kNetSync, kExtended},
    {0x0830, 0x0070, "Palm", "Zire", kSerial, kExtended},
    {0x0830, 0x0080, "Palm", "m100 series", kSerial, kExtended},
    {0x054c, 0x0038, "Sony", "CLIE with Palm OS 3.5", kSerial, kDescriptors},
    {0x054c, 0x0066, "Sony", "CLIE with Palm OS 4.0", kSerial, kExtended},
    {0x054c, 0x0095, "Sony", "CLIE S360", kSerial, kExtended},
    {0x054c, 0x009a, "Sony", "CLIE with Palm OS 4.1", kSerial, kExtended},
    {0x054c, 0x00da, "Sony", "CLIE NX series", kNetSync, kExtended},
    {0x054c, 0x00e9, "Sony", "CLIE NZ90V", kNetSync, kExtended},
    {0x054c, 0x0144, "Sony", "CLIE UX series", kNetSync, kExtended},
    {0x054c, 0x0169, "Sony", "CLIE TJ series", kNetSync, kExtended},
    {0x04e8, 0x8001, "Samsung", "SCH-i330", kSerial, kExtended},
    {0x04e8, 0x6601, "Samsung", "SPH-i500", kSerial, kExtended},
    {0x12ef, 0x0100, "Tapwave", "Zodiac", kNetSync, kExtended},
    {0x091e, 0x0004, "Garmin", "iQue 3600", kNetSync, kExtended},
    {0x4766, 0x0001, "Aceeca", "Meazura MEZ1000", kSerial, kExtended},
    {0x0c88, 0x0021, "Kyocera", "7135", kSerial, kExtended},
    {0x0502, 0x0001, "Acer", "s10", kSerial, kExtended},
    {0x115e, 0xf100, "GSPDA", "Xplore M68", kSerial, kExtended},
    {0x0e67, 0x0002, "Fossil", "Abacus Wrist PDA", kSerial, kExtended},
}};

std::string hex4(std::uint16_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", v);
    return text;
}

bool validEndpoint(std::uint32_t n) { return n >= 1 && n <= 15; }

std::optional<UsbEndpointPair> same(std::uint8_t n, std::string& why) {
    if (!validEndpoint(n)) {
        why = "the HotSync port names endpoint " + std::to_string(n) + ", which a device cannot have";
        return std::nullopt;
    }
    return UsbEndpointPair{static_cast<std::uint8_t>(0x80 | n), n};
}

}  // namespace

std::span<const UsbHandheldModel> usbHandheldModels() { return kModels; }

const UsbHandheldModel* findUsbHandheld(std::uint16_t vendor, std::uint16_t product) {
    for (const auto& m : kModels)
        if (m.vendor == vendor && m.product == product) return &m;
    return nullptr;
}

std::string describeUsbHandheld(std::uint16_t vendor, std::uint16_t product) {
    const std::string ids = hex4(vendor) + ":" + hex4(product);
    const auto* m = findUsbHandheld(vendor, product);
    if (m == nullptr) return ids;
    return std::string(m->maker) + " " + m->models + " (" + ids + ")";
}

std::optional<UsbEndpointPair> parseConnectionInfo(std::span<const std::uint8_t> reply, std::string& why) {
    bytes::ByteReader in(reply, std::endian::little);
    const auto count = in.readU16();
    if (!count) {
        why = "the connection information is " + std::to_string(reply.size()) + " bytes, too short to say how many ports";
        return std::nullopt;
    }
    // The reply's real length bounds the ports, whatever the count says.
    for (std::uint16_t i = 0; i < *count; ++i) {
        const auto function = in.readU8();
        const auto port = in.readU8();
        if (!function || !port) break;
        if (*function == kUsbFunctionHotSync) return same(*port, why);
    }
    why = "the connection information lists no HotSync port";
    return std::nullopt;
}

std::optional<UsbEndpointPair> parseExtConnectionInfo(std::span<const std::uint8_t> reply, std::string& why) {
    bytes::ByteReader in(reply);
    const auto count = in.readU8();
    const auto different = in.readU8();
    if (!count || !different || !in.skip(2)) {
        why = "the extended connection information is " + std::to_string(reply.size()) + " bytes, shorter than its header";
        return std::nullopt;
    }
    for (std::uint8_t i = 0; i < *count; ++i) {
        const auto creator = in.take(4);
        const auto port = in.readU8();
        const auto info = in.readU8();
        if (!creator || !port || !info || !in.skip(2)) break;
        // The creator is four characters in memory order; some handhelds store it byte-swapped.
        const std::string name(creator->begin(), creator->end());
        if (name != "sync" && name != "cnys") continue;
        if (*different == 0) return same(*port, why);
        const std::uint8_t inNumber = *info >> 4, outNumber = *info & 0x0F;
        if (!validEndpoint(inNumber) || !validEndpoint(outNumber)) {
            why = "the HotSync port names endpoints " + std::to_string(inNumber) + " and " + std::to_string(outNumber) +
                  ", which a device cannot have";
            return std::nullopt;
        }
        return UsbEndpointPair{static_cast<std::uint8_t>(0x80 | inNumber), outNumber};
    }
    why = "the extended connection information lists no HotSync port";
    return std::nullopt;
}

std::string formatUdevRules() {
    std::string text =
        "# Palm OS handhelds on USB: access for the user logged in at the seat (uaccess), so that\n"
        "# `hotsync listen --usb` can talk to them without root. Kept in step with the handheld table\n"
        "# of the device link (a test compares them). Copy to /etc/udev/rules.d/ or let `cmake --install`\n"
        "# put it in place, then run: udevadm control --reload && udevadm trigger\n"
        "\n"
        "ACTION!=\"add|change\", GOTO=\"palm_handhelds_end\"\n"
        "SUBSYSTEM!=\"usb\", GOTO=\"palm_handhelds_end\"\n"
        "ENV{DEVTYPE}!=\"usb_device\", GOTO=\"palm_handhelds_end\"\n"
        "\n";
    for (const auto& m : kModels) {
        text += "# " + std::string(m.maker) + " " + m.models + "\n";
        text += "ATTR{idVendor}==\"" + hex4(m.vendor) + "\", ATTR{idProduct}==\"" + hex4(m.product) +
                "\", TAG+=\"uaccess\"\n";
    }
    text += "\nLABEL=\"palm_handhelds_end\"\n";
    return text;
}

}  // namespace palmdesk::link
