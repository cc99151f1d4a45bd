// HandheldStore.h: a Palm user's handheld as the stand-in keeps it: one Palm database file per
// database in Users/<user>/Handheld/card0/. The file is named after the database, with the
// characters a file name cannot hold escaped as %XX; the name inside the file is the truth.
//
// A store keeps an index of database name -> file, built at its first lookup from the files'
// headers (their first 78 bytes) and kept up to date by its own Store and Remove, so a lookup
// opens at most one file. The index trusts that nothing else changes the folder while the store
// lives: a store is made for one command or one synchronisation, which holds the user's lock.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qz_gen {
class CPalmDb;
}

namespace palmdesk {

struct StoredDatabase {
    std::string name;
    std::string file;  // full path
    std::uint32_t type = 0;
    std::uint32_t creator = 0;
    std::uint16_t attributes = 0;
    std::uint32_t records = 0;
    std::uint64_t size = 0;
};

class HandheldStore {
public:
    explicit HandheldStore(std::string folder);

    // The databases whose files read as Palm databases, in file-name order. Reads the header and
    // list of every file.
    std::vector<StoredDatabase> List() const;
    // The database of that name, through the index; none when missing or unreadable.
    std::optional<StoredDatabase> Find(const std::string& name) const;

    // The database read whole; none when missing or unreadable.
    std::unique_ptr<qz_gen::CPalmDb> Load(const std::string& name) const;
    // Writes db under its own name, replacing a database of that name; atomic. Flushed to the
    // disk at once, unless the store defers that to Commit.
    bool Store(const qz_gen::CPalmDb& db) const;
    // False when there was no such database; a missing one is no error to callers that ignore it.
    bool Remove(const std::string& name) const;

    // The file a new database of that name gets.
    std::string FileFor(const std::string& name) const;
    const std::string& Folder() const { return folder_; }

    // Within a synchronisation the databases are flushed to the disk together at its end (Commit)
    // rather than one by one: each still appears only when complete.
    void DeferFlush() { deferFlush_ = true; }
    // Flushes to the disk the databases written since `since` (seconds of the Unix epoch), and
    // the folder; false when one cannot be flushed.
    bool Commit(std::int64_t since) const;

    // Name -> file as the index holds it (built now if it was not yet), for checks against List.
    std::map<std::string, std::string> IndexedFiles() const;

private:
    // Shared by copies of a store; its own lock, since the Sync API may be called from any thread.
    struct Index {
        std::mutex mutex;
        bool built = false;
        std::map<std::string, std::string> files;  // database name -> full path
    };
    // The indexed file of name, building the index first when needed.
    std::optional<std::string> indexedFile(const std::string& name) const;

    struct Located {
        StoredDatabase entry;
        std::unique_ptr<qz_gen::CPalmDb> db;
    };
    // The database of that name, read once from the file the index gives for it (the file its
    // name gives, else one whose header holds that name: a database imported by hand).
    std::optional<Located> Locate(const std::string& name) const;
    void buildIndex(Index& index) const;

    std::string folder_;
    std::shared_ptr<Index> index_ = std::make_shared<Index>();
    bool deferFlush_ = false;
};

// The database bytes hold; none when they are not a Palm database with a name.
std::unique_ptr<qz_gen::CPalmDb> ParsePalmDatabase(const std::vector<std::uint8_t>& bytes);
// The database a file holds; none when it cannot be read or is not a named Palm database.
std::unique_ptr<qz_gen::CPalmDb> ReadPalmDatabaseFile(const std::string& path);

// "a/b" -> "a%2Fb": every byte outside printable ASCII, and / \ % : * ? " < > |, as %XX.
std::string EscapeDatabaseName(const std::string& name);

}  // namespace palmdesk
