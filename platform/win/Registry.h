// Registry.h: the registry functions of HKEY_CURRENT_USER over the text file
// $PALMDESK_ROOT/user.reg. Every call reads the file afresh; every change is made under an
// exclusive lock between processes and written to a temporary file renamed over the old one, so
// two programs changing values at once keep each other's values.
#pragma once

#include "RegistryText.h"

#include <cstdint>
#include <string>
#include <vector>

namespace win {

struct RegistryKeyHandle;
using HKEY = RegistryKeyHandle*;
using LONG = std::int32_t;
using DWORD = std::uint32_t;
using REGSAM = std::uint32_t;
using BYTE = std::uint8_t;

// The predefined root key.
extern const HKEY HKEY_CURRENT_USER;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_BADDB = 1009;  // the registry file cannot be read as one

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, const char* keyClass, DWORD options,
                    REGSAM access, const void* security, HKEY* result, DWORD* disposition);
// With data null, *size receives the value's length. With a buffer shorter than the value,
// ERROR_MORE_DATA and *size the needed length; nothing is written.
LONG RegQueryValueEx(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
LONG RegSetValueEx(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG RegDeleteValue(HKEY key, const char* name);
// Deletes subKey with its values; ERROR_ACCESS_DENIED while it has subkeys of its own.
LONG RegDeleteKey(HKEY key, const char* subKey);
// Names of the direct subkeys of key, in the order they were made.
LONG RegEnumKeys(HKEY key, std::vector<std::string>& names);
LONG RegCloseKey(HKEY key);

// The registry file's path: $PALMDESK_ROOT/user.reg.
std::string RegistryFilePath();

}  // namespace win
