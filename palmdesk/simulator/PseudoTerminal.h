// PseudoTerminal.h: a pseudo-terminal pair standing in for a serial cable: a desktop opens the
// terminal's path as it would /dev/ttyS0, the simulated handheld speaks on the other end.
// Closing that end is pulling the cable.
#pragma once

#include "palmdesk/link/SerialPortPipe.h"

#include <memory>
#include <string>

namespace palmdesk::sim {

class PseudoTerminal {
public:
    // Throws LinkError when the system has no pseudo-terminal to give.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The path a desktop opens: "/dev/pts/3".
    const std::string& path() const { return path_; }
    // The handheld's end of the cable, as a serial port. Once only.
    std::unique_ptr<link::SerialPortPipe> takeHandheldEnd();

private:
    int master_ = -1;
    // Held open so that the pair lives while no desktop has the path open; raw from the start so
    // nothing the handheld sends early is changed on the way.
    int keeper_ = -1;
    std::string path_;
};

}  // namespace palmdesk::sim
