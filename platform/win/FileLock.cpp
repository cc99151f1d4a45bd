// FileLock.cpp: an advisory lock between processes on a lock file, held for the life of the object.
#include "FileLock.h"

#include "DesktopRoot.h"
#include "PercentEscape.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

namespace {
namespace fs = std::filesystem;

constexpr std::size_t kMaxName = 200;  // well below the 255 bytes a file name may have

std::string escaped(const std::string& relative) {
    return PercentEscape(relative, [](unsigned char b) { return b == '%' || b == '/'; });
}

// A long name keeps its end, the part that tells files apart, and a hash of the whole.
std::string shortened(const std::string& name) {
    if (name.size() <= kMaxName) return name;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char prefix[20];
    std::snprintf(prefix, sizeof prefix, "%016llx-", static_cast<unsigned long long>(hash));
    return prefix + name.substr(name.size() - (kMaxName - 17));
}
}  // namespace

std::string LockFilePath(const std::string& path) {
    std::error_code ec;
    const fs::path root = fs::absolute(DesktopRoot(), ec).lexically_normal();
    if (ec || !fs::is_directory(root, ec)) return path;
    const fs::path full = fs::absolute(path, ec).lexically_normal();
    if (ec) return path;
    const fs::path relative = full.lexically_relative(root);
    const bool inside = !relative.empty() && *relative.begin() != "..";
    const fs::path folder = root / ".locks";
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return path;
    return (folder / shortened(escaped((inside ? relative : full).generic_string()))).string();
}

FileLock::FileLock(const std::string& path, bool exclusive, Wait wait) {
    fd_ = ::open(LockFilePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    const int operation = (exclusive ? LOCK_EX : LOCK_SH) | (wait == Wait::No ? LOCK_NB : 0);
    int rc;
    while ((rc = ::flock(fd_, operation)) != 0 && errno == EINTR) {
    }
    held_ = rc == 0;
}

bool FileLock::Describe(const std::string& text) const {
    if (!held_) return false;
    return ::ftruncate(fd_, 0) == 0 && ::pwrite(fd_, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
}

std::string FileLock::Description(const std::string& path) {
    const int fd = ::open(LockFilePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char text[256];
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    ::close(fd);
    return n > 0 ? std::string(text, static_cast<std::size_t>(n)) : std::string();
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace win
