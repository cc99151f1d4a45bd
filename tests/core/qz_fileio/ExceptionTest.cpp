// Tests of the error objects, the cause table, the system texts and the assertion report.
#include "core/qz_fileio/Exception.h"

#include "core/qz_fileio/Assertion.h"
#include "core/qz_fileio/FormatLastError.h"
#include "core/qz_fileio/StringTable.h"

#include <gtest/gtest.h>

#include <string>

using namespace qz_gen;

TEST(OsErrorToCause, MapsTheTableAndFallsBackToGeneric) {
    struct Row {
        std::uint32_t error;
        std::int32_t cause;
        const char* name;
    };
    const Row rows[] = {
        {0, kCauseNone, "none"},
        {2, kCauseFileNotFound, "fileNotFound"},
        {107, kCauseFileNotFound, "fileNotFound"},
        {3, kCauseBadPath, "badPath"},
        {267, kCauseBadPath, "badPath"},
        {113, kCauseTooManyOpenFiles, "tooManyOpenFiles"},
        {5, kCauseAccessDenied, "accessDenied"},
        {999, kCauseAccessDenied, "accessDenied"},
        {193, kCauseInvalidFile, "invalidFile"},
        {145, kCauseRemoveCurrentDir, "removeCurrentDir"},
        {62, kCauseDirectoryFull, "directoryFull"},
        {132, kCauseBadSeek, "badSeek"},
        {997, kCauseHardIO, "hardIO"},
        {32, kCauseSharingViolation, "sharingViolation"},
        {167, kCauseLockViolation, "lockViolation"},
        {112, kCauseDiskFull, "diskFull"},
        {38, kCauseEndOfFile, "endOfFile"},
        {1, kCauseGeneric, "generic"},        // not listed
        {1117, kCauseGeneric, "generic"},
        {0xFFFFFFFF, kCauseGeneric, "generic"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.error);
        EXPECT_EQ(OsErrorToCause(row.error), row.cause);
        EXPECT_STREQ(CauseName(OsErrorToCause(row.error)), row.name);
    }
}

TEST(CauseName, OutsideTheTableIsUnknown) {
    EXPECT_STREQ(CauseName(-1), "unknown");
    EXPECT_STREQ(CauseName(15), "unknown");
    EXPECT_STREQ(CauseName(14), "endOfFile");
}

TEST(CFileException, MessageIsTheCauseNameOrTheSystemTextForGeneric) {
    const CFileException named(kCauseSharingViolation, 32, std::string("a.pdb"));
    EXPECT_STREQ(named.GetMessage(), "sharingViolation");
    EXPECT_EQ(named.GetCode(), -1);
    EXPECT_STREQ(named.GetFileName(), "a.pdb");

    const CFileException generic(kCauseGeneric, 1117, std::nullopt);
    EXPECT_STREQ(generic.GetMessage(), "The request could not be performed because of an I/O device error.\r\n");
    EXPECT_EQ(generic.GetFileName(), nullptr);

    const CFileException odd(42, 2, std::nullopt);
    EXPECT_STREQ(odd.GetMessage(), "unknown");
}

TEST(FormatLastError, GivesTheSystemText) {
    EXPECT_EQ(FormatLastError(2).value(), "The system cannot find the file specified.\r\n");
    char buffer[64];
    EXPECT_STREQ(FormatLastError(5, buffer, sizeof buffer), "Access is denied.\r\n");
}

TEST(FormatLastError, UnknownNumberNamesItInHexadecimal) {
    const std::string text = FormatLastError(0xABCDE).value();
    EXPECT_EQ(text.rfind("FormatMessage failed on error 0xabcde for the following reason: ", 0), 0u) << text;
    EXPECT_NE(text.find("cannot find message text"), std::string::npos) << text;
}

TEST(FormatLastError, ShortBufferGetsTheFallbackCutToFit) {
    char buffer[40];
    ASSERT_NE(FormatLastError(112, buffer, sizeof buffer), nullptr);
    EXPECT_EQ(std::string(buffer), "FormatMessage failed on error 0x70 for ");
    EXPECT_EQ(FormatLastError(2, nullptr, 10), nullptr);
}

namespace {
std::string lastAssertion;
AssertionAnswer recordAssertion(const std::string& text) {
    lastAssertion = text;
    return AssertionAnswer::Continue;
}
}  // namespace

TEST(CException, TakesItsTextFromTheStringTable) {
    const CException e(kStrReadError, kCodeReadError);
    EXPECT_STREQ(e.GetMessage(), "File IO read error");
    EXPECT_EQ(e.GetCode(), 7);
    EXPECT_EQ(LoadProgramString(13).value().back(), ' ');  // the trailing blank is part of the text
    EXPECT_EQ(LibraryStrings().size(), 24u);
}

TEST(CException, MissingStringReportsAnAssertionAndCarriesNoText) {
    const auto previous = SetAssertionHandler(&recordAssertion);
    const CException e(9999, 3);
    SetAssertionHandler(previous);
    EXPECT_EQ(e.GetMessage(), nullptr);
    EXPECT_EQ(lastAssertion, "Assertion Failed: File Exception.cpp, Line 50");
}

TEST(CException, ProgramTableAddsAndOverridesTexts) {
    static const StringResource table[] = {{133, "The file is not a valid Typehold database!"}};
    RegisterProgramStrings(table);
    EXPECT_STREQ(CException(133, 0).GetMessage(), "The file is not a valid Typehold database!");
    EXPECT_STREQ(CException(9, 8).GetMessage(), "File IO write error");
}
