// ConduitStrings.h: the pictsync conduit's string table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace conduit {

enum StringId : std::uint32_t {
    kStrConduitName = 1,
    kStrCurrentSettings = 8004,
    kStrActionSync = 8005,
    kStrActionDesktopOverwrites = 8006,
    kStrActionHandheldOverwrites = 8007,
    kStrActionNothing = 8008,
    kStrActionGroup = 8009,
};

std::optional<std::string> LoadConduitString(std::uint32_t id);

}  // namespace conduit
