// MappedFile.h: a file's bytes mapped into memory read-only, for a program that reads a large file
// and writes what it read into another within one run.
//
// Nothing is read until it is used, nothing is copied into memory of the process's own, and a
// write of mapped bytes (WriteParts) copies them from file to file in the kernel. The price: the
// bytes are the file's as it is now, so a program that writes the file in place meanwhile changes
// them, and one that cuts it short makes its end unreadable. A mapping therefore suits a command
// that ends within seconds, not a document a window keeps open; and a write of mapped bytes
// refuses (EBUSY) once the file's length or modification time differs from when it was mapped.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <sys/stat.h>

namespace win {

class MappedFile {
public:
    // Maps the whole file at path through a descriptor of its own, which holds no lock: a mapping
    // does not stop this process from replacing the file. None, errno saying why, when the file
    // cannot be opened, is empty or is no regular file, or the system refuses the mapping.
    static std::shared_ptr<const MappedFile> Open(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::span<const std::uint8_t> Bytes() const { return {base_, length_}; }
    int Descriptor() const { return fd_; }
    // The file's status when it was mapped.
    const struct stat& Status() const { return status_; }
    // Whether the file still has the length and modification time it had when mapped.
    bool Unchanged() const;

    // Where bytes lie in a live mapping: the mapping and their offset in its file.
    struct Place {
        const MappedFile* file;
        std::uint64_t offset;
    };
    // None when bytes do not lie wholly within one mapping. The caller keeps the mapping alive
    // (it holds what the bytes belong to) while it uses the place.
    static std::optional<Place> Holding(std::span<const std::uint8_t> bytes);

    // Reads pieces of mapped files, in the order of the file, through a buffer that large reads
    // fill. A pass over many small pieces spread through a large file (the headers of its
    // records) then costs a few reads, where touching the mapping costs a page fault for every
    // page it reaches.
    class Reader {
    public:
        // A window of a megabyte stays in the processor's caches while it is read.
        explicit Reader(std::size_t window = std::size_t(1) << 20) : window_(window) {}
        // bytes, as read into the buffer; valid until the next call. bytes themselves when they
        // lie in no mapping, are longer than the buffer or cannot be read.
        std::span<const std::uint8_t> Read(std::span<const std::uint8_t> bytes);

    private:
        std::size_t window_;
        std::unique_ptr<std::uint8_t[]> buffer_;
        const MappedFile* file_ = nullptr;  // whose bytes the buffer holds
        std::uint64_t start_ = 0;           // from this offset of the file
        std::size_t length_ = 0;            // this many
    };

private:
    MappedFile(int fd, const std::uint8_t* base, std::size_t length, const struct stat& status);

    int fd_;
    const std::uint8_t* base_;
    std::size_t length_;
    struct stat status_;
};

}  // namespace win
