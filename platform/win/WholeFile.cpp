// WholeFile.cpp
#include "WholeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

namespace {
// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// Reads until count bytes are in or the file ends; the bytes read, or -1 on an error.
ssize_t readFully(int fd, std::uint8_t* into, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, into + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}
}  // namespace

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
    Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
    // One read of the size the file has; a file that grows meanwhile (or reports no size, as
    // pipes and /proc files do) is read on in chunks until it ends.
    std::vector<std::uint8_t> bytes;
    std::size_t expected = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    std::size_t have = 0;
    for (;;) {
        const std::size_t want = expected > have ? expected - have : 65536;
        // resize_and_overwrite would spare the zero-fill; the read overwrites it at once anyway.
        bytes.resize(have + want);
        const ssize_t n = readFully(file.fd, bytes.data() + have, want);
        if (n < 0) return std::nullopt;
        have += static_cast<std::size_t>(n);
        if (static_cast<std::size_t>(n) < want) break;
    }
    bytes.resize(have);
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::string& path, std::size_t count) {
    Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) return std::nullopt;
    std::vector<std::uint8_t> bytes(count);
    const ssize_t n = readFully(file.fd, bytes.data(), count);
    if (n < 0) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(n));
    return bytes;
}

}  // namespace win
