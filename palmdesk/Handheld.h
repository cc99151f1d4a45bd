// Handheld.h: a Palm user's handheld as the Sync API and the install queue work on it, one
// interface over two kinds: the folder store (HandheldStore.h: the embedded default, for the demo,
// the tests and a desktop without a device) and a connected device (palmdesk/device/). A database
// is read whole and written whole; writing one replaces any database of its name. Failures say
// why through errno: ENOENT for a database that is not there, ENOSPC for a full handheld, EEXIST,
// EROFS, ENOTCONN for a device whose link failed, ECANCELED for a synchronisation stopped.
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
    std::string file;  // full path in the folder store; empty on a device
    std::uint32_t type = 0;
    std::uint32_t creator = 0;
    std::uint16_t attributes = 0;
    std::uint32_t records = 0;  // 0 in a device's List (its list does not count them)
    std::uint64_t size = 0;
};

class Handheld {
public:
    virtual ~Handheld() = default;

    // Every database in RAM.
    virtual std::vector<StoredDatabase> List() const = 0;
    virtual std::optional<StoredDatabase> Find(const std::string& name) const = 0;
    // The database read whole; none when missing or unreadable.
    virtual std::unique_ptr<qz_gen::CPalmDb> Load(const std::string& name) const = 0;
    // Writes db whole under its own name, in place of any database of that name; false, with
    // errno telling why, when it is not (wholly) there.
    virtual bool Store(qz_gen::CPalmDb& db) const = 0;
    // Removes the database of that name; false when there was none. A handheld may keep it until a
    // database of the name is stored in its place or FinishRemovals, but it is gone from the
    // lists at once.
    virtual bool Remove(const std::string& name) const = 0;
    // Removes the databases whose removal waited; the names of those that could not be removed.
    virtual std::vector<std::string> FinishRemovals() const = 0;
};

}  // namespace palmdesk
