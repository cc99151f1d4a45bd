// AtomicFile.h: writing a whole file so that it appears only when complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <sys/stat.h>

namespace win {

// A name for a temporary file beside path, unlikely to be taken by anything else.
std::string TemporaryNameBeside(const std::string& path);

// Writes the parts to fd one after the other with as few calls as the system allows (a file made
// of dozens of records is one call, not dozens), going on after a write that took only part.
// A part that lies in a mapped file (MappedFile) is copied from that file within the kernel.
// errno tells why it failed (ENOSPC when the system took nothing; EBUSY when a mapped file
// changed since it was mapped).
bool WriteParts(int fd, std::span<const std::span<const std::uint8_t>> parts);
// How many bytes the parts hold together.
std::size_t TotalSize(std::span<const std::span<const std::uint8_t>> parts);

// The file a write at path replaces: path itself, or the file a symbolic link there leads to
// (through a chain of links, also when that file does not exist yet), so that the link stays.
// None, with errno saying why, for a loop of links or a link that cannot be read.
std::optional<std::string> FileBehindLinks(const std::string& path);
// Gives fd, the replacement of a file whose status was old, that file's owner and group where the
// process may (else at least its group where allowed), then its permission bits, which a change
// of owner may have cleared.
void KeepOwnerAndMode(int fd, const struct stat& old);

// Writes parts, one after the other, to a temporary file beside path, flushes it and moves it to
// path, then flushes the folder. Without replace an existing file is left untouched and the
// result is false with errno EEXIST (also when one appears meanwhile). A symbolic link at path
// stays and the file it leads to is replaced; a replaced file's owner, group and mode carry over;
// a read-only file or a folder is not replaced (EACCES, EISDIR). On any failure errno says why,
// no temporary file is left and path is as it was.
// flush false leaves out the flushes to the disk (fsync) for a caller that commits many files at
// once afterwards; the file still appears only when complete.
bool writeFileAtomically(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> parts,
                         bool replace, bool flush = true);
bool writeFileAtomically(const std::string& path, std::span<const std::span<const std::uint8_t>> parts, bool replace,
                         bool flush = true);

// Whether a file name is one TemporaryNameBeside made for a process that no longer runs: what a
// writer killed half-way leaves behind.
bool IsStaleTemporary(const std::string& fileName);
// Removes the folder's stale temporary files; how many went.
int RemoveStaleTemporaries(const std::string& folder);

}  // namespace win
