// LocalLink.cpp: a USB handheld waited for and opened, or the serial port's link.
#include "palmdesk/link/local/LocalLink.h"

#include "palmdesk/link/local/UsbHandheldFinder.h"

namespace palmdesk::link {

std::unique_ptr<OwningLink> openCableLink(const CableLinkRequest& request) {
    if (request.kind == CableLinkRequest::kSerial) return openSerialCableLink(request);
    UsbHandheldFinder finder;
    auto bulk = finder.waitForHandheld(request.wait, request.cancelled);
    if (!bulk) return nullptr;
    auto link = makeUsbLink(std::move(bulk), request.timeouts, request.traced);
    link->open();
    return link;
}

}  // namespace palmdesk::link
