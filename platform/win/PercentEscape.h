// PercentEscape.h: bytes written as "%XX" (two upper-case hexadecimal digits) where a name must
// not hold them as they are: database names as file names, lock names, picture names.
#pragma once

#include <string>
#include <string_view>

namespace win {

inline void AppendPercentEscape(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += '%';
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

// text with every byte for which mustEscape is true written as "%XX".
template <typename Predicate>
std::string PercentEscape(std::string_view text, Predicate mustEscape) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (mustEscape(byte)) AppendPercentEscape(out, byte);
        else out += c;
    }
    return out;
}

}  // namespace win
