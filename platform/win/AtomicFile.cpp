// AtomicFile.cpp
#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace win {

namespace {
bool writeAll(int fd, const std::uint8_t* bytes, std::size_t n) {
    while (n > 0) {
        const ssize_t done = ::write(fd, bytes, n);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        bytes += done;
        n -= static_cast<std::size_t>(done);
    }
    return true;
}

}  // namespace

std::string TemporaryNameBeside(const std::string& path) {
    static thread_local std::mt19937 random{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp%06x.%d", static_cast<unsigned>(random() & 0xFFFFFF),
                  static_cast<int>(::getpid()));
    return path + suffix;
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
    bool written = true;
    for (const auto& part : parts) written = written && writeAll(fd, part.data(), part.size());
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
