// PictureNames.cpp: the names a picture has on both sides.
#include "PictureNames.h"

#include "platform/gdi/CodePages.h"
#include "platform/win/PercentEscape.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>

namespace {
constexpr std::uint32_t kHandheldCodePage = 1252;

// Looked up once: the shared table is found under a lock, and names are mapped a byte at a time.
const std::array<std::uint32_t, 256>& byteToUnicode() {
    static const std::array<std::uint32_t, 256>& table = gdi::ByteToUnicode(kHandheldCodePage);
    return table;
}

const std::map<std::uint32_t, char>& unicodeToByte() {
    static const std::map<std::uint32_t, char> table = [] {
        std::map<std::uint32_t, char> t;
        for (std::uint32_t b = 0; b < 256; ++b)
            if (byteToUnicode()[b] != gdi::kNoCharacter) t.emplace(byteToUnicode()[b], static_cast<char>(b));
        return t;
    }();
    return table;
}

bool cannotBeInFileName(unsigned char b) {
    if (b < 0x20 || b == 0x7F) return true;
    if (std::string_view("/\\:*?\"<>|").find(static_cast<char>(b)) != std::string_view::npos) return true;
    return byteToUnicode()[b] == gdi::kNoCharacter;
}

// The bytes an escape can stand for.
bool escapable(unsigned char b) { return cannotBeInFileName(b) || b == '%' || b == '.'; }

int upperHexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte of the escape that starts at s[i], if one does.
std::optional<unsigned char> escapeAt(std::string_view s, std::size_t i) {
    if (s[i] != '%' || s.size() - i < 3) return std::nullopt;
    const int high = upperHexDigit(s[i + 1]), low = upperHexDigit(s[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    const auto b = static_cast<unsigned char>(high * 16 + low);
    if (!escapable(b)) return std::nullopt;
    return b;
}

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {  // the code page has nothing beyond the basic plane
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character of the UTF-8 sequence at s[i] and its length; none when it is not valid UTF-8.
std::optional<std::pair<std::uint32_t, std::size_t>> utf8At(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return std::pair{std::uint32_t(b0), std::size_t(1)};
    std::size_t length = 0;
    std::uint32_t c = 0, least = 0;
    if ((b0 & 0xE0) == 0xC0) length = 2, c = b0 & 0x1F, least = 0x80;
    else if ((b0 & 0xF0) == 0xE0) length = 3, c = b0 & 0x0F, least = 0x800;
    else if ((b0 & 0xF8) == 0xF0) length = 4, c = b0 & 0x07, least = 0x10000;
    else return std::nullopt;
    if (s.size() - i < length) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return std::nullopt;
        c = c << 6 | (b & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    return std::pair{c, length};
}

// The file name's text in the code page, with escapes undone when decodeEscapes is set; none
// when it holds a character the code page lacks or is not UTF-8.
std::optional<std::string> toCodePage(std::string_view s, bool decodeEscapes) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        if (decodeEscapes)
            if (const auto b = escapeAt(s, i)) {
                out += static_cast<char>(*b);
                i += 3;
                continue;
            }
        const auto c = utf8At(s, i);
        if (!c) return std::nullopt;
        const auto it = unicodeToByte().find(c->first);
        if (it == unicodeToByte().end()) return std::nullopt;
        out += it->second;
        i += c->second;
    }
    return out;
}
}  // namespace

std::string FileNameForDatabase(const std::string& name) {
    std::string out;
    const bool onlyDots = name == "." || name == "..";
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (cannotBeInFileName(b) || (onlyDots && i == 0)) win::AppendPercentEscape(out, b);
        else if (escapeAt(name, i)) win::AppendPercentEscape(out, '%');
        else appendUtf8(out, byteToUnicode()[b]);
    }
    return out;
}

std::string DatabaseNameFromFile(const std::string& stem) {
    std::string name;
    bool rawBytes = false;
    if (auto decoded = toCodePage(stem, true); decoded && FileNameForDatabase(*decoded) == stem) {
        name = std::move(*decoded);
    } else if (auto literal = toCodePage(stem, false)) {
        name = std::move(*literal);
    } else {
        name = stem;
        rawBytes = true;
    }
    if (name.size() > kMaxDatabaseName) {
        std::size_t cut = kMaxDatabaseName;
        // Code-page text is one byte a character; UTF-8 bytes are cut before a whole character.
        if (rawBytes)
            while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return name;
}
