// ConduitStrings.cpp: the pictsync conduit's string table.
#include "ConduitStrings.h"

namespace conduit {

namespace {
struct Entry {
    std::uint32_t id;
    const char* text;
};
constexpr Entry kStrings[] = {
    {kStrConduitName, "Generic DrAw Conduit"},
    {kStrCurrentSettings, "%s's Current Settings:"},
    {kStrActionSync, "Synchronize the files."},
    {kStrActionDesktopOverwrites, "Desktop overwrites Palm organizer."},
    {kStrActionHandheldOverwrites, "Palm organizer overwrites Desktop."},
    {kStrActionNothing, "Do Nothing."},
    {kStrActionGroup, "HotSync Action for Pictaro"},
};
}  // namespace

std::optional<std::string> LoadConduitString(std::uint32_t id) {
    for (const auto& e : kStrings)
        if (e.id == id) return std::string(e.text);
    return std::nullopt;
}

}  // namespace conduit
