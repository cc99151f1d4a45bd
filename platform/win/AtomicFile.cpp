// AtomicFile.cpp
#include "AtomicFile.h"

#include "FileCalls.h"
#include "MappedFile.h"
#include "WindowsPath.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <optional>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <vector>
#include <unistd.h>

namespace win {

namespace {
// Writes parts held in memory, as WriteParts does.
bool writeGathered(int fd, std::span<const std::span<const std::uint8_t>> parts) {
    constexpr std::size_t kMaxParts = 1024;  // IOV_MAX on Linux
    // Bytes handed to one call at most. The page cache takes a large write in large blocks of
    // memory, which the kernel may have to gather first: hundreds of megabytes written with one
    // call took several times as long as the same written 128 KiB at a time.
    constexpr std::size_t kMaxBytes = std::size_t(128) << 10;
    std::vector<iovec> pending;
    pending.reserve(std::min(parts.size(), kMaxParts));
    std::size_t next = 0, taken = 0;  // parts[next] is handed on from byte taken on
    while (next < parts.size() || !pending.empty()) {
        std::size_t bytes = 0;
        for (const auto& held : pending) bytes += held.iov_len;
        while (next < parts.size() && pending.size() < kMaxParts && bytes < kMaxBytes) {
            const auto part = parts[next];
            const std::size_t length = std::min(part.size() - taken, kMaxBytes - bytes);
            if (length > 0) pending.push_back({const_cast<std::uint8_t*>(part.data()) + taken, length});
            bytes += length;
            taken += length;
            if (taken == part.size()) {
                ++next;
                taken = 0;
            }
        }
        if (pending.empty()) break;
        ssize_t done = Writev(fd, pending.data(), static_cast<int>(pending.size()));
        if (done < 0 && errno == EINTR) continue;
        if (done == 0) errno = ENOSPC;
        if (done <= 0) return false;
        // Drops what was written, cutting into the first part not written whole.
        std::size_t whole = 0;
        while (whole < pending.size() && static_cast<std::size_t>(done) >= pending[whole].iov_len)
            done -= static_cast<ssize_t>(pending[whole++].iov_len);
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(whole));
        if (done > 0) {
            pending.front().iov_base = static_cast<std::uint8_t*>(pending.front().iov_base) + done;
            pending.front().iov_len -= static_cast<std::size_t>(done);
        }
    }
    return true;
}

// Copies bytes, which lie in the mapped file at place, from that file to fd within the kernel:
// they never pass through the process's memory, and pages of the mapping not read so far are
// never read in. Where the system cannot copy between the two files, the rest is written from
// the mapping. A file changed or cut short since it was mapped refuses with EBUSY rather than
// giving fd a mixture of two versions.
bool copyMapped(int fd, std::span<const std::uint8_t> bytes, const MappedFile::Place& place) {
    // At most this much per call, so that a signal or a fault plan meets the copy part-way.
    constexpr std::size_t kMaxCopy = std::size_t(64) << 20;
    if (!place.file->Unchanged()) {
        errno = EBUSY;
        return false;
    }
    auto at = static_cast<off_t>(place.offset);
    // Each piece copied is handed to the disk at once (where fd is a file), to be written while
    // the next is copied: the flush after the last then finds most of the file on its way.
    off_t to = ::lseek(fd, 0, SEEK_CUR);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = CopyFileRange(place.file->Descriptor(), &at, fd, std::min(bytes.size() - done, kMaxCopy));
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 && !place.file->Unchanged()) {  // the file ends before the bytes do: it was cut
            errno = EBUSY;
            return false;
        }
        // Where the system copies nothing from a file it holds whole, or cannot copy between the
        // two (another file system on older kernels, fd opened for appending, a pipe), the rest
        // is written from the mapping.
        const bool cannotCopy = n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                                          errno == EOPNOTSUPP || errno == EBADF);
        if (n == 0 || cannotCopy) {
            const std::span<const std::uint8_t> rest[] = {bytes.subspan(done)};
            return writeGathered(fd, rest);
        }
        if (n < 0) return false;
        if (to >= 0) {
            ::sync_file_range(fd, to, n, SYNC_FILE_RANGE_WRITE);  // only a start: errors come with the flush
            to += n;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}
}  // namespace

bool WriteParts(int fd, std::span<const std::span<const std::uint8_t>> parts) {
    // Runs of parts held in memory go out gathered; a part in a mapped file is copied from it.
    std::size_t from = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto place = MappedFile::Holding(parts[i]);
        if (!place) continue;
        if (i > from && !writeGathered(fd, parts.subspan(from, i - from))) return false;
        if (!copyMapped(fd, parts[i], *place)) return false;
        from = i + 1;
    }
    return from == parts.size() || writeGathered(fd, parts.subspan(from));
}

std::string TemporaryNameBeside(const std::string& path) {
    static thread_local std::mt19937 random{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp%06x.%d", static_cast<unsigned>(random() & 0xFFFFFF),
                  static_cast<int>(::getpid()));
    return path + suffix;
}

std::size_t TotalSize(std::span<const std::span<const std::uint8_t>> parts) {
    std::size_t size = 0;
    for (const auto part : parts) size += part.size();
    return size;
}

bool writeFileAtomically(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> parts,
                         bool replace, bool flush) {
    return writeFileAtomically(path, std::span<const std::span<const std::uint8_t>>(parts.begin(), parts.size()),
                               replace, flush);
}

std::optional<std::string> FileBehindLinks(const std::string& path) {
    constexpr int kMaxLinks = 40;  // as the system counts before giving up
    std::filesystem::path file = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return file.string();
        std::error_code ec;
        const auto to = std::filesystem::read_symlink(file, ec);
        if (ec) {
            errno = ec.value();
            return std::nullopt;
        }
        file = to.is_absolute() ? to : file.parent_path() / to;
    }
    errno = ELOOP;
    return std::nullopt;
}

void KeepOwnerAndMode(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // Neither is allowed: the replacement stays the writing user's.
    }
    ::fchmod(fd, old.st_mode & 07777);
}

bool writeFileAtomically(const std::string& path, std::span<const std::span<const std::uint8_t>> parts, bool replace,
                         bool flush) {
    const auto target = FileBehindLinks(path);
    if (!target) return false;
    struct stat old {};
    const bool exists = ::stat(target->c_str(), &old) == 0;
    if (exists && !replace) {
        errno = EEXIST;
        return false;
    }
    // As Windows does, a read-only file or a folder is not replaced.
    if (exists && (S_ISDIR(old.st_mode) || (old.st_mode & 0222) == 0)) {
        errno = S_ISDIR(old.st_mode) ? EISDIR : EACCES;
        return false;
    }
    const std::string temporary = TemporaryNameBeside(*target);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    if (exists) KeepOwnerAndMode(fd, old);
    bool written = WriteParts(fd, parts);
    written = written && (!flush || Fsync(fd) == 0);
    int why = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        why = errno;
    }
    bool placed = false;
    if (written) {
        if (replace) {
            placed = Rename(temporary, *target) == 0;
        } else {
            // A link never replaces a file, so one that appeared meanwhile survives.
            placed = Link(temporary, *target) == 0;
            if (!placed && errno != EEXIST && errno != EIO && ::access(target->c_str(), F_OK) != 0)
                placed = Rename(temporary, *target) == 0;  // a file system without links
        }
        why = errno;
    }
    ::unlink(temporary.c_str());
    // The new name is made durable with the folder that holds it.
    if (placed && flush && !FlushFolder(FolderOf(*target))) {
        why = errno;
        placed = false;
    }
    errno = why;
    return placed;
}

bool IsStaleTemporary(const std::string& fileName) {
    // name.tmpXXXXXX.PID, as TemporaryNameBeside makes them.
    const auto at = fileName.rfind(".tmp");
    if (at == std::string::npos || fileName.size() < at + 12 || fileName[at + 10] != '.') return false;
    for (std::size_t i = at + 4; i < at + 10; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(fileName[i]))) return false;
    const std::string pid = fileName.substr(at + 11);
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos) return false;
    const long owner = std::strtol(pid.c_str(), nullptr, 10);
    // A process of that number that still runs may be writing it (or may be another program
    // that reused the number: its file then waits for the next clean-up).
    return owner != ::getpid() && !(::kill(static_cast<pid_t>(owner), 0) == 0 || errno == EPERM);
}

int RemoveStaleTemporaries(const std::string& folder) {
    std::error_code ignored;
    int removed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        if (entry.is_regular_file(ignored) && IsStaleTemporary(entry.path().filename().string()) &&
            Unlink(entry.path().string()) == 0)
            ++removed;
    if (removed > 0) FlushFolder(folder);
    return removed;
}

}  // namespace win
