// WholeFile.cpp
#include "WholeFile.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

namespace {
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
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return std::nullopt;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
    // One read of the size the file has; a file that grows meanwhile (or reports no size, as
    // pipes and /proc files do) is read on in chunks until it ends. Whether it ends is asked of
    // a small buffer, so that the common case never grows (and copies) the whole one.
    std::vector<std::uint8_t> bytes;
    const std::size_t expected = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    // resize_and_overwrite would spare the zero-fill; the read overwrites it at once anyway.
    bytes.resize(expected);
    ssize_t n = readFully(file.get(), bytes.data(), expected);
    if (n < 0) return std::nullopt;
    std::size_t have = static_cast<std::size_t>(n);
    if (have == expected) {
        for (;;) {
            std::uint8_t more[65536];
            n = readFully(file.get(), more, sizeof more);
            if (n < 0) return std::nullopt;
            bytes.insert(bytes.end(), more, more + n);
            if (static_cast<std::size_t>(n) < sizeof more) break;
        }
        have = bytes.size();
    }
    bytes.resize(have);
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::string& path, std::size_t count) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return std::nullopt;
    std::vector<std::uint8_t> bytes(count);
    const ssize_t n = readFully(file.get(), bytes.data(), count);
    if (n < 0) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(n));
    return bytes;
}

std::shared_ptr<std::uint8_t[]> AllocateFileBuffer(std::size_t size) {
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    if (size < kHugePage) return std::shared_ptr<std::uint8_t[]>(new std::uint8_t[size]);
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* memory = nullptr;
    if (::posix_memalign(&memory, kHugePage, rounded) != 0) throw std::bad_alloc();
    // Only advice: where huge pages are off, the buffer is ordinary memory.
    ::madvise(memory, rounded, MADV_HUGEPAGE);
    // Should the shared count not fit, the deleter frees the memory before bad_alloc leaves.
    return std::shared_ptr<std::uint8_t[]>(static_cast<std::uint8_t*>(memory), [](std::uint8_t* p) { std::free(p); });
}

}  // namespace win
