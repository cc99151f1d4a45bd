// Fuzz target: the desktop's side of network HotSync reading arbitrary bytes from a handheld: the
// handshake, then messages and DLP answers, until the link ends with LinkError.
#include "palmdesk/dlp/DlpDevice.h"
#include "palmdesk/link/NetSyncLink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace palmdesk;
    link::MemoryPipe pipe({data, data + size});
    link::NetSyncLink session(pipe, link::Role::kDesktop);
    try {
        session.open();
    } catch (const link::LinkError&) {
        return 0;
    }
    dlp::DlpDevice device(session);
    std::vector<dlp::DbInfo> databases;
    dlp::UserInfo user;
    for (int i = 0; i < 16 && device.linkFailure().empty(); ++i) {
        device.readUserInfo(user);
        device.readDbList(dlp::kListRam, databases);
    }
    return 0;
}
