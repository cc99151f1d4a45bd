// HandheldStore.cpp
#include "HandheldStore.h"

#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/PalmDb.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/DesktopRoot.h"
#include "platform/win/FileCalls.h"
#include "platform/win/PercentEscape.h"
#include "platform/win/WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>
#include <set>
#include <unistd.h>

namespace palmdesk {

namespace fs = std::filesystem;

namespace {
// The database read returns; none when it is not a Palm database with a name.
template <typename Read>
std::unique_ptr<qz_gen::CPalmDb> readNamed(Read read) {
    auto db = std::make_unique<qz_gen::CPalmDb>();
    try {
        if (read(*db) != 0) return nullptr;
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        return nullptr;
    }
    if (db->GetName().empty()) return nullptr;
    return db;
}
}  // namespace

std::unique_ptr<qz_gen::CPalmDb> ParsePalmDatabase(const std::vector<std::uint8_t>& bytes) {
    return readNamed([&](qz_gen::CPalmDb& db) { return db.ReadFromBytes(bytes); });
}

std::unique_ptr<qz_gen::CPalmDb> ReadPalmDatabaseFile(const std::string& path) {
    auto bytes = win::ReadWholeFile(path);
    if (!bytes) return nullptr;
    // The records refer to the file's bytes rather than copying them.
    const auto file = std::make_shared<const std::vector<std::uint8_t>>(std::move(*bytes));
    return readNamed([&](qz_gen::CPalmDb& db) { return db.ReadFromBytes(file, *file); });
}

namespace {
// The .pdb files of the folder in file-name order.
std::vector<fs::path> databaseFiles(const std::string& folder) {
    std::error_code ignored;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        if (entry.is_regular_file(ignored) && entry.path().extension() == ".pdb") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The name a database file's header holds; none when the file is shorter than a header or the
// name is empty.
std::optional<std::string> headerName(const std::string& path) {
    const auto header = win::ReadFileStart(path, qz_gen::CPalmDb::kHeaderSize);
    if (!header || header->size() < qz_gen::CPalmDb::kHeaderSize) return std::nullopt;
    const auto begin = header->begin();
    const auto end = std::find(begin, begin + 32, 0);
    if (end == begin) return std::nullopt;
    return std::string(begin, end);
}

StoredDatabase describe(const qz_gen::CPalmDb& db, const fs::path& file, std::uint32_t records) {
    std::error_code ignored;
    return {db.GetName(), file.string(), db.Header().type, db.Header().creator, db.Header().attributes, records,
            static_cast<std::uint64_t>(fs::file_size(file, ignored))};
}
}  // namespace

std::string EscapeDatabaseName(const std::string& name) {
    std::string out = win::PercentEscape(name, [](unsigned char b) {
        return b < 0x20 || b >= 0x7F || std::string_view("/\\%:*?\"<>|").find(static_cast<char>(b)) != std::string_view::npos;
    });
    if (out.empty() || out[0] == '.') out = "%2E" + out.substr(out.empty() ? 0 : 1);
    return out;
}

HandheldStore::HandheldStore(std::string folder) : folder_(std::move(folder)) {}

std::string HandheldStore::FileFor(const std::string& name) const { return folder_ + "/" + EscapeDatabaseName(name) + ".pdb"; }

std::vector<StoredDatabase> HandheldStore::List() const {
    std::set<std::string> removed;
    {
        std::lock_guard lock(index_->mutex);
        for (const auto& entry : index_->removing) removed.insert(entry.second);
    }
    std::vector<StoredDatabase> out;
    for (const auto& file : databaseFiles(folder_)) {
        if (removed.contains(file.string())) continue;  // its removal waits for a replacement
        // The header and list tell all a listing needs; a file whose list does not describe it is
        // left out, as one that does not read whole would be.
        qz_gen::CPalmDb db;
        if (qz_gen::ReadDatabaseLayout(file.string(), db) && !db.GetName().empty())
            out.push_back(describe(db, file, db.Header().numRecords));
    }
    return out;
}

void HandheldStore::buildIndex(Index& index) const {
    index.files.clear();
    for (const auto& file : databaseFiles(folder_)) {
        const auto name = headerName(file.string());
        if (!name) continue;
        // Two files may hold one name: the one the name gives wins, else the first in file order.
        const std::string path = file.string();
        auto [at, added] = index.files.emplace(*name, path);
        if (!added && path == FileFor(*name)) at->second = path;
    }
    index.built = true;
}

std::optional<std::string> HandheldStore::indexedFile(const std::string& name) const {
    std::lock_guard lock(index_->mutex);
    if (!index_->built) buildIndex(*index_);
    const auto at = index_->files.find(name);
    if (at == index_->files.end()) return std::nullopt;
    return at->second;
}

std::map<std::string, std::string> HandheldStore::IndexedFiles() const {
    std::lock_guard lock(index_->mutex);
    if (!index_->built) buildIndex(*index_);
    return index_->files;
}

std::optional<HandheldStore::Located> HandheldStore::Locate(const std::string& name, bool whole) const {
    const auto file = indexedFile(name);
    if (!file) return std::nullopt;
    // The header and list tell whether a file holds the database whole (ReadLayout checks the
    // place of every part as a full read does) and all a description needs.
    const auto read = [whole](const std::string& path) -> std::unique_ptr<qz_gen::CPalmDb> {
        if (whole) return ReadPalmDatabaseFile(path);
        auto db = std::make_unique<qz_gen::CPalmDb>();
        if (!qz_gen::ReadDatabaseLayout(path, *db) || db->GetName().empty()) return nullptr;
        return db;
    };
    const auto located = [&](std::unique_ptr<qz_gen::CPalmDb> db, const fs::path& path) {
        const auto records = whole ? db->LiveCount() : db->Header().numRecords;
        return Located{describe(*db, path, records), std::move(db)};
    };
    if (auto db = read(*file); db && db->GetName() == name) return located(std::move(db), *file);
    // The file's header holds the name but the rest does not read: another file holding the
    // name may (rare enough that looking at every header costs nothing that matters).
    for (const auto& other : databaseFiles(folder_)) {
        if (other.string() == *file || headerName(other.string()) != name) continue;
        if (auto db = read(other.string()); db && db->GetName() == name) return located(std::move(db), other);
    }
    return std::nullopt;
}

std::optional<StoredDatabase> HandheldStore::Find(const std::string& name) const {
    auto located = Locate(name, false);
    if (!located) return std::nullopt;
    return located->entry;
}

std::unique_ptr<qz_gen::CPalmDb> HandheldStore::Load(const std::string& name) const {
    auto located = Locate(name, true);
    return located ? std::move(located->db) : nullptr;
}

std::optional<std::string> HandheldStore::place(const std::string& name,
                                                const std::vector<std::span<const std::uint8_t>>& image,
                                                const std::optional<std::string>& old) const {
    const bool flush = !deferFlush_;
    const std::span<const std::span<const std::uint8_t>> parts(image);
    // The file that holds the name now is replaced where it is.
    if (old && headerName(*old) == name && *old == FileFor(name))
        return win::writeFileAtomically(*old, parts, true, flush) ? old : std::nullopt;
    const std::string base = folder_ + "/" + EscapeDatabaseName(name);
    for (int n = 1; n < 1000; ++n) {
        const std::string candidate = n == 1 ? base + ".pdb" : base + " (" + std::to_string(n) + ").pdb";
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) == 0) {
            // A file of another database, or no database at all, is never written over.
            if (!S_ISREG(info.st_mode) || headerName(candidate) != name) continue;
            if (win::writeFileAtomically(candidate, parts, true, flush)) return candidate;
            return std::nullopt;
        }
        if (win::writeFileAtomically(candidate, parts, false, flush)) return candidate;
        if (errno != EEXIST) return std::nullopt;  // appeared meanwhile: the next one
    }
    errno = EEXIST;
    return std::nullopt;
}

bool HandheldStore::Store(qz_gen::CPalmDb& db) const {
    const std::string name = db.GetName();
    // A database read from a file may carry offsets of that file (one without the gap, say).
    db.SetLayoutFields();
    // Written from where the records are held; a database the container cannot write (more than
    // 65,535 records, no memory) is not stored.
    // A removed database whose replacement cannot be written stays, rather than neither.
    const auto keepRemoved = [&] {
        const int why = errno;
        std::lock_guard lock(index_->mutex);
        if (const auto at = index_->removing.find(name); at != index_->removing.end()) {
            index_->files[name] = at->second;
            index_->removing.erase(at);
        }
        errno = why;
        return false;
    };
    qz_gen::PalmDbImage image;
    if (db.BuildImage(image) != qz_gen::kDbOk) {
        errno = EINVAL;
        return keepRemoved();
    }
    if (!win::MakeFolders(folder_)) return keepRemoved();
    std::optional<std::string> old;
    {
        std::lock_guard lock(index_->mutex);
        if (!index_->built) buildIndex(*index_);
        if (const auto at = index_->removing.find(name); at != index_->removing.end()) old = at->second;
        else if (const auto at2 = index_->files.find(name); at2 != index_->files.end()) old = at2->second;
    }
    const auto target = place(name, image.pieces, old);
    if (!target) return keepRemoved();
    // The database of that name kept under another file (made by hand, or a removed one that
    // waited for this) goes, if it still holds the name.
    if (old && *old != *target && headerName(*old) == name) win::Unlink(*old);
    std::lock_guard lock(index_->mutex);
    index_->removing.erase(name);
    // A file new to the name may still be listed for a database it held before; one replaced
    // where it was held the name alone (which saves looking through every entry each time).
    if (!old || *old != *target) std::erase_if(index_->files, [&](const auto& entry) { return entry.second == *target; });
    index_->files[name] = *target;
    return true;
}

std::vector<std::string> HandheldStore::FinishRemovals() const {
    std::map<std::string, std::string> removing;
    {
        std::lock_guard lock(index_->mutex);
        removing.swap(index_->removing);
    }
    std::vector<std::string> failed;
    for (const auto& [name, file] : removing)
        if (headerName(file) == name && win::Unlink(file) != 0 && errno != ENOENT) failed.push_back(name);
    if (!removing.empty() && !deferFlush_ && !win::FlushFolder(folder_))
        for (const auto& entry : removing) failed.push_back(entry.first);
    return failed;
}

std::vector<std::string> HandheldStore::Commit(std::int64_t since) const {
    std::vector<std::string> written;
    for (const auto& file : databaseFiles(folder_)) {
        struct stat info {};
        if (::stat(file.c_str(), &info) == 0 && info.st_mtim.tv_sec >= since) written.push_back(file.string());
    }
    // Opened first, so that a write-back failure from here on is reported to its syncfs.
    const int folderFd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Writing back every file is started first and waited for after, so that one journal commit
    // of the file system serves them all rather than one commit a file.
    for (const auto& path : written)
        if (const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC); fd >= 0) {
            ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
            ::close(fd);
        }
    // One flush of the file system makes every file and the folder durable at once, with one
    // flush of the disk's cache rather than one a file. Only when it reports a failure (on any
    // file of the file system) is each file flushed on its own, to tell which may be missing.
    if (folderFd >= 0) {
        const bool flushed = !written.empty() && win::Syncfs(folderFd) == 0;
        ::close(folderFd);
        if (flushed) return {};
    }
    const auto nameOf = [](const std::string& path) { return headerName(path).value_or(fs::path(path).filename().string()); };
    std::vector<std::string> unsure;
    for (const auto& path : written) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;  // gone meanwhile
        if (win::Fsync(fd) != 0) unsure.push_back(nameOf(path));
        ::close(fd);
    }
    // The folder holds the names: without it none of the new files is sure to be found.
    if (::access(folder_.c_str(), F_OK) == 0 && !win::FlushFolder(folder_)) {
        unsure.clear();
        for (const auto& path : written) unsure.push_back(nameOf(path));
        if (unsure.empty()) unsure.push_back(folder_);
    }
    return unsure;
}

bool HandheldStore::Remove(const std::string& name) const {
    const auto found = Find(name);
    // Find read the file just now: it holds the name.
    if (!found) return false;
    if (deferRemovals_) {
        std::lock_guard lock(index_->mutex);
        index_->removing[name] = found->file;
        index_->files.erase(name);
        return true;
    }
    if (win::Unlink(found->file) != 0) return false;
    if (!deferFlush_) win::FlushFolder(folder_);
    std::lock_guard lock(index_->mutex);
    index_->files.erase(name);
    return true;
}

}  // namespace palmdesk
