// ConverterStrings.cpp: the texts of the Typehold Converter.
#include "ConverterStrings.h"

#include "core/qz_fileio/Assertion.h"
#include "core/qz_fileio/StringTable.h"

namespace converter {

namespace {
constexpr qz_gen::StringResource kStrings[] = {
    {kStrAboutCaption, "About Typehold Converter"},
    {kStrCannotLoad, "Can not load the %s. The program can not run. Please contact your program vendor. "},
    {kStrNoPalmUsers, "There are no any Palm users. Please check the users in your Palm desktop manager."},
    {kStrFunctionFailed, "The function %s failed. The error code is %d. Please contact your program vendor."},
    {kStrFunctionMissing, "The function %s is missing in the %s. Please contact your program vendor."},
    {kStrNotTypeholdDatabase, "The file is not a valid Typehold database!"},
    {kStrUnknownFontError, "Unknown font error"},
    {kStrAppName, "Typehold Converter"},
    {kStrFileFilterName, "Typehold file"},
    {kStrFileExtension, "pdb"},
    {kStrMakerAddress, "http://www.corvane.example/"},
    {kStrSaveChanges, "Save changes to %s?"},
    {kStrWillBeInstalled, "The font file \"%s\" will be installed on your handheld during the next HotSync!"},
    {kStrUntitled, "Untitled"},
    {kStrColumnName, "Name"},
    {kStrColumnStyle, "Style"},
    {kStrColumnSize, "Size"},
    {kStrSelectFontFirst, "Please select a font record first!"},
    {kStrConfirmDelete, "The font(s) will be deleted. Are you sure?"},
    {kStrNameTooLong, "The font name can not exceed 63 characters!"},
    {kStrStyleTooLong, "The font style can not exceed 31 characters!"},
    {kStrAll, "All"},
    {kStrSelectFontsToExport, "Please select fonts to be exported!"},
    {kStrAddFonts, "Add Fonts"},
    {kStrNoDefaultStyles, "There are no default font styles to be exported. Please select the font styles to "
                          "be exported."},
    {kStrNoDefaultSizes, "There are no default font sizes to be exported. Please select the font sizes to be "
                         "exported."},
    {kStrAboutText, "Great software for your Palm OS compatible device."},
    {kStrInstallExported, "Install exported fonts"},
    {kStrReady, "Ready"},
    // Status-bar description, then the tooltip after the newline.
    {kStrCommandNew, "Start a new Typehold file\nNew"},
    {kStrCommandOpen, "Open an existing Typehold file\nOpen"},
    {kStrCommandSave, "Save the Typehold file\nSave"},
    {kStrCommandAbout, "Show the program's version\nAbout"},
};

constexpr const char* kSource = "ConverterStrings.cpp";
}  // namespace

std::string LoadConverterString(std::uint32_t id) {
    for (const auto& s : kStrings)
        if (s.id == id) return std::string(s.text);
    qz_gen::ReportAssertion(kSource, __LINE__);
    return std::string();
}

void RegisterConverterStrings() { qz_gen::RegisterProgramStrings(kStrings); }

}  // namespace converter
