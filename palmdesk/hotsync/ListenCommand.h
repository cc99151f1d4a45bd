// ListenCommand.h: hotsync listen, the HotSync manager waiting for handhelds (one HotSync per
// connection), and hotsync decode, a recorded session told as DLP requests and responses.
#pragma once

#include "palmdesk/device/DeviceLinks.h"
#include "palmdesk/link/CableLink.h"

#include <optional>
#include <string>

namespace palmdesk {

struct ListenOptions {
    bool once = false;           // end after the first HotSync
    std::optional<int> type;     // every conduit's sync type, in place of the user's actions
    std::string user;            // the desktop user a handheld without a user becomes
    std::string trace;           // FILE.json: each session's bytes (the last session's, with several)
};

// Waits on source until Ctrl+C (or, with once, one HotSync): for each handheld that connects, its
// user's HotSync with the conduits and the install queue, the log on stdout. 0 when every
// HotSync went well, 1 otherwise.
int Listen(LinkSource& source, const ListenOptions& options);

// Handhelds on a local cable (USB, or the serial port request.path), waited for until Ctrl+C.
std::unique_ptr<LinkSource> ListenCable(link::CableLinkRequest request);

// Prints a recorded session (ours or another desktop's, of either transport) as named requests and
// responses; 1 when the file cannot be read or a part of the session could not be told.
int DecodeSession(const std::string& path);

}  // namespace palmdesk
