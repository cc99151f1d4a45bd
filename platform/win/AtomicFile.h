// AtomicFile.h: writing a whole file so that it appears only when complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace win {

// A name for a temporary file beside path, unlikely to be taken by anything else.
std::string TemporaryNameBeside(const std::string& path);

// Writes the parts to fd one after the other with as few calls as the system allows (a file made
// of dozens of records is one call, not dozens), going on after a write that took only part.
// errno tells why it failed (ENOSPC when the system took nothing).
bool WriteParts(int fd, std::span<const std::span<const std::uint8_t>> parts);
// How many bytes the parts hold together.
std::size_t TotalSize(std::span<const std::span<const std::uint8_t>> parts);

// Writes parts, one after the other, to a temporary file beside path, flushes it and moves it to
// path. Without replace an existing file is left untouched and the result is false (also when one
// appears meanwhile). On any failure no temporary file is left and path is as it was.
// flush false leaves out the flush to the disk (fsync) for a caller that commits many files at
// once afterwards (syncfs); the file still appears only when complete.
bool writeFileAtomically(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> parts,
                         bool replace, bool flush = true);
bool writeFileAtomically(const std::string& path, std::span<const std::span<const std::uint8_t>> parts, bool replace,
                         bool flush = true);

}  // namespace win
