// WholeFile.h: a file's bytes read whole (one read of the size the file has), or its first bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace win {

// None when the file cannot be opened or read (a folder included).
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path);
// At most count bytes from the start of the file (fewer when it is shorter); none when it cannot
// be opened or read.
std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::string& path, std::size_t count);

}  // namespace win
