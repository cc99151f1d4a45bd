// PictureNames.cpp: the names a picture has on both sides.
#include "PictureNames.h"

#include "platform/gdi/CodePages.h"
#include "platform/win/PercentEscape.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

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

bool inCodePage(std::uint32_t c) { return unicodeToByte().count(c) != 0; }

// The character a run of escapes at s[i] stands for, and the run's length: the escaped UTF-8
// bytes of one character the code page lacks (how a file name's foreign character is kept on
// the handheld). None when there is no such run at i.
std::optional<std::pair<std::uint32_t, std::size_t>> foreignCharacterAt(std::string_view s, std::size_t i) {
    std::string utf8;
    for (std::size_t k = i; utf8.size() < 4 && s.size() - k >= 3 && s[k] == '%'; k += 3) {
        const int high = upperHexDigit(s[k + 1]), low = upperHexDigit(s[k + 2]);
        if (high < 0 || low < 0 || high < 8) break;
        utf8 += static_cast<char>(high * 16 + low);
        const auto c = gdi::Utf8At(utf8, 0);
        if (c && c->second == utf8.size()) {
            if (inCodePage(c->first)) return std::nullopt;
            return std::pair{c->first, 3 * utf8.size()};
        }
    }
    return std::nullopt;
}

// The file name's text in the code page, with escapes undone when decodeEscapes is set; a
// character the code page lacks becomes the escapes of its UTF-8 bytes. ends, when given, gets
// the end of each character's bytes, where the text may be cut. None when it is not UTF-8.
std::optional<std::string> toCodePage(std::string_view s, bool decodeEscapes, std::vector<std::size_t>* ends) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        if (decodeEscapes)
            if (const auto b = escapeAt(s, i)) {
                out += static_cast<char>(*b);
                i += 3;
                if (ends) ends->push_back(out.size());
                continue;
            }
        const auto c = gdi::Utf8At(s, i);
        if (!c) return std::nullopt;
        const auto it = unicodeToByte().find(c->first);
        if (it != unicodeToByte().end()) out += it->second;
        else for (std::size_t k = 0; k < c->second; ++k) win::AppendPercentEscape(out, static_cast<unsigned char>(s[i + k]));
        i += c->second;
        if (ends) ends->push_back(out.size());
    }
    return out;
}

// text cut to at most limit bytes at the last character end that fits.
std::string cutAt(std::string text, const std::vector<std::size_t>& ends, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t cut = 0;
    for (const std::size_t end : ends)
        if (end <= limit) cut = end;
    text.resize(cut);
    return text;
}
}  // namespace

std::string FileNameForDatabase(const std::string& name) {
    std::string out;
    const bool onlyDots = name == "." || name == "..";
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (const auto foreign = foreignCharacterAt(name, i)) {
            gdi::AppendUtf8(out, foreign->first);
            i += foreign->second - 1;
        } else if (cannotBeInFileName(b) || (onlyDots && i == 0)) {
            win::AppendPercentEscape(out, b);
        } else if (escapeAt(name, i)) {
            win::AppendPercentEscape(out, '%');
        } else {
            gdi::AppendUtf8(out, byteToUnicode()[b]);
        }
    }
    return out;
}

std::string HandheldNameOf(const std::string& text, std::size_t maxBytes) {
    std::vector<std::size_t> ends;
    if (auto name = toCodePage(text, false, &ends)) return cutAt(std::move(*name), ends, maxBytes);
    // Not UTF-8: the bytes, not cut inside what looks like a UTF-8 sequence.
    std::size_t cut = std::min(maxBytes, text.size());
    if (cut < text.size())
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

std::string DatabaseNameFromFile(const std::string& stem) {
    std::vector<std::size_t> ends;
    if (auto decoded = toCodePage(stem, true, &ends); decoded && FileNameForDatabase(*decoded) == stem)
        return cutAt(std::move(*decoded), ends, kMaxDatabaseName);
    return HandheldNameOf(stem, kMaxDatabaseName);
}
