// LocalLink.h: opening a link to a handheld on a local cable in one call, USB or a serial port:
// wait for the handheld to start a HotSync, run its transport's opening, and hand back a link
// ready for DlpDevice.
#pragma once

#include "palmdesk/link/CableLink.h"

namespace palmdesk::link {

// The handheld's link, its opening done; none when no handheld started within request.wait or
// the wait was cancelled. Throws LinkError with a message for the user when the port or device
// cannot be opened (naming it and what to do) or the handheld's opening fails.
std::unique_ptr<OwningLink> openCableLink(const CableLinkRequest& request);

}  // namespace palmdesk::link
