// Recordings.h: the sessions recorded between a desktop and real handhelds (tests/palmdesk/data/
// recordings, with their NOTICE), read for the tests.
#pragma once

#include "palmdesk/link/SessionTrace.h"

#include <gtest/gtest.h>
#include <string>

inline palmdesk::link::SessionTrace loadRecording(const std::string& name) {
    palmdesk::link::SessionTrace trace;
    std::string why;
    EXPECT_TRUE(palmdesk::link::readTraceFile(std::string(RECORDINGS_DIR) + "/" + name, trace, why)) << why;
    return trace;
}

// Every recording of the network and serial-over-network links.
inline const char* const kNetRecordings[] = {"no-op-test.net.json", "device-info-test.net.json", "list-db-test.net.json",
                                             "read-memo-test.net.json", "create-delete-db-test.net.json"};
inline const char* const kSerialRecordings[] = {"no-op-test.serial-net.json", "device-info-test.serial-net.json",
                                                "list-db-test.serial-net.json", "read-memo-test.serial-net.json",
                                                "create-delete-db-test.serial-net.json"};
