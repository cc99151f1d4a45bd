// TextForJson.cpp: byte text to UTF-8 for the JSON the tool prints.
#include "TextForJson.h"

#include "app/ConsoleCodePage.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/gdi/CodePages.h"

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return out;
}

std::string fourCharCode(std::uint32_t code) {
    std::uint8_t chars[4];
    bytes::storeU32BE(chars, code);
    return latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(chars), sizeof chars));
}

std::uint32_t desktopCodePage() {
    static const std::uint32_t codePage = AdoptDoubleByteLocale().value_or(1252);
    return codePage;
}

std::string desktopText(std::string_view bytes) { return gdi::CodePageToUtf8(bytes, desktopCodePage()); }
