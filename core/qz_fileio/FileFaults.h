// FileFaults.h: every change CFile makes to a file on disk (a write, a change of length, a flush)
// passes through WritePoint, so that a test can end the process at any one of them, before it or
// half-way through its bytes, and then look at what a crash there leaves on disk. A test can also
// make the file system refuse to reserve space. Outside such a test it only reads two counters.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qz_gen {

enum class KillPoint : std::uint8_t {
    Before,   // the operation does not happen
    Midway,   // a write puts down the first half of its bytes; other operations do not happen
};

// Arms the n-th write operation from now (n >= 1) to end the process (exit status 0) as point
// says; 0 disarms. Meant for a child process of a test.
void KillAtWriteOperation(std::uint64_t n, KillPoint point);

// How many write operations CFile has made since the last KillAtWriteOperation.
std::uint64_t WriteOperationsSeen();

// While set, reserving disk space fails as on a file system that cannot reserve.
void PretendReserveUnsupported(bool unsupported);
bool ReserveUnsupported();

// Called by CFile before each write operation of size bytes (0 for one that writes none).
// Returns size, or fewer bytes after which the caller must call EndProcessNow.
std::size_t WritePoint(std::size_t size);
[[noreturn]] void EndProcessNow();

}  // namespace qz_gen
