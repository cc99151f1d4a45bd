// FakeHandheld.h: a handheld in memory behind the Sync API. Bound for its lifetime, it serves every
// Sync API call of the process; each database is kept as the bytes of its file, so what a caller
// stores is read back as the store would read it. Stores can fail as a full handheld does. As the
// store in a synchronisation, it keeps a removed database until one of its name is stored in its
// place, and puts it back when that store fails.
#pragma once

#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/Handheld.h"
#include "palmdesk/SyncApi.h"

#include <cerrno>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FakeHandheld final : public palmdesk::Handheld {
public:
    FakeHandheld() { PalmdeskBindHandheld(this); }
    ~FakeHandheld() override { PalmdeskBindHandheld(nullptr); }
    FakeHandheld(const FakeHandheld&) = delete;
    FakeHandheld& operator=(const FakeHandheld&) = delete;

    std::vector<palmdesk::StoredDatabase> List() const override {
        std::vector<palmdesk::StoredDatabase> out;
        for (const auto& [name, bytes] : databases)
            if (const auto db = Load(name))
                out.push_back({name, "", db->Header().type, db->Header().creator, db->Header().attributes,
                               static_cast<std::uint32_t>(db->UsedLength()), bytes.size()});
        return out;
    }
    std::optional<palmdesk::StoredDatabase> Find(const std::string& name) const override {
        for (auto& db : List())
            if (db.name == name) return db;
        return std::nullopt;
    }
    std::unique_ptr<qz_gen::CPalmDb> Load(const std::string& name) const override {
        const auto at = databases.find(name);
        if (at == databases.end()) return nullptr;
        auto db = std::make_unique<qz_gen::CPalmDb>();
        if (db->ReadFromBytes(at->second) != 0) return nullptr;
        return db;
    }
    bool Store(qz_gen::CPalmDb& db) const override {
        const std::string name = db.GetName();
        const auto removed = removing.find(name);
        if (failStores) {
            if (removed != removing.end()) {
                databases[name] = std::move(removed->second);
                removing.erase(removed);
            }
            errno = ENOSPC;
            return false;
        }
        if (removed != removing.end()) removing.erase(removed);
        db.SetLayoutFields();
        databases[name] = db.ToBytes();
        return true;
    }
    bool Remove(const std::string& name) const override {
        const auto at = databases.find(name);
        if (at == databases.end()) return false;
        removing[name] = std::move(at->second);
        databases.erase(at);
        return true;
    }
    std::vector<std::string> FinishRemovals() const override {
        removing.clear();
        return {};
    }

    mutable std::map<std::string, std::vector<std::uint8_t>> databases;
    mutable std::map<std::string, std::vector<std::uint8_t>> removing;  // removed, kept until replaced
    bool failStores = false;
};
