// PrivateProfile.h: GetPrivateProfileString, GetPrivateProfileInt and WritePrivateProfileString
// over INI files. A file name without a folder means $PALMDESK_ROOT/Windows/<name> (the Windows
// folder); a Windows path resolves as WindowsPath.h says; other paths are used as they are.
// Writes rewrite the file atomically under a lock.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <string>

namespace win {

// Copies the value of key in section (or default, trailing blanks removed) into buffer of size
// characters, cut to size - 1, and returns the characters copied. With key null: every key of
// the section, each zero-terminated, the list ending in a second zero; with section null: every
// section name alike (a list cut short returns size - 2).
std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                      std::uint32_t size, const char* fileName);
// The value as a decimal number (leading digits, an optional sign), 0 when it has none, or
// defaultValue when the key is missing.
std::uint32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                                   const char* fileName);
// A stored value read as GetPrivateProfileInt reads it: its first 63 characters, blanks, an
// optional sign and the leading digits, wrapping at 32 bits.
std::uint32_t ProfileNumber(std::string_view text);
// A number key read through read(fallback), which returns the key's stored text or the fallback it
// is handed: ProfileNumber of the text, or defaultValue when the key is missing.
std::uint32_t ReadProfileNumber(const std::function<std::string(const char* fallback)>& read,
                                std::uint32_t defaultValue);
// Sets key to value; value null deletes the key, key null deletes the section. False when the
// file cannot be written.
bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* fileName);

// The path a profile file name stands for.
std::string ProfilePath(const std::string& fileName);

}  // namespace win
