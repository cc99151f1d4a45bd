// SystemMessages.cpp: the message table of the error numbers the desktop stand-ins produce.
#include "SystemMessages.h"

#include "Win32Error.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace win {

namespace {
struct MessageEntry {
    std::uint32_t error;
    std::string_view text;
};

// Sorted by error number for the binary search below.
constexpr std::array kMessages{
    MessageEntry{0, "The operation completed successfully.\r\n"},
    MessageEntry{2, "The system cannot find the file specified.\r\n"},
    MessageEntry{3, "The system cannot find the path specified.\r\n"},
    MessageEntry{4, "The system cannot open the file.\r\n"},
    MessageEntry{5, "Access is denied.\r\n"},
    MessageEntry{6, "The handle is invalid.\r\n"},
    MessageEntry{8, "Not enough memory resources are available to process this command.\r\n"},
    MessageEntry{15, "The system cannot find the drive specified.\r\n"},
    MessageEntry{17, "The system cannot move the file to a different disk drive.\r\n"},
    MessageEntry{19, "The media is write protected.\r\n"},
    MessageEntry{25, "The drive cannot locate a specific area or track on the disk.\r\n"},
    MessageEntry{32, "The process cannot access the file because it is being used by another "
                     "process.\r\n"},
    MessageEntry{33, "The process cannot access the file because another process has locked a "
                     "portion of the file.\r\n"},
    MessageEntry{38, "Reached the end of the file.\r\n"},
    MessageEntry{80, "The file exists.\r\n"},
    MessageEntry{87, "The parameter is incorrect.\r\n"},
    MessageEntry{109, "The pipe has been ended.\r\n"},
    MessageEntry{112, "There is not enough space on the disk.\r\n"},
    MessageEntry{122, "The data area passed to a system call is too small.\r\n"},
    MessageEntry{126, "The specified module could not be found.\r\n"},
    MessageEntry{127, "The specified procedure could not be found.\r\n"},
    MessageEntry{145, "The directory is not empty.\r\n"},
    MessageEntry{183, "Cannot create a file when that file already exists.\r\n"},
    MessageEntry{193, "%1 is not a valid Win32 application.\r\n"},
    MessageEntry{206, "The filename or extension is too long.\r\n"},
    MessageEntry{223, "The file size exceeds the limit allowed and cannot be saved.\r\n"},
    MessageEntry{267, "The directory name is invalid.\r\n"},
    MessageEntry{317, "The system cannot find message text for message number 0x%1 in the message "
                      "file for %2.\r\n"},
    MessageEntry{1117, "The request could not be performed because of an I/O device error.\r\n"},
    MessageEntry{1921, "The name of the file cannot be resolved by the system.\r\n"},
};

std::optional<std::string_view> findText(std::uint32_t error, std::uint32_t languageId) {
    if (languageId != kLangEnglishUs) return std::nullopt;
    const auto* it = std::lower_bound(kMessages.begin(), kMessages.end(), error,
                                      [](const MessageEntry& e, std::uint32_t v) { return e.error < v; });
    if (it == kMessages.end() || it->error != error) return std::nullopt;
    return it->text;
}
}  // namespace

std::optional<std::string> FormatSystemMessage(std::uint32_t error, std::uint32_t languageId) {
    const auto text = findText(error, languageId);
    if (!text) {
        SetLastError(kErrorMessageNotFound);
        return std::nullopt;
    }
    return std::string(*text);
}

std::size_t FormatSystemMessage(std::uint32_t error, std::uint32_t languageId, char* buffer,
                                std::size_t size) {
    const auto text = findText(error, languageId);
    if (!text) {
        SetLastError(kErrorMessageNotFound);
        return 0;
    }
    if (buffer == nullptr || text->size() + 1 > size) {
        SetLastError(kErrorInsufficientBuffer);
        return 0;
    }
    std::memcpy(buffer, text->data(), text->size());
    buffer[text->size()] = '\0';
    return text->size();
}

}  // namespace win
