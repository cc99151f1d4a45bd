// RegistryText.h: HKEY_CURRENT_USER as a text a person can read, in the style of a .reg file:
//
//   PALMDESK REGISTRY 1
//   [Software\Corvane\Typehold\Preferences]
//   "Script"=dword:00000000
//   "L-R Sizes"=hex:06,00,00,00,...
//   "HotSyncPath"="/opt/palm/hotsync"
//   "Odd"=hex(7):41,00,00
//
// Strings escape backslash, quote and bytes outside printable ASCII (\\, \", \xNN). A value
// whose bytes the short forms cannot hold exactly is written as hex(type). Key paths and value
// names compare without regard to case and keep the case they were created with.
#pragma once

#include "EqualNoCase.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;

struct RegistryValue {
    std::string name;
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;
};

struct RegistryKeyData {
    std::string path;  // "Software\Corvane\Typehold", no leading or trailing backslash
    std::vector<RegistryValue> values;
};

class RegistryTree {
public:
    // The tree a text describes; none (with why) for a text that is not one. Never reads past it.
    static std::optional<RegistryTree> Parse(std::string_view text, std::string* why = nullptr);
    std::string Serialise() const;

    RegistryKeyData* FindKey(std::string_view path);
    const RegistryKeyData* FindKey(std::string_view path) const;
    // The key, made with its parents when missing.
    RegistryKeyData& CreateKey(std::string_view path);
    void DeleteKey(std::string_view path);

    static RegistryValue* FindValue(RegistryKeyData& key, std::string_view name);
    static const RegistryValue* FindValue(const RegistryKeyData& key, std::string_view name);

    const std::vector<RegistryKeyData>& Keys() const { return keys_; }

private:
    std::vector<RegistryKeyData> keys_;
};

// A key path with separators tidied: "\a\\b\" -> "a\b".
std::string NormaliseKeyPath(std::string_view path);

}  // namespace win
