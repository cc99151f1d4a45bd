// ConduitRegistry.h: conduit registrations of the stand-in HotSync manager, by creator, kept in
// the registry under HKEY_CURRENT_USER\Software\U.S. Robotics\Pilot Desktop\Conduits\<creator>
// (values "Type", "Name" (the library file), "Directory", "Title").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace palmdesk {

struct ConduitRegistration {
    std::string creator;
    std::int32_t type = 0;
    std::string libraryFile;
    std::string folder;
    std::string title;
};

inline constexpr std::int32_t kCondMgrOk = 0;
inline constexpr std::int32_t kCondMgrError = -1001;
inline constexpr std::int32_t kCondMgrBadCreator = -1002;
inline constexpr std::int32_t kCondMgrNotRegistered = -1003;
inline constexpr std::int32_t kCondMgrAlreadyRegistered = -1005;

class ConduitRegistry {
public:
    std::int32_t Install(const std::string& creator, std::int32_t type);
    std::int32_t Set(const std::string& creator, const char* valueName, const std::string& text);
    std::int32_t Remove(const std::string& creator);
    std::optional<ConduitRegistration> Find(const std::string& creator) const;
    std::vector<ConduitRegistration> List() const;
};

}  // namespace palmdesk
