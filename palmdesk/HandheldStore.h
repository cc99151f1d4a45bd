// HandheldStore.h: a Palm user's handheld as the stand-in keeps it: one Palm database file per
// database in Users/<user>/Handheld/card0/. The file is named after the database, with the
// characters a file name cannot hold escaped as %XX; the name inside the file is the truth.
//
// A store keeps an index of database name -> file, built at its first lookup from the files'
// headers (their first 78 bytes) and kept up to date by its own Store and Remove, so a lookup
// opens at most one file. The index trusts that nothing else changes the folder while the store
// lives (a store is made for one command or one synchronisation, which holds the user's lock),
// but a file is never replaced or removed without reading its header again: a file whose header
// holds another name than the one being stored or removed is left alone.
#pragma once

#include "palmdesk/Handheld.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace palmdesk {

class HandheldStore final : public Handheld {
public:
    explicit HandheldStore(std::string folder);

    // The databases whose files read as Palm databases, in file-name order. Reads the header and
    // list of every file.
    std::vector<StoredDatabase> List() const override;
    // The database of that name, through the index; none when missing or unreadable. Reads the
    // header and list of its file.
    std::optional<StoredDatabase> Find(const std::string& name) const override;

    // The database read whole; none when missing or unreadable.
    std::unique_ptr<qz_gen::CPalmDb> Load(const std::string& name) const override;
    // Writes db under its own name, its layout fields (offsets, record count) set for the bytes
    // written, so that a database read from a file without the two-byte gap stays intact. The
    // file that holds the name is replaced by a rename, so that at every moment the old or the
    // new database is whole under the name; a new database never replaces a file (one that
    // appeared meanwhile included), and goes to the file its name gives, else, when another
    // database holds that, to a numbered one ("Moon (2).pdb"). Flushed to the disk at once,
    // unless the store defers that to Commit. False, with errno telling why, when not written.
    bool Store(qz_gen::CPalmDb& db) const override;
    // False when there was no such database; a missing one is no error to callers that ignore it.
    // With removals deferred the database is gone from the store at once but its file stays
    // until a database of the name is stored in its place (by a rename) or FinishRemovals; when
    // that database cannot be stored, the removed one comes back.
    bool Remove(const std::string& name) const override;

    // The file a new database of that name gets when no other database holds that file.
    std::string FileFor(const std::string& name) const;
    const std::string& Folder() const { return folder_; }

    // Within a synchronisation the databases are flushed to the disk together at its end (Commit)
    // rather than one by one: each still appears only when complete.
    void DeferFlush() { deferFlush_ = true; }
    void DeferRemovals() { deferRemovals_ = true; }
    // Removes the files whose removal waited (each only if its header still holds the name);
    // the names whose file could not be removed.
    std::vector<std::string> FinishRemovals() const override;
    // Flushes to the disk the databases written since `since` (seconds of the Unix epoch), and
    // the folder: with one flush of their file system, else file by file; the names of the databases that may not be on the disk (every one written
    // when the folder cannot be flushed), none when all is.
    std::vector<std::string> Commit(std::int64_t since) const;

    // Name -> file as the index holds it (built now if it was not yet), for checks against List.
    std::map<std::string, std::string> IndexedFiles() const;

private:
    // Shared by copies of a store; its own lock, since the Sync API may be called from any thread.
    struct Index {
        std::mutex mutex;
        bool built = false;
        std::map<std::string, std::string> files;     // database name -> full path
        std::map<std::string, std::string> removing;  // removed database name -> its file, still there
    };
    // The indexed file of name, building the index first when needed.
    std::optional<std::string> indexedFile(const std::string& name) const;

    struct Located {
        StoredDatabase entry;
        std::unique_ptr<qz_gen::CPalmDb> db;
    };
    // The database of that name, read once from the file the index gives for it (the file its
    // name gives, else one whose header holds that name: a database imported by hand): whole,
    // or only its header and list (which tell whether the file reads whole).
    std::optional<Located> Locate(const std::string& name, bool whole) const;
    void buildIndex(Index& index) const;
    // Writes the image to a file for name: the file that holds the name, else a new one; the
    // path written, none when nothing was.
    std::optional<std::string> place(const std::string& name, const std::vector<std::span<const std::uint8_t>>& image,
                                     const std::optional<std::string>& old) const;

    std::string folder_;
    std::shared_ptr<Index> index_ = std::make_shared<Index>();
    bool deferFlush_ = false;
    bool deferRemovals_ = false;
};

// The database bytes hold; none when they are not a Palm database with a name.
std::unique_ptr<qz_gen::CPalmDb> ParsePalmDatabase(const std::vector<std::uint8_t>& bytes);
// The database a file holds; none when it cannot be read or is not a named Palm database.
std::unique_ptr<qz_gen::CPalmDb> ReadPalmDatabaseFile(const std::string& path);

// "a/b" -> "a%2Fb": every byte outside printable ASCII, and / \ % : * ? " < > |, as %XX.
std::string EscapeDatabaseName(const std::string& name);

}  // namespace palmdesk
