// EqualNoCase.h: the comparison Windows uses for key, section and face names: ASCII letters
// without regard to case, every other byte as it is.
#pragma once

#include <cctype>
#include <string_view>

namespace win {

inline bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

}  // namespace win
