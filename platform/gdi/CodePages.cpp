// CodePages.cpp: code page tables and text conversion through iconv.
#include "CodePages.h"

#include "platform/bytes/ByteOrder.h"

#include <cerrno>
#include <cstdio>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>

namespace gdi {

namespace {
constexpr std::array<CharsetInfo, 17> kCharsets{{
    {0, 1252, "Western", 0},
    {238, 1250, "Central European", 1},
    {204, 1251, "Cyrillic", 2},
    {161, 1253, "Greek", 3},
    {162, 1254, "Turkish", 4},
    {177, 1255, "Hebrew", 5},
    {178, 1256, "Arabic", 6},
    {186, 1257, "Baltic", 7},
    {163, 1258, "Vietnamese", 8},
    {222, 874, "Thai", 16},
    {128, 932, "Japanese", 17},
    {134, 936, "CHINESE_GB2312", 18},
    {129, 949, "Hangul", 19},
    {136, 950, "CHINESE_BIG5", 20},
    {130, 1361, "Hangul(Johab)", 21},
    {2, kSymbolCodePage, "Symbol", 31},
    {255, 437, "OEM/DOS", -1},
}};

std::string iconvName(std::uint32_t codePage) {
    if (codePage == 1361) return "JOHAB";
    return "CP" + std::to_string(codePage);
}

std::array<std::uint32_t, 256> buildTable(std::uint32_t codePage) {
    std::array<std::uint32_t, 256> table;
    table.fill(kNoCharacter);
    if (codePage == kSymbolCodePage) {
        for (std::uint32_t b = 0; b < 256; ++b) table[b] = b;
        return table;
    }
    const iconv_t cd = iconv_open("UTF-32LE", iconvName(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (std::uint32_t b = 0; b < 0x80; ++b) table[b] = b;  // unknown code page: ASCII only
        return table;
    }
    for (std::uint32_t b = 0; b < 256; ++b) {
        char in[1] = {static_cast<char>(b)};
        std::uint8_t out[8] = {};
        char* inp = in;
        char* outp = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        // A lead byte of a double-byte code page is incomplete alone and gives no character. A
        // code page with combining marks (1258) holds a letter back until it sees what follows:
        // the end of the input lets it go.
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) ||
            iconv(cd, nullptr, nullptr, &outp, &outLeft) == static_cast<std::size_t>(-1) || outLeft != 4)
            continue;
        table[b] = bytes::loadU32LE(out);
    }
    iconv_close(cd);
    return table;
}
}  // namespace

const std::array<CharsetInfo, 17>& KnownCharsets() { return kCharsets; }

std::optional<CharsetInfo> CharsetFor(std::uint8_t charSet) {
    if (charSet == 1) charSet = 0;  // DEFAULT_CHARSET: the ANSI code page
    for (const auto& c : kCharsets)
        if (c.charSet == charSet) return c;
    return std::nullopt;
}

namespace {
// The private-use characters that stand for bytes without a character of their own.
constexpr std::uint32_t kByteCharacters = 0xF700;

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using Converter = std::unique_ptr<void, IconvCloser>;

Converter openConverter(const std::string& to, const std::string& from) {
    const iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return Converter(cd);
}

// in converted whole by cd from its initial state; none when any of it does not convert.
std::optional<std::string> convertWhole(void* cd, std::string_view in) {
    iconv(static_cast<iconv_t>(cd), nullptr, nullptr, nullptr, nullptr);
    std::string out(in.size() * 4 + 8, '\0');
    char* inp = const_cast<char*>(in.data());
    char* outp = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    if (iconv(static_cast<iconv_t>(cd), &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) ||
        iconv(static_cast<iconv_t>(cd), nullptr, nullptr, &outp, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// Whether text is taken byte for byte: the symbol code page, or one iconv does not know (ASCII).
bool mapsBytesToThemselves(std::uint32_t codePage, const void* converter) {
    return codePage == kSymbolCodePage || converter == nullptr;
}

// The converter from UTF-8 into codePage, opened once per thread: opening one looks its tables
// up, far more work than the few characters of a font's name and style, which a conversion
// batch encodes for every font. A converter that cannot be opened is tried again next time.
void* encoderFor(std::uint32_t codePage) {
    thread_local std::map<std::uint32_t, Converter> encoders;
    if (const auto it = encoders.find(codePage); it != encoders.end()) return it->second.get();
    Converter opened = openConverter(iconvName(codePage), "UTF-8");
    if (!opened) return nullptr;
    return encoders.emplace(codePage, std::move(opened)).first->second.get();
}

// The longest character of the code pages converted here (double-byte ones).
constexpr std::size_t kLongestCharacter = 2;
}  // namespace

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::optional<std::pair<std::uint32_t, std::size_t>> Utf8At(std::string_view s, std::size_t i) {
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

std::string CodePageToUtf8(std::string_view bytes, std::uint32_t codePage) {
    const Converter decode = openConverter("UTF-8", iconvName(codePage));
    const Converter encode = openConverter(iconvName(codePage), "UTF-8");
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (mapsBytesToThemselves(codePage, decode.get()) || !encode) {
            if (b < 0x80 || codePage == kSymbolCodePage) AppendUtf8(out, b);
            else AppendUtf8(out, kByteCharacters + b);
            ++i;
            continue;
        }
        // One character of one or two bytes, taken only when it converts back to the same bytes.
        std::size_t taken = 0;
        for (std::size_t length = 1; length <= kLongestCharacter && i + length <= bytes.size() && taken == 0; ++length) {
            const std::string_view unit = bytes.substr(i, length);
            const auto text = convertWhole(decode.get(), unit);
            if (!text || text->empty() || !Utf8At(*text, 0) || Utf8At(*text, 0)->second != text->size()) continue;
            const std::uint32_t c = Utf8At(*text, 0)->first;
            if (c >= kByteCharacters && c <= kByteCharacters + 0xFF) break;  // would read back as a byte
            if (convertWhole(encode.get(), *text) != std::string(unit)) break;
            out += *text;
            taken = length;
        }
        if (taken == 0) {
            AppendUtf8(out, kByteCharacters + b);
            taken = 1;
        }
        i += taken;
    }
    return out;
}

CodePageText CodePageFromUtf8(std::string_view utf8, std::uint32_t codePage) {
    void* const encode = encoderFor(codePage);
    CodePageText result;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = Utf8At(utf8, i);
        if (!c) return result;
        const std::string_view unit = utf8.substr(i, c->second);
        i += c->second;
        if (c->first >= kByteCharacters && c->first <= kByteCharacters + 0xFF) {
            result.bytes += static_cast<char>(c->first - kByteCharacters);
            continue;
        }
        if (mapsBytesToThemselves(codePage, encode)) {
            if (c->first < 0x80 || (codePage == kSymbolCodePage && c->first < 0x100)) {
                result.bytes += static_cast<char>(c->first);
                continue;
            }
        } else if (const auto bytes = convertWhole(encode, unit)) {
            result.bytes += *bytes;
            continue;
        }
        result.missing = c->first;
        return result;
    }
    result.ok = true;
    return result;
}

std::size_t DisplayWidth(std::string_view utf8) {
    // The ranges of wide characters: Hangul Jamo, CJK and its punctuation, Hangul syllables, CJK
    // compatibility, full-width forms.
    constexpr std::pair<std::uint32_t, std::uint32_t> kWide[] = {
        {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0xA4CF}, {0xAC00, 0xD7A3},
        {0xF900, 0xFAFF}, {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6},
    };
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = Utf8At(utf8, i);
        if (!c) {
            ++width;
            ++i;
            continue;
        }
        bool wide = false;
        for (const auto& [first, last] : kWide) wide = wide || (c->first >= first && c->first <= last);
        width += wide ? 2 : 1;
        i += c->second;
    }
    return width;
}

std::string PadToWidth(const std::string& text, std::size_t width) {
    const std::size_t used = DisplayWidth(text);
    return used >= width ? text : text + std::string(width - used, ' ');
}

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = Utf8At(text, i);
        if (!c) return false;
        i += c->second;
    }
    return true;
}

std::string DescribeCharacter(std::uint32_t character) {
    if (character == kNoCharacter) return "a byte that is not UTF-8";
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
    std::string text = "\"";
    AppendUtf8(text, character);
    return text + "\" (" + code + ")";
}

const std::array<std::uint32_t, 256>& ByteToUnicode(std::uint32_t codePage) {
    static std::mutex mutex;
    static std::map<std::uint32_t, std::unique_ptr<std::array<std::uint32_t, 256>>> tables;
    std::lock_guard lock(mutex);
    auto& slot = tables[codePage];
    if (!slot) slot = std::make_unique<std::array<std::uint32_t, 256>>(buildTable(codePage));
    return *slot;
}

}  // namespace gdi
