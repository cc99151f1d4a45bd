// CharSetNames.cpp
#include "CharSetNames.h"

#include "platform/gdi/CodePages.h"

#include <cctype>
#include <charconv>

namespace {
// "Central European" -> "central-european", "CHINESE_GB2312" -> "chinese-gb2312",
// "Hangul(Johab)" -> "hangul-johab", "OEM/DOS" -> "oem-dos".
std::string key(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c)) {
            out += static_cast<char>(std::tolower(c));
        } else if (!out.empty() && out.back() != '-') {
            out += '-';
        }
    }
    while (!out.empty() && out.back() == '-') out.pop_back();
    return out;
}
}  // namespace

std::optional<int> parseCharSet(const std::string& text) {
    int number = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, number);
    if (!text.empty() && ec == std::errc() && at == end) {
        if (number < 0 || number > 255) return std::nullopt;
        return number;
    }
    const std::string wanted = key(text);
    for (const auto& c : gdi::KnownCharsets())
        if (key(c.script) == wanted) return c.charSet;
    return std::nullopt;
}

std::string charSetScript(int charSet) {
    if (charSet < 0 || charSet > 255) return "";
    for (const auto& c : gdi::KnownCharsets())
        if (c.charSet == charSet) return c.script;
    return "";
}

std::string charSetNames() {
    std::string names;
    for (const auto& c : gdi::KnownCharsets()) names += (names.empty() ? "" : ", ") + key(c.script);
    return names;
}
