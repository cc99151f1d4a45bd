// Fuzz target: DLP answers as the desktop reads them. A response that reads must encode back to
// what it read (padding aside) and read the same again; each of its arguments is read as its
// command's struct, written back and read again to the same bytes; and describing it must not
// fail.
#include "palmdesk/dlp/DlpCommands.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace palmdesk::dlp;
    DlpResponse response;
    std::string why;
    if (!decodeResponse({data, size}, response, why)) return 0;
    const auto encoded = response.encode();
    DlpResponse again;
    if (!decodeResponse(encoded, again, why) || again.args != response.args || again.error != response.error ||
        again.command != response.command)
        std::abort();
    (void)describeResponse(response);
    DlpResponse typed = response;
    if (retypeResponse(typed, why)) {
        DlpResponse retyped = typed;
        if (!retypeResponse(retyped, why) || retyped.args != typed.args) std::abort();
    }
    // The same bytes as a request, as the simulated handheld reads them.
    DlpRequest request;
    if (decodeRequest({data, size}, request, why)) {
        (void)describeRequest(request);
        if (retypeRequest(request, why)) {
            DlpRequest retyped = request;
            if (!retypeRequest(retyped, why) || retyped.args != request.args) std::abort();
        }
    }
    return 0;
}
