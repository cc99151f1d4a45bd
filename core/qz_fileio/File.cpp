// File.cpp: CFile over open/read/write/lseek, with Win32 error numbers in its exceptions.
#include "File.h"

#include "Exception.h"
#include "StringTable.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/FileCalls.h"
#include "platform/win/Win32Error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qz_gen {

namespace {
int accessFlags(std::uint32_t flags) {
    switch (flags & 0x3) {
    case CFile::modeWrite: return O_WRONLY;
    case CFile::modeReadWrite: return O_RDWR;
    default: return O_RDONLY;
    }
}

// The advisory lock that stands for the Win32 share mode; 0 for none.
int lockFor(std::uint32_t flags) {
    const std::uint32_t share = flags & 0x70;
    if (share == CFile::shareDenyNone) return 0;
    const bool writes = (flags & 0x3) != CFile::modeRead;
    const bool othersMayRead = share == CFile::shareDenyWrite;
    return (writes || !othersMayRead) ? LOCK_EX : LOCK_SH;
}

[[noreturn]] void throwLastErrno(int errnoValue, const std::optional<std::string>& fileName) {
    const std::uint32_t error = win::errorFromErrno(errnoValue);
    win::SetLastError(error);
    ThrowFileException(OsErrorToCause(error), error, fileName);
}
}  // namespace

CFile::~CFile() { Close(); }

bool CFile::Open(const std::string& path, std::uint32_t flags) {
    Close();
    int openFlags = accessFlags(flags);
    if ((flags & modeNoInherit) != 0) openFlags |= O_CLOEXEC;
    const bool create = (flags & modeCreate) != 0;
    const bool truncate = create && (flags & modeNoTruncate) == 0;
    if (create) openFlags |= O_CREAT;
    // A file that is created for reading only still needs write access to be truncated.
    if (truncate && (openFlags & O_ACCMODE) == O_RDONLY) openFlags = (openFlags & ~O_ACCMODE) | O_RDWR;

    const int fd = ::open(path.c_str(), openFlags, 0666);
    if (fd < 0) {
        const std::uint32_t error = win::errorFromErrnoForPath(errno, path);
        win::SetLastError(error);
        ThrowFileException(OsErrorToCause(error), error, path);
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        win::SetLastError(win::kErrorAccessDenied);
        ThrowFileException(kCauseAccessDenied, win::kErrorAccessDenied, path);
    }
    // Lock before truncating, so that a file another program holds is never emptied.
    if (const int lock = lockFor(flags); lock != 0 && ::flock(fd, lock | LOCK_NB) != 0) {
        const int lockErrno = errno;
        ::close(fd);
        const std::uint32_t error =
            lockErrno == EWOULDBLOCK ? win::kErrorSharingViolation : win::errorFromErrno(lockErrno);
        win::SetLastError(error);
        ThrowFileException(OsErrorToCause(error), error, path);
    }
    if (truncate && ::ftruncate(fd, 0) != 0) {
        const int truncErrno = errno;
        ::close(fd);
        throwLastErrno(truncErrno, path);
    }
    handle_ = fd;
    filePath_ = path;
    return true;
}

void CFile::Close() {
    if (handle_ == kClosed) return;
    ::close(handle_);
    handle_ = kClosed;
}

std::uint32_t CFile::Write(const void* buffer, std::uint32_t n) {
    const std::span<const std::uint8_t> whole[] = {{static_cast<const std::uint8_t*>(buffer), n}};
    WriteParts(whole);
    return n;
}

void CFile::WriteParts(std::span<const std::span<const std::uint8_t>> parts) {
    // A write of nothing still passes through the file calls, so that a test that ends the
    // process at each step of a save finds the same steps whatever their sizes.
    const bool written = win::TotalSize(parts) == 0 ? win::Writev(handle_, nullptr, 0) == 0
                                                    : win::WriteParts(handle_, parts);
    if (!written) throwLastErrno(errno, filePath_);
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t n) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::uint32_t done = 0;
    while (done < n) {
        const ssize_t got = ::read(handle_, bytes + done, n - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) ThrowException(kStrReadError, kCodeReadError);
        done += static_cast<std::uint32_t>(got);
    }
    return done;
}

std::int64_t CFile::Seek(std::int64_t offset, int origin) {
    int whence = SEEK_SET;
    if (origin == current) whence = SEEK_CUR;
    else if (origin == end) whence = SEEK_END;
    else if (origin != begin) ThrowException(kStrFileIo, kCodeSeekError);
    const off_t position = ::lseek(handle_, static_cast<off_t>(offset), whence);
    if (position < 0) ThrowException(kStrFileIo, kCodeSeekError);
    return position;
}

std::int64_t CFile::GetPosition() { return Seek(0, current); }

void CFile::Flush() {
    if (handle_ == kClosed || win::Fsync(handle_) != 0) ThrowException(kStrWriteError, kCodeWriteError);
}

void CFile::SetLength(std::int64_t length) {
    Seek(length, begin);
    if (win::Ftruncate(handle_, static_cast<off_t>(length)) != 0) throwLastErrno(errno, std::nullopt);
}

std::int64_t CFile::GetLength() {
    const std::int64_t here = GetPosition();
    const std::int64_t length = Seek(0, end);
    Seek(here, begin);
    return length;
}

void CFile::Reserve(std::int64_t length) {
    if (length <= 0) return;
    if (win::Reserve(handle_, static_cast<off_t>(length)) != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
        throwLastErrno(errno, filePath_);
}

void CFile::Remove(const std::string& path) {
    if (win::Unlink(path) != 0) {
        const std::uint32_t error = win::errorFromErrnoForPath(errno, path);
        win::SetLastError(error);
        ThrowFileException(OsErrorToCause(error), error, std::nullopt);
    }
}

bool CFile::Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace qz_gen
