// FileLock.cpp
#include "FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace win {

FileLock::FileLock(const std::string& path, bool exclusive, Wait wait) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    const int operation = (exclusive ? LOCK_EX : LOCK_SH) | (wait == Wait::No ? LOCK_NB : 0);
    int rc;
    while ((rc = ::flock(fd_, operation)) != 0 && errno == EINTR) {
    }
    held_ = rc == 0;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace win
