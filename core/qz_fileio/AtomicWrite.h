// AtomicWrite.h: replacing a file only once its new contents are complete.
//
// What a save guarantees:
// - Normally the new contents go to a temporary file beside the file, are flushed to disk and
//   then renamed over it: the file holds either all of the old contents or all of the new ones.
//   A symbolic link is followed, so the link stays a link and its target gets the new contents.
//   The replacement keeps the old file's permission bits, and its owner and group where the
//   process may set them.
// - When the folder does not let a temporary file be created but the file itself may be written,
//   ReplaceFileContents writes over the file in place. The bytes are complete in memory and the
//   disk space they need is reserved before the first one is written. The file's start is
//   replaced first by a placeholder (zeros; for a database a header every reader refuses), then
//   the rest is written, then the real start, each step flushed to disk: a crash or a full disk
//   part-way leaves the old file, the new one, or one that is refused, never a mixture that reads
//   as something else.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace qz_gen {

class CFile;
class CPalmDb;

// Refuses a read-only target, or one another program holds, with the CFileException Windows
// would give (accessDenied, sharingViolation). Otherwise opens a temporary file beside path (or
// beside the file a symbolic link at path leads to), lets write fill it, flushes it to disk and
// renames it over that file. When write or any step throws, the temporary file is removed, the
// exception goes on to the caller and whatever was at path before stays untouched.
void WriteFileAtomically(const std::string& path, const std::function<void(CFile&)>& write);

// Puts bytes into the file at path as WriteFileAtomically does, falling back to writing in place
// when only the folder refuses the temporary file (see above).
void ReplaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes);
// The same for bytes held in pieces, written one after the other.
void ReplaceFileContents(const std::string& path, std::span<const std::span<const std::uint8_t>> pieces);

// The one way a database is saved: lays out its whole image first (PalmDbImage), then
// ReplaceFileContents. A database the container cannot write (out of memory, more than 65,535
// records) throws a CException naming the file and the cause, and nothing on disk changes.
void WriteDatabaseFile(const std::string& path, CPalmDb& db);

}  // namespace qz_gen
