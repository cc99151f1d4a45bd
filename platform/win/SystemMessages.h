// SystemMessages.h: the system's message texts for Win32 error numbers, as FormatMessage gives them
// with FORMAT_MESSAGE_FROM_SYSTEM for U.S. English (language 1033).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace win {

inline constexpr std::uint32_t kLangEnglishUs = 1033;

// The text for error, ending in "\r\n" as Windows writes it. Without a text for the number (or for
// a language other than 1033) the result is empty and the last error is ERROR_MR_MID_NOT_FOUND.
std::optional<std::string> FormatSystemMessage(std::uint32_t error, std::uint32_t languageId);

// The FormatMessage form with a caller's buffer: writes the zero-terminated text into buffer of
// size characters and returns its length, or 0 (last error set) when there is no text or it does
// not fit (ERROR_INSUFFICIENT_BUFFER).
std::size_t FormatSystemMessage(std::uint32_t error, std::uint32_t languageId, char* buffer,
                                std::size_t size);

}  // namespace win
