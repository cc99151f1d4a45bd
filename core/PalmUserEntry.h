// PalmUserEntry.h: one Palm user as the install aide reports it. An empty entry has an empty name
// and ID 0.
#pragma once

#include <cstdint>
#include <string>

struct PalmUser {
    std::string name;
    std::uint32_t id = 0;
};
