// FormatLastError.h: the system's text for a Win32 error number, with a readable fallback when
// the system has none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qz_gen {

// The system text of error in U.S. English. When there is none, the text
// "FormatMessage failed on error 0x<error> for the following reason: <text of the new error>".
// None only when memory for the fallback cannot be had.
std::optional<std::string> FormatLastError(std::uint32_t error);

// The same into the caller's buffer of size bytes (zero-terminated, cut to fit); returns buffer,
// or nullptr when buffer is null or size is 0.
char* FormatLastError(std::uint32_t error, char* buffer, std::size_t size);

}  // namespace qz_gen
