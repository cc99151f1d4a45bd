// HandheldStore.h: a Palm user's handheld as the stand-in keeps it: one Palm database file per
// database in Users/<user>/Handheld/card0/. The file is named after the database, with the
// characters a file name cannot hold escaped as %XX; the name inside the file is the truth.
#pragma once

#include <cstdint>
#include <memory>
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

    // The databases whose files read as Palm databases, in file-name order.
    std::vector<StoredDatabase> List() const;
    std::optional<StoredDatabase> Find(const std::string& name) const;

    // The database read whole; none when missing or unreadable.
    std::unique_ptr<qz_gen::CPalmDb> Load(const std::string& name) const;
    // Writes db under its own name, replacing a database of that name; atomic.
    bool Store(const qz_gen::CPalmDb& db) const;
    // False when there was no such database; a missing one is no error to callers that ignore it.
    bool Remove(const std::string& name) const;

    // The file a new database of that name gets.
    std::string FileFor(const std::string& name) const;
    const std::string& Folder() const { return folder_; }

private:
    struct Located {
        StoredDatabase entry;
        std::unique_ptr<qz_gen::CPalmDb> db;
    };
    // The database of that name, read once: from the file its name gives, else by looking at
    // every file (a database imported under another file name).
    std::optional<Located> Locate(const std::string& name) const;

    std::string folder_;
};

// The database bytes hold; none when they are not a Palm database with a name.
std::unique_ptr<qz_gen::CPalmDb> ParsePalmDatabase(const std::vector<std::uint8_t>& bytes);

// "a/b" -> "a%2Fb": every byte outside printable ASCII, and / \ % : * ? " < > |, as %XX.
std::string EscapeDatabaseName(const std::string& name);

}  // namespace palmdesk
