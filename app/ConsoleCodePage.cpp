// ConsoleCodePage.cpp: recognising a double-byte locale.
#include "ConsoleCodePage.h"

#include "platform/win/EqualNoCase.h"

#include <clocale>
#include <langinfo.h>
#include <string>

std::optional<std::uint32_t> DoubleByteCodePage(std::string_view codeset) {
    struct Name {
        std::string_view codeset;
        std::uint32_t codePage;
    };
    static constexpr Name kNames[] = {
        {"SHIFT_JIS", 932}, {"SJIS", 932},   {"CP932", 932},      {"WINDOWS-31J", 932},
        {"GBK", 936},       {"GB2312", 936}, {"CP936", 936},      {"EUC-CN", 936},
        {"EUC-KR", 949},    {"CP949", 949},  {"UHC", 949},
        {"BIG5", 950},      {"CP950", 950},  {"BIG5-HKSCS", 950},
    };
    for (const Name& name : kNames)
        if (win::EqualNoCase(name.codeset, codeset)) return name.codePage;
    return std::nullopt;
}

std::optional<std::uint32_t> AdoptDoubleByteLocale() {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "")) return std::nullopt;
    const auto codePage = DoubleByteCodePage(nl_langinfo(CODESET));
    if (!codePage) std::setlocale(LC_ALL, saved.c_str());
    return codePage;
}
