// CodePages.cpp: code page tables through iconv.
#include "CodePages.h"

#include "platform/bytes/ByteOrder.h"

#include <cerrno>
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
        // A lead byte of a double-byte code page is incomplete alone and gives no character.
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) || outLeft != 4) continue;
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

const std::array<std::uint32_t, 256>& ByteToUnicode(std::uint32_t codePage) {
    static std::mutex mutex;
    static std::map<std::uint32_t, std::unique_ptr<std::array<std::uint32_t, 256>>> tables;
    std::lock_guard lock(mutex);
    auto& slot = tables[codePage];
    if (!slot) slot = std::make_unique<std::array<std::uint32_t, 256>>(buildTable(codePage));
    return *slot;
}

}  // namespace gdi
