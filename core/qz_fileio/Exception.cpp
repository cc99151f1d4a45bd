// Exception.cpp: the exception classes, the cause names and the error-number table.
#include "Exception.h"

#include "Assertion.h"
#include "FormatLastError.h"
#include "StringTable.h"
#include "platform/win/WindowsPath.h"

#include <array>

namespace qz_gen {

namespace {
constexpr std::array<const char*, 15> kCauseNames{
    "none",        "generic",        "fileNotFound",      "badPath",      "tooManyOpenFiles",
    "accessDenied", "invalidFile",   "removeCurrentDir",  "directoryFull", "badSeek",
    "hardIO",      "sharingViolation", "lockViolation",   "diskFull",     "endOfFile",
};

// Win32 error numbers that fall under a cause other than generic.
struct ErrorCause {
    std::uint32_t error;
    std::int32_t cause;
};

constexpr ErrorCause kErrorCauses[] = {
    {0, kCauseNone},
    {2, kCauseFileNotFound}, {6, kCauseFileNotFound}, {18, kCauseFileNotFound},
    {107, kCauseFileNotFound},
    {3, kCauseBadPath}, {15, kCauseBadPath}, {17, kCauseBadPath}, {34, kCauseBadPath},
    {52, kCauseBadPath}, {53, kCauseBadPath}, {55, kCauseBadPath}, {67, kCauseBadPath},
    {70, kCauseBadPath}, {85, kCauseBadPath}, {111, kCauseBadPath}, {123, kCauseBadPath},
    {124, kCauseBadPath}, {125, kCauseBadPath}, {144, kCauseBadPath}, {154, kCauseBadPath},
    {161, kCauseBadPath}, {206, kCauseBadPath}, {208, kCauseBadPath}, {267, kCauseBadPath},
    {4, kCauseTooManyOpenFiles}, {36, kCauseTooManyOpenFiles}, {68, kCauseTooManyOpenFiles},
    {113, kCauseTooManyOpenFiles},
    {5, kCauseAccessDenied}, {12, kCauseAccessDenied}, {19, kCauseAccessDenied},
    {29, kCauseAccessDenied}, {54, kCauseAccessDenied}, {58, kCauseAccessDenied},
    {64, kCauseAccessDenied}, {65, kCauseAccessDenied}, {71, kCauseAccessDenied},
    {80, kCauseAccessDenied}, {82, kCauseAccessDenied}, {86, kCauseAccessDenied},
    {170, kCauseAccessDenied}, {183, kCauseAccessDenied}, {999, kCauseAccessDenied},
    {11, kCauseInvalidFile}, {26, kCauseInvalidFile}, {60, kCauseInvalidFile},
    {66, kCauseInvalidFile}, {114, kCauseInvalidFile}, {182, kCauseInvalidFile},
    {191, kCauseInvalidFile}, {193, kCauseInvalidFile},
    {16, kCauseRemoveCurrentDir}, {145, kCauseRemoveCurrentDir},
    {62, kCauseDirectoryFull},
    {24, kCauseBadSeek}, {25, kCauseBadSeek}, {27, kCauseBadSeek}, {30, kCauseBadSeek},
    {131, kCauseBadSeek}, {132, kCauseBadSeek},
    {20, kCauseHardIO}, {21, kCauseHardIO}, {22, kCauseHardIO}, {23, kCauseHardIO},
    {57, kCauseHardIO}, {59, kCauseHardIO}, {88, kCauseHardIO}, {117, kCauseHardIO},
    {995, kCauseHardIO}, {996, kCauseHardIO}, {997, kCauseHardIO},
    {32, kCauseSharingViolation},
    {33, kCauseLockViolation}, {108, kCauseLockViolation}, {167, kCauseLockViolation},
    {39, kCauseDiskFull}, {112, kCauseDiskFull},
    {38, kCauseEndOfFile},
};

// The source name and line the assertion report gives for a string that cannot be loaded.
constexpr const char* kExceptionSource = "Exception.cpp";
constexpr int kMissingStringLine = 50;

std::optional<std::string> loadText(std::uint32_t stringId) {
    if (auto text = LoadProgramString(stringId)) return std::string(*text);
    ReportAssertion(kExceptionSource, kMissingStringLine);
    return std::nullopt;
}

std::string fileExceptionMessage(std::int32_t cause, std::uint32_t osError) {
    if (cause == kCauseGeneric) {
        char text[512];
        if (FormatLastError(osError, text, sizeof text)) return text;
    }
    return CauseName(cause);
}
}  // namespace

CException::CException(std::uint32_t stringId, std::int32_t code)
    : message_(loadText(stringId)), code_(code) {}

CException::CException(std::string message, std::int32_t code)
    : message_(std::move(message)), code_(code) {}

const char* CauseName(std::int32_t cause) {
    if (cause < 0 || cause >= static_cast<std::int32_t>(kCauseNames.size())) return "unknown";
    return kCauseNames[static_cast<std::size_t>(cause)];
}

std::int32_t OsErrorToCause(std::uint32_t osError) {
    for (const auto& row : kErrorCauses)
        if (row.error == osError) return row.cause;
    return kCauseGeneric;
}

CFileException::CFileException(std::int32_t cause, std::uint32_t osError,
                               std::optional<std::string> fileName)
    : CException(fileExceptionMessage(cause, osError), -1),
      cause_(cause),
      osError_(osError),
      fileName_(std::move(fileName)) {}

std::string CauseInWords(std::int32_t cause, const std::string& fileName) {
    const std::string file = fileName.empty() ? "the file" : fileName;
    const std::string folder = fileName.empty() ? "its folder" : win::FolderOf(fileName);
    switch (cause) {
    case kCauseFileNotFound: return "The file " + file + " does not exist.";
    case kCauseBadPath: return "The folder " + folder + " does not exist.";
    case kCauseTooManyOpenFiles: return "Too many files are open. Close some programs and try again.";
    case kCauseAccessDenied:
        return "You may not write to " + file + ", or not read it. Check its permissions and those of " + folder + ".";
    case kCauseInvalidFile: return file + " is not a file that can be opened.";
    case kCauseRemoveCurrentDir: return "The folder " + folder + " is in use and cannot be removed.";
    case kCauseDirectoryFull: return "The folder " + folder + " can take no more files.";
    case kCauseBadSeek: return "A position in " + file + " could not be reached: the file may be damaged.";
    case kCauseHardIO: return "The disk failed while reading or writing " + file + ". Check the disk.";
    case kCauseSharingViolation:
    case kCauseLockViolation: return "Another program is using " + file + ". Close it and try again.";
    case kCauseDiskFull: return "The disk is full. Make room on it and try again.";
    case kCauseEndOfFile: return file + " ends too early: it is damaged or was not written to the end.";
    case kCauseGeneric: return fileName.empty() ? std::string() : "File: " + fileName;
    default: return std::string();
    }
}

std::string ExplainException(const CException& e) {
    const auto* file = dynamic_cast<const CFileException*>(&e);
    if (!file) return std::string();
    return CauseInWords(file->GetCause(), file->GetFileName() ? file->GetFileName() : "");
}

void ThrowFileException(std::int32_t cause, std::uint32_t osError, std::optional<std::string> fileName) {
    throw new CFileException(cause, osError, std::move(fileName));
}

void ThrowException(std::uint32_t stringId, std::int32_t code) {
    throw new CException(stringId, code);
}

}  // namespace qz_gen
