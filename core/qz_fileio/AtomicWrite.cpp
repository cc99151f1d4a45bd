// AtomicWrite.cpp: temporary file beside the target, then rename.
#include "AtomicWrite.h"

#include "Exception.h"
#include "File.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/Win32Error.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace qz_gen {

namespace {
void removeQuietly(const std::string& path) { ::unlink(path.c_str()); }

// Refuses, as Windows would, to replace a read-only file, a folder, or a file that another
// program holds open (a sharing violation).
void checkReplaceable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return;  // a new file
    if (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0) {
        win::SetLastError(win::kErrorAccessDenied);
        ThrowFileException(kCauseAccessDenied, win::kErrorAccessDenied, path);
    }
    CFile probe;
    probe.Open(path, CFile::modeReadWrite | CFile::shareExclusive);
}
}  // namespace

void WriteFileAtomically(const std::string& path, const std::function<void(CFile&)>& write) {
    checkReplaceable(path);
    const std::string temporary = win::TemporaryNameBeside(path);
    CFile file;
    file.Open(temporary, CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoInherit);
    try {
        // The replacement keeps the permissions of the file it replaces.
        struct stat old {};
        if (::stat(path.c_str(), &old) == 0) ::chmod(temporary.c_str(), old.st_mode & 07777);
        write(file);
        file.Flush();
        file.Close();
        if (std::rename(temporary.c_str(), path.c_str()) != 0) {
            const std::uint32_t error = win::errorFromErrnoForPath(errno, path);
            win::SetLastError(error);
            ThrowFileException(OsErrorToCause(error), error, path);
        }
    } catch (...) {
        file.Close();
        removeQuietly(temporary);
        throw;
    }
}

}  // namespace qz_gen
