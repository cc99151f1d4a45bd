// SessionDecoder.h: a recorded session (SessionTrace.h) taken apart into its messages (the
// transport's handshake, then DLP requests and responses) and told as named requests and
// responses with their fields. Either transport; which one is told by the first bytes.
#pragma once

#include "palmdesk/link/SessionTrace.h"

#include <cstdint>
#include <string>
#include <vector>

namespace palmdesk::dlp {

struct SessionMessage {
    enum Kind { kHandshake, kDlp };
    bool fromDesktop = true;
    Kind kind = kDlp;
    std::vector<std::uint8_t> bytes;  // the DLP message, or the handshake packet's payload
    std::size_t chunk = 0;            // the chunk of the trace in which it ended
};

struct SplitSession {
    enum Transport { kUnknown, kNetSync, kSerial };
    Transport transport = kUnknown;
    std::vector<SessionMessage> messages;  // in the order they completed
    // Where a direction could not be read on (a packet cut short, a bad CRC); empty when whole.
    std::string desktopProblem, handheldProblem;
};

// The messages of a trace; serial fragments are joined and repeated packets dropped.
SplitSession splitSession(const link::SessionTrace& trace);

// One line (or a few, for a response of several arguments) per message: "desktop: ReadDBList
// flags=...", "handheld: ReadDBList answer lastIndex=...", and where a direction cannot be read
// on, a line that says where and why.
std::vector<std::string> describeSession(const link::SessionTrace& trace);

}  // namespace palmdesk::dlp
