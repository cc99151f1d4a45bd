// Fuzz target: the desktop's side of the serial stack (SLP, PADP, CMP) reading arbitrary bytes
// from a handheld: the wake-up, acknowledgements, fragments and DLP answers, until the link ends
// with LinkError. Whatever a frame reader accepts must encode back to the bytes it read.
#include "palmdesk/dlp/DlpDevice.h"
#include "palmdesk/link/SerialLink.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace palmdesk;
    {
        link::MemoryPipe frames({data, data + size});
        try {
            for (;;) {
                const std::size_t start = frames.consumed();
                const auto packet = link::readSlpPacket(frames, link::Millis{0}, link::Millis{0});
                const auto again = link::encodeSlpPacket(packet);
                if (!std::equal(again.begin(), again.end(), data + start) || again.size() != frames.consumed() - start) std::abort();
                std::string why;
                if (const auto padp = link::parsePadp(packet.body, why)) {
                    const auto cmp = link::parseCmp(padp->data, why);
                    if (cmp && link::encodeCmp(*cmp).size() != link::kCmpSize) std::abort();
                }
            }
        } catch (const link::LinkError&) {
        }
    }
    link::MemoryPipe pipe({data, data + size});
    link::LinkTimeouts timeouts;
    timeouts.attempts = 2;
    link::SerialLink session(pipe, link::Role::kDesktop, timeouts);
    try {
        session.open();
    } catch (const link::LinkError&) {
        return 0;
    }
    dlp::DlpDevice device(session);
    std::vector<std::uint32_t> ids;
    dlp::Record record;
    for (int i = 0; i < 16 && device.linkFailure().empty(); ++i) {
        device.readRecordIdList(1, ids);
        device.readRecordByIndex(1, 0, record);
    }
    return 0;
}
