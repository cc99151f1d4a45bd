// WholeFile.cpp
#include "WholeFile.h"

#include <fstream>
#include <iterator>

namespace win {

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace win
