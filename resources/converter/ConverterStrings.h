// ConverterStrings.h: the Typehold Converter's string table (its user-visible texts by number).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace converter {

enum StringId : std::uint32_t {
    kStrAboutCaption = 100,
    kStrCannotLoad = 129,
    kStrNoPalmUsers = 130,
    kStrFunctionFailed = 131,
    kStrFunctionMissing = 132,
    kStrNotTypeholdDatabase = 133,
    kStrUnknownFontError = 134,
    kStrAppName = 135,
    kStrFileFilterName = 136,
    kStrFileExtension = 137,
    kStrMakerAddress = 138,
    kStrSaveChanges = 140,
    kStrWillBeInstalled = 141,
    kStrUntitled = 142,
    kStrColumnName = 143,
    kStrColumnStyle = 144,
    kStrColumnSize = 145,
    kStrSelectFontFirst = 146,
    kStrConfirmDelete = 147,
    kStrNameTooLong = 148,
    kStrStyleTooLong = 149,
    kStrAll = 150,
    kStrStyleRegular = 151,
    kStrStyleBold = 152,
    kStrStyleItalic = 153,
    kStrStyleBoldItalic = 154,
    kStrSelectFontsToExport = 155,
    kStrAddFonts = 156,
    kStrNoDefaultStyles = 157,
    kStrNoDefaultSizes = 158,
    kStrAboutText = 159,
    kStrInstallExported = 213,
    kStrReady = 57345,
    kStrCommandNew = 57600,
    kStrCommandOpen = 57601,
    kStrCommandSave = 57603,
    kStrCommandAbout = 57664,
};

// The maker's name as the banner and the About box show it (not a numbered text).
inline constexpr const char* kMakerName = "Corvane Software, Inc.";

// The text of id; an empty text (and an assertion report) when the table has no such string.
std::string LoadConverterString(std::uint32_t id);

// The text of id with its printf arguments filled in (texts as const char*, numbers as int).
template <typename... Args>
std::string FormatConverterString(std::uint32_t id, Args... args) {
    const std::string pattern = LoadConverterString(id);
    const int length = std::snprintf(nullptr, 0, pattern.c_str(), args...);
    if (length < 0) return pattern;
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), pattern.c_str(), args...);
    text.pop_back();
    return text;
}

// Makes the table the program's own, so that qz_gen::CException can raise its texts by number.
void RegisterConverterStrings();

}  // namespace converter
