// Win32Error.h: the Win32 error numbers this desktop stand-in reports, the thread's last error,
// and the translation of POSIX errno values into those numbers.
#pragma once

#include <cstdint>
#include <string_view>

namespace win {

// The Win32 error numbers the file layer can produce. Their values are the ones Windows uses, so
// that code written against the real error numbers (cause tables, message texts) works unchanged.
enum Win32Error : std::uint32_t {
    kErrorSuccess = 0,
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorTooManyOpenFiles = 4,
    kErrorAccessDenied = 5,
    kErrorInvalidHandle = 6,
    kErrorNotEnoughMemory = 8,
    kErrorInvalidDrive = 15,
    kErrorNotSameDevice = 17,
    kErrorWriteProtect = 19,
    kErrorSeek = 25,
    kErrorSharingViolation = 32,
    kErrorLockViolation = 33,
    kErrorHandleEof = 38,
    kErrorFileExists = 80,
    kErrorInvalidParameter = 87,
    kErrorBrokenPipe = 109,
    kErrorDiskFull = 112,
    kErrorInsufficientBuffer = 122,
    kErrorDirNotEmpty = 145,
    kErrorAlreadyExists = 183,
    kErrorFilenameTooLong = 206,
    kErrorFileTooLarge = 223,
    kErrorDirectory = 267,
    kErrorMessageNotFound = 317,
    kErrorIoDevice = 1117,
    kErrorCantResolveFilename = 1921,
};

// The calling thread's last error, as GetLastError/SetLastError keep it.
std::uint32_t GetLastError();
void SetLastError(std::uint32_t error);

// The Win32 error number Windows reports for the condition a POSIX call signalled with errno.
// Values without a closer counterpart become ERROR_IO_DEVICE, so that no failure is ever reported
// as success.
std::uint32_t errorFromErrno(int errnoValue);

// Like errorFromErrno, for a failed open or create of path: Windows tells a missing file apart
// from a missing folder (ERROR_PATH_NOT_FOUND), which POSIX reports alike as ENOENT.
std::uint32_t errorFromErrnoForPath(int errnoValue, std::string_view path);

}  // namespace win
