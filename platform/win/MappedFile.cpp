// MappedFile.cpp
#include "MappedFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace win {

namespace {
// The live mappings, for Holding; a program holds one or two.
struct Registry {
    std::mutex mutex;
    std::vector<const MappedFile*> live;
};

Registry& registry() {
    static Registry r;
    return r;
}
}  // namespace

MappedFile::MappedFile(int fd, const std::uint8_t* base, std::size_t length, const struct stat& status)
    : fd_(fd), base_(base), length_(length), status_(status) {}

std::shared_ptr<const MappedFile> MappedFile::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status {};
    int why = 0;
    if (::fstat(fd, &status) != 0) why = errno;
    else if (S_ISDIR(status.st_mode)) why = EISDIR;
    else if (!S_ISREG(status.st_mode) || status.st_size <= 0) why = EINVAL;
    if (why != 0) {
        ::close(fd);
        errno = why;
        return nullptr;
    }
    const auto length = static_cast<std::size_t>(status.st_size);
    void* base = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (base == MAP_FAILED) {
        why = errno;
        ::close(fd);
        errno = why;
        return nullptr;
    }
    std::shared_ptr<const MappedFile> mapped;
    try {
        mapped.reset(new MappedFile(fd, static_cast<const std::uint8_t*>(base), length, status));
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        r.live.push_back(mapped.get());
    } catch (const std::bad_alloc&) {
        if (!mapped) {
            ::munmap(base, length);
            ::close(fd);
        }
        throw;
    }
    return mapped;
}

MappedFile::~MappedFile() {
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        std::erase(r.live, this);
    }
    ::munmap(const_cast<std::uint8_t*>(base_), length_);
    ::close(fd_);
}

bool MappedFile::Unchanged() const {
    struct stat now {};
    return ::fstat(fd_, &now) == 0 && now.st_size == status_.st_size &&
           now.st_mtim.tv_sec == status_.st_mtim.tv_sec && now.st_mtim.tv_nsec == status_.st_mtim.tv_nsec;
}

std::optional<MappedFile::Place> MappedFile::Holding(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return std::nullopt;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const auto first = reinterpret_cast<std::uintptr_t>(bytes.data());
    for (const MappedFile* file : r.live) {
        const auto base = reinterpret_cast<std::uintptr_t>(file->base_);
        if (first >= base && first - base <= file->length_ && bytes.size() <= file->length_ - (first - base))
            return Place{file, first - base};
    }
    return std::nullopt;
}

std::span<const std::uint8_t> MappedFile::Reader::Read(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > window_) return bytes;
    const auto place = Holding(bytes);
    if (!place) return bytes;
    const bool held = place->file == file_ && place->offset >= start_ && place->offset - start_ <= length_ &&
                      bytes.size() <= length_ - (place->offset - start_);
    if (!held) {
        if (!buffer_) buffer_.reset(new (std::nothrow) std::uint8_t[window_]);
        if (!buffer_) return bytes;
        file_ = nullptr;
        std::size_t got = 0;
        while (got < window_) {
            const ssize_t n = ::pread(place->file->fd_, buffer_.get() + got, window_ - got,
                                      static_cast<off_t>(place->offset + got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (got < bytes.size()) return bytes;
        file_ = place->file;
        start_ = place->offset;
        length_ = got;
    }
    return {buffer_.get() + (place->offset - start_), bytes.size()};
}

}  // namespace win
