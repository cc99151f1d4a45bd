// FormatLastError.cpp: system error texts with the library's fallback.
#include "FormatLastError.h"

#include "platform/win/SystemMessages.h"
#include "platform/win/Win32Error.h"

#include <cstdio>
#include <new>

namespace qz_gen {

namespace {
constexpr const char* kFallbackFormat = "FormatMessage failed on error 0x%lx for the following reason: %s";

std::string fallbackText(std::uint32_t error) {
    const std::uint32_t formatError = win::GetLastError();
    const std::string reason =
        win::FormatSystemMessage(formatError, win::kLangEnglishUs).value_or(std::string());
    char text[1024];
    std::snprintf(text, sizeof text, kFallbackFormat, static_cast<unsigned long>(error), reason.c_str());
    return text;
}
}  // namespace

std::optional<std::string> FormatLastError(std::uint32_t error) {
    try {
        if (auto text = win::FormatSystemMessage(error, win::kLangEnglishUs)) return text;
        return fallbackText(error);
    } catch (const std::bad_alloc&) {
        std::fputs("Out of memory trying to FormatLastError\r\n", stderr);
        return std::nullopt;
    }
}

char* FormatLastError(std::uint32_t error, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) return nullptr;
    if (win::FormatSystemMessage(error, win::kLangEnglishUs, buffer, size) != 0) return buffer;
    const std::string text = fallbackText(error);
    std::snprintf(buffer, size, "%s", text.c_str());
    return buffer;
}

}  // namespace qz_gen
