// WholeFile.h: a file's bytes read whole (one read of the size the file has), or its first bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace win {

// None when the file cannot be opened or read (a folder included).
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path);
// At most count bytes from the start of the file (fewer when it is shorter); none when it cannot
// be opened or read.
std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::string& path, std::size_t count);

// Memory for size bytes of a file, not cleared (a read fills it). A buffer of megabytes is laid on
// huge-page boundaries and offered to the kernel for huge pages, so that filling an 8 MB buffer
// costs a handful of page faults instead of 2,000. Throws std::bad_alloc.
std::shared_ptr<std::uint8_t[]> AllocateFileBuffer(std::size_t size);

}  // namespace win
