// AtomicWrite.h: replacing a file only once its new contents are complete.
#pragma once

#include <functional>
#include <string>

namespace qz_gen {

class CFile;

// Refuses a read-only target, or one another program holds, with the CFileException Windows
// would give (accessDenied, sharingViolation). Otherwise opens a temporary file beside path, lets write fill it, flushes it to disk and renames it over
// path. When write or any step throws, the temporary file is removed, the exception goes on to the
// caller and whatever was at path before stays untouched.
void WriteFileAtomically(const std::string& path, const std::function<void(CFile&)>& write);

}  // namespace qz_gen
