// Exception.h: the file library's error objects. They are created on the heap and thrown by
// pointer; the catcher takes ownership at once and destroys the object after showing its text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qz_gen {

class CException {
public:
    // Takes the text of string resource stringId. When no table holds it, the assertion report
    // names this source and the exception carries no text.
    CException(std::uint32_t stringId, std::int32_t code);
    CException(std::string message, std::int32_t code);
    virtual ~CException() = default;

    CException(const CException&) = default;
    CException& operator=(const CException&) = default;

    // Null when the exception carries no text.
    const char* GetMessage() const { return message_ ? message_->c_str() : nullptr; }
    // What a catcher shows: the text, or "Unknown exception" when there is none.
    const char* MessageToShow() const { return message_ ? message_->c_str() : "Unknown exception"; }
    std::int32_t GetCode() const { return code_; }

protected:
    std::optional<std::string> message_;
    std::int32_t code_;
};

// File-error causes, in the order of their names.
enum FileErrorCause : std::int32_t {
    kCauseNone = 0,
    kCauseGeneric = 1,
    kCauseFileNotFound = 2,
    kCauseBadPath = 3,
    kCauseTooManyOpenFiles = 4,
    kCauseAccessDenied = 5,
    kCauseInvalidFile = 6,
    kCauseRemoveCurrentDir = 7,
    kCauseDirectoryFull = 8,
    kCauseBadSeek = 9,
    kCauseHardIO = 10,
    kCauseSharingViolation = 11,
    kCauseLockViolation = 12,
    kCauseDiskFull = 13,
    kCauseEndOfFile = 14,
};

// "none" ... "endOfFile"; "unknown" outside 0 to 14.
const char* CauseName(std::int32_t cause);

// The cause that a Win32 error number falls under; numbers outside the table are generic.
std::int32_t OsErrorToCause(std::uint32_t osError);

class CFileException : public CException {
public:
    // The message is the cause's name, or for a generic cause the system's text for osError.
    CFileException(std::int32_t cause, std::uint32_t osError, std::optional<std::string> fileName);

    std::int32_t GetCause() const { return cause_; }
    std::uint32_t GetOsError() const { return osError_; }
    const char* GetFileName() const { return fileName_ ? fileName_->c_str() : nullptr; }

private:
    std::int32_t cause_;
    std::uint32_t osError_;
    std::optional<std::string> fileName_;
};

// A file error in words for a person: the cause with the file or folder it concerns and, where
// there is one, what to do ("The disk is full. Make room on it and try again."). Empty for an
// exception that is no file error; fileName may be empty.
std::string CauseInWords(std::int32_t cause, const std::string& fileName);
// The same for any of the library's exceptions: the words of a file error, else empty.
std::string ExplainException(const CException& e);

[[noreturn]] void ThrowFileException(std::int32_t cause, std::uint32_t osError,
                                     std::optional<std::string> fileName);

// Throws the CException of string stringId with code.
[[noreturn]] void ThrowException(std::uint32_t stringId, std::int32_t code);

}  // namespace qz_gen
