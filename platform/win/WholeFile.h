// WholeFile.h: a file's bytes read whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace win {

// None when the file cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path);

}  // namespace win
