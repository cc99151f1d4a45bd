// SessionDecoder.cpp: the bytes of each direction run through the same frame readers a live link
// uses, over memory.
#include "palmdesk/dlp/SessionDecoder.h"

#include "palmdesk/dlp/DlpCommands.h"
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SerialLink.h"

#include <algorithm>

namespace palmdesk::dlp {

namespace {

using link::TraceChunk;

// Where each chunk of one direction ends in that direction's joined bytes.
struct Direction {
    std::vector<std::uint8_t> bytes;
    std::vector<std::pair<std::size_t, std::size_t>> ends;  // (end offset, chunk index)
    std::size_t chunkAt(std::size_t offset) const {
        for (const auto& [end, chunk] : ends)
            if (offset <= end) return chunk;
        return ends.empty() ? 0 : ends.back().second;
    }
};

Direction gather(const link::SessionTrace& trace, TraceChunk::Direction which) {
    Direction d;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        if (trace[i].direction != which || trace[i].data.empty()) continue;
        d.bytes.insert(d.bytes.end(), trace[i].data.begin(), trace[i].data.end());
        d.ends.emplace_back(d.bytes.size(), i);
    }
    return d;
}

constexpr link::Millis kNoWait{0};

void splitNetSync(const Direction& d, bool fromDesktop, std::vector<SessionMessage>& out, std::string& problem) {
    link::MemoryPipe pipe(d.bytes);
    // The handheld's three handshake packets, the desktop's two, then DLP.
    std::size_t handshakes = fromDesktop ? 2 : 3;
    while (pipe.consumed() < d.bytes.size()) {
        try {
            auto packet = link::readNetSyncPacket(pipe, kNoWait, kNoWait);
            const auto kind = handshakes > 0 ? SessionMessage::kHandshake : SessionMessage::kDlp;
            if (handshakes > 0) --handshakes;
            out.push_back({fromDesktop, kind, std::move(packet.payload), d.chunkAt(pipe.consumed())});
        } catch (const link::LinkError& e) {
            problem = "at byte " + std::to_string(pipe.consumed()) + ": " + e.what();
            return;
        }
    }
}

void splitSerial(const Direction& d, bool fromDesktop, std::vector<SessionMessage>& out, std::string& problem) {
    link::MemoryPipe pipe(d.bytes);
    std::vector<std::uint8_t> message;
    std::uint32_t total = 0;
    bool started = false, first = true, any = false;
    std::uint8_t lastXid = 0;
    while (pipe.consumed() < d.bytes.size()) {
        link::SlpPacket slp;
        try {
            slp = link::readSlpPacket(pipe, kNoWait, kNoWait);
        } catch (const link::LinkError& e) {
            problem = "at byte " + std::to_string(pipe.consumed()) + ": " + e.what();
            return;
        }
        if (slp.type != link::kSlpTypePadp) continue;
        auto padp = link::parsePadp(slp.body, problem);
        if (!padp) return;
        if (padp->type != link::kPadpData) continue;
        if (any && slp.xid == lastXid) continue;  // sent again while its acknowledgement was on its way
        any = true;
        lastXid = slp.xid;
        if (!started) {
            if (!(padp->flags & link::kPadpFirst) || padp->size > link::kMaxMessageSize) {
                problem = "at byte " + std::to_string(pipe.consumed()) + ": a message begins with a fragment that is not its first";
                return;
            }
            total = padp->size;
            message.clear();
            started = true;
        } else if (padp->size != message.size() || padp->data.size() > total - message.size()) {
            problem = "at byte " + std::to_string(pipe.consumed()) + ": a fragment out of place";
            return;
        }
        message.insert(message.end(), padp->data.begin(), padp->data.end());
        if (padp->flags & link::kPadpLast) {
            started = false;
            // The first message each way is the connection's (CMP).
            out.push_back({fromDesktop, first ? SessionMessage::kHandshake : SessionMessage::kDlp, message,
                           d.chunkAt(pipe.consumed())});
            first = false;
        }
    }
}

std::string describeHandshake(const SessionMessage& m, SplitSession::Transport transport) {
    if (transport == SplitSession::kSerial) {
        std::string why;
        const auto cmp = link::parseCmp(m.bytes, why);
        if (!cmp) return "connection packet that does not read: " + why;
        static const char* kTypes[] = {"?", "wake-up", "init", "abort"};
        return std::string("connection ") + kTypes[cmp->type] + " flags=0x" + toHexByte(cmp->flags) + " version=" +
               std::to_string(cmp->major) + "." + std::to_string(cmp->minor) + " baud=" + std::to_string(cmp->baud);
    }
    return "handshake packet 0x" + (m.bytes.empty() ? std::string("(empty)") : toHexByte(m.bytes[0])) + " (" +
           std::to_string(m.bytes.size()) + " bytes)";
}

}  // namespace

SplitSession splitSession(const link::SessionTrace& trace) {
    SplitSession split;
    const Direction fromHandheld = gather(trace, TraceChunk::kRead);
    const Direction fromDesktop = gather(trace, TraceChunk::kWrite);
    const auto& lead = fromHandheld.bytes.empty() ? fromDesktop.bytes : fromHandheld.bytes;
    if (lead.empty()) return split;
    if (lead[0] == 0x01) {
        split.transport = SplitSession::kNetSync;
        splitNetSync(fromDesktop, true, split.messages, split.desktopProblem);
        splitNetSync(fromHandheld, false, split.messages, split.handheldProblem);
    } else if (lead[0] == 0xBE) {
        split.transport = SplitSession::kSerial;
        splitSerial(fromDesktop, true, split.messages, split.desktopProblem);
        splitSerial(fromHandheld, false, split.messages, split.handheldProblem);
    } else {
        split.handheldProblem = "the session begins with 0x" + toHexByte(lead[0]) +
                                ", which starts neither a network nor a serial packet";
        return split;
    }
    std::stable_sort(split.messages.begin(), split.messages.end(),
                     [](const SessionMessage& a, const SessionMessage& b) { return a.chunk < b.chunk; });
    return split;
}

std::vector<std::string> describeSession(const link::SessionTrace& trace) {
    const SplitSession split = splitSession(trace);
    std::vector<std::string> lines;
    if (split.transport == SplitSession::kNetSync) lines.push_back("network HotSync framing");
    if (split.transport == SplitSession::kSerial) lines.push_back("serial protocol stack (SLP/PADP/CMP)");
    for (const SessionMessage& m : split.messages) {
        std::string line = m.fromDesktop ? "desktop: " : "handheld: ";
        std::string why;
        if (m.kind == SessionMessage::kHandshake) {
            line += describeHandshake(m, split.transport);
        } else if (m.fromDesktop) {
            DlpRequest request;
            line += decodeRequest(m.bytes, request, why) ? describeRequest(request) : "request that does not read: " + why;
        } else {
            DlpResponse response;
            line += decodeResponse(m.bytes, response, why) ? describeResponse(response) : "response that does not read: " + why;
        }
        lines.push_back(line);
    }
    if (!split.desktopProblem.empty()) lines.push_back("cannot read the desktop's side " + split.desktopProblem);
    if (!split.handheldProblem.empty()) lines.push_back("cannot read the handheld's side " + split.handheldProblem);
    return lines;
}

}  // namespace palmdesk::dlp
