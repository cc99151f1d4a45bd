// AtomicWrite.cpp: temporary file beside the target, then rename; in place when the folder
// refuses the temporary file.
#include "AtomicWrite.h"

#include "DbResult.h"
#include "Exception.h"
#include "File.h"
#include "PalmDb.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/FileCalls.h"
#include "platform/win/MappedFile.h"
#include "platform/win/Win32Error.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace qz_gen {

namespace {
void removeQuietly(const std::string& path) { ::unlink(path.c_str()); }

[[noreturn]] void throwErrno(int errnoValue, const std::string& path) {
    const std::uint32_t error = win::errorFromErrnoForPath(errnoValue, path);
    win::SetLastError(error);
    ThrowFileException(OsErrorToCause(error), error, path);
}

// The file a save replaces (see win::FileBehindLinks).
std::string replacedFile(const std::string& path) {
    const auto file = win::FileBehindLinks(path);
    if (!file) throwErrno(errno, path);
    return *file;
}

// Refuses, as Windows would, to replace a read-only file, a folder, or a file that another
// program holds open (a sharing violation).
void checkReplaceable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return;  // a new file
    if (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0) {
        win::SetLastError(win::kErrorAccessDenied);
        ThrowFileException(kCauseAccessDenied, win::kErrorAccessDenied, path);
    }
    CFile probe;
    probe.Open(path, CFile::modeReadWrite | CFile::shareExclusive);
}

using Pieces = std::span<const std::span<const std::uint8_t>>;

// The first n bytes of pieces (fewer when they hold fewer).
std::vector<std::uint8_t> firstBytes(Pieces pieces, std::size_t n) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(std::min(n, win::TotalSize(pieces)));
    for (const auto piece : pieces) {
        const std::size_t take = std::min(n - bytes.size(), piece.size());
        bytes.insert(bytes.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(take));
    }
    return bytes;
}

// Pieces without their first n bytes.
std::vector<std::span<const std::uint8_t>> after(Pieces pieces, std::size_t n) {
    std::vector<std::span<const std::uint8_t>> rest;
    for (const auto piece : pieces) {
        const std::size_t skip = std::min(n, piece.size());
        n -= skip;
        if (skip < piece.size()) rest.push_back(piece.subspan(skip));
    }
    return rest;
}

// Whether any of pieces lies in a mapping of the file at path.
bool mapsFile(Pieces pieces, const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return std::any_of(pieces.begin(), pieces.end(), [&](std::span<const std::uint8_t> piece) {
        const auto place = win::MappedFile::Holding(piece);
        return place && place->file->Status().st_dev == st.st_dev && place->file->Status().st_ino == st.st_ino;
    });
}

// The whole file is rewritten from its start, so that a crash at any moment leaves either the old
// file, the new one, or one that no reader takes for anything: first the start of the file
// becomes placeholder (the same length as the real start), then the rest is written, then the
// real start; each step reaches the disk before the next begins. The space is reserved first, so
// a full disk stops the save before the first byte of the old contents is overwritten (where the
// file system cannot reserve, a full disk leaves the placeholder).
void writeInPlace(const std::string& target, Pieces pieces, std::span<const std::uint8_t> placeholder) {
    // Bytes read from target through a mapping would change under the write: they are copied into
    // memory first (std::bad_alloc, before anything is written, when memory runs out).
    std::vector<std::uint8_t> copy;
    std::span<const std::uint8_t> whole[1];
    if (mapsFile(pieces, target)) {
        copy = firstBytes(pieces, win::TotalSize(pieces));
        whole[0] = copy;
        pieces = whole;
    }
    CFile file;
    file.Open(target, CFile::modeReadWrite | CFile::shareExclusive | CFile::modeNoInherit);
    const auto length = static_cast<std::int64_t>(win::TotalSize(pieces));
    file.Reserve(length);
    const std::size_t startLength = placeholder.size();
    const std::vector<std::uint8_t> start = firstBytes(pieces, startLength);
    if (startLength > 0) {
        file.Seek(0, CFile::begin);
        file.Write(placeholder.data(), static_cast<std::uint32_t>(startLength));
        file.Flush();
    }
    file.Seek(static_cast<std::int64_t>(startLength), CFile::begin);
    file.WriteParts(after(pieces, startLength));
    file.SetLength(length);
    file.Flush();
    if (startLength > 0) {
        file.Seek(0, CFile::begin);
        file.Write(start.data(), static_cast<std::uint32_t>(startLength));
        file.Flush();
    }
}

// A database header that every reader refuses: its application-info block would lie past the end
// of any file, and it names no type or creator. Written over the start of a database while the
// rest of the file is rewritten in place.
std::vector<std::uint8_t> refusedDatabaseStart(Pieces pieces) {
    std::vector<std::uint8_t> header = firstBytes(pieces, CPalmDb::kHeaderSize);
    if (header.size() < CPalmDb::kHeaderSize) return std::vector<std::uint8_t>(header.size(), 0);
    bytes::storeU16BE(header.data() + 32, 0);            // a record database, whose blocks are checked
    bytes::storeU32BE(header.data() + 52, 0xFFFFFFFF);   // application-info block past any end
    bytes::storeU32BE(header.data() + 60, 0);            // type
    bytes::storeU32BE(header.data() + 64, 0);            // creator
    return header;
}

// Whether a failure to create the temporary file beside target is the folder's alone: the
// folder denies it, and target is a file this process may write.
bool onlyTheFolderRefuses(const CException& e, const std::string& target) {
    const auto* fileError = dynamic_cast<const CFileException*>(&e);
    struct stat st {};
    return fileError != nullptr && fileError->GetCause() == kCauseAccessDenied &&
           ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(target.c_str(), W_OK) == 0;
}

// inPlace, when given, writes the file in place if the temporary file cannot be created only
// because the folder refuses it.
void replace(const std::string& path, const std::function<void(CFile&)>& write,
             const std::function<void(const std::string&)>& inPlace) {
    const std::string target = replacedFile(path);
    checkReplaceable(target);
    const std::string temporary = win::TemporaryNameBeside(target);
    CFile file;
    try {
        file.Open(temporary, CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoInherit);
    } catch (CException* caught) {
        std::unique_ptr<CException> e(caught);
        if (!inPlace || !onlyTheFolderRefuses(*e, target)) throw e.release();
        inPlace(target);
        return;
    }
    try {
        struct stat old {};
        if (::stat(target.c_str(), &old) == 0) win::KeepOwnerAndMode(file.GetHandle(), old);
        write(file);
        file.Flush();
        file.Close();
        if (win::Rename(temporary, target) != 0) throwErrno(errno, target);
    } catch (...) {
        file.Close();
        removeQuietly(temporary);
        throw;
    }
}
}  // namespace

void WriteFileAtomically(const std::string& path, const std::function<void(CFile&)>& write) {
    replace(path, write, nullptr);
}

// Written in place, the file's first bytes are zero until the rest is complete.
void ReplaceFileContents(const std::string& path, std::span<const std::span<const std::uint8_t>> pieces) {
    const std::vector<std::uint8_t> zeros(std::min(CPalmDb::kHeaderSize, win::TotalSize(pieces)), 0);
    replace(path, [&](CFile& file) { file.WriteParts(pieces); },
            [&](const std::string& target) { writeInPlace(target, pieces, zeros); });
}

void ReplaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::span<const std::uint8_t> whole[] = {bytes};
    ReplaceFileContents(path, whole);
}

void WriteDatabaseFile(const std::string& path, CPalmDb& db) {
    // Written from where the records are held, so that a large file is not copied first.
    PalmDbImage image;
    if (const auto rc = db.BuildImage(image); rc != kDbOk) {
        const std::string name = std::filesystem::path(path).filename().string();
        throw new CException(name + " was not saved: " + DbResultText(rc) + ".", rc);
    }
    const std::vector<std::uint8_t> placeholder = refusedDatabaseStart(image.pieces);
    replace(path, [&](CFile& file) { file.WriteParts(image.pieces); },
            [&](const std::string& target) { writeInPlace(target, image.pieces, placeholder); });
    db.ClearChanged();
}

}  // namespace qz_gen
