// ImpairedPipe.cpp
#include "palmdesk/simulator/ImpairedPipe.h"

#include <string>
#include <thread>

namespace palmdesk::sim {

void ImpairedPipe::writeAll(std::span<const std::uint8_t> data, link::Millis timeout) {
    ++written_;
    if (dropAt_ > 0 && written_ >= dropAt_) {
        inner_.close();
        throw link::LinkError("the link was dropped at packet " + std::to_string(dropAt_) + ", as asked");
    }
    if (latency_.count() > 0) std::this_thread::sleep_for(latency_);
    inner_.writeAll(data, timeout);
}

}  // namespace palmdesk::sim
