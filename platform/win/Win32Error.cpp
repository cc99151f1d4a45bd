// Win32Error.cpp: errno to Win32 error numbers, and the per-thread last error.
#include "Win32Error.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>

namespace win {

namespace {
thread_local std::uint32_t lastError = kErrorSuccess;

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

std::uint32_t GetLastError() { return lastError; }
void SetLastError(std::uint32_t error) { lastError = error; }

std::uint32_t errorFromErrno(int errnoValue) {
    switch (errnoValue) {
    case 0: return kErrorSuccess;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    case ENOMEM: return kErrorNotEnoughMemory;
    case ENODEV:
    case ENXIO: return kErrorInvalidDrive;
    case EXDEV: return kErrorNotSameDevice;
    case EROFS: return kErrorWriteProtect;
    case ESPIPE: return kErrorSeek;
    case EBUSY:
    case ETXTBSY: return kErrorSharingViolation;
    case EWOULDBLOCK: return kErrorLockViolation;
    case EEXIST: return kErrorFileExists;
    case EINVAL: return kErrorInvalidParameter;
    case EPIPE: return kErrorBrokenPipe;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case ENAMETOOLONG: return kErrorFilenameTooLong;
    case EFBIG: return kErrorFileTooLarge;
    case ELOOP: return kErrorCantResolveFilename;
    default: return kErrorIoDevice;
    }
}

std::uint32_t errorFromErrnoForPath(int errnoValue, std::string_view path) {
    if (errnoValue != ENOENT) return errorFromErrno(errnoValue);
    const std::string p(path);
    const auto slash = p.find_last_of('/');
    if (slash == std::string::npos) return kErrorFileNotFound;
    const std::string folder = slash == 0 ? "/" : p.substr(0, slash);
    return isDirectory(folder) ? kErrorFileNotFound : kErrorPathNotFound;
}

}  // namespace win
