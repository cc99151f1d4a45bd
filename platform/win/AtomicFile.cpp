// AtomicFile.cpp
#include "AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/uio.h>
#include <vector>
#include <unistd.h>

namespace win {

bool WriteParts(int fd, std::span<const std::span<const std::uint8_t>> parts) {
    constexpr std::size_t kMaxParts = 1024;  // IOV_MAX on Linux
    std::vector<iovec> pending;
    pending.reserve(std::min(parts.size(), kMaxParts));
    std::size_t next = 0;
    while (next < parts.size() || !pending.empty()) {
        while (next < parts.size() && pending.size() < kMaxParts) {
            const auto part = parts[next++];
            if (!part.empty()) pending.push_back({const_cast<std::uint8_t*>(part.data()), part.size()});
        }
        if (pending.empty()) break;
        ssize_t done = ::writev(fd, pending.data(), static_cast<int>(pending.size()));
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

bool writeFileAtomically(const std::string& path, std::span<const std::span<const std::uint8_t>> parts, bool replace,
                         bool flush) {
    if (!replace && ::access(path.c_str(), F_OK) == 0) return false;
    const std::string temporary = TemporaryNameBeside(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool written = WriteParts(fd, parts);
    written = written && (!flush || ::fsync(fd) == 0);
    written = ::close(fd) == 0 && written;
    bool placed = false;
    if (written) {
        if (replace) {
            placed = std::rename(temporary.c_str(), path.c_str()) == 0;
        } else {
            // link() never replaces a file, so one that appeared meanwhile survives.
            placed = ::link(temporary.c_str(), path.c_str()) == 0;
            if (!placed && errno != EEXIST && ::access(path.c_str(), F_OK) != 0)
                placed = std::rename(temporary.c_str(), path.c_str()) == 0;  // a file system without links
        }
    }
    ::unlink(temporary.c_str());
    return placed;
}

}  // namespace win
