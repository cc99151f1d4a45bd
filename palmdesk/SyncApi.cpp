// SyncApi.cpp: the Sync API library (Sync.so).
#include "SyncApi.h"

#include "HandheldStore.h"
#include "UserStore.h"
#include "core/qz_fileio/PalmDb.h"

#include <algorithm>
#include <cerrno>
#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#define SYNC_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
struct OpenDatabase {
    std::unique_ptr<qz_gen::CPalmDb> db;
    bool writable = false;
    bool changed = false;
};

struct Searches {
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::pair<std::vector<std::string>, std::size_t>> cursors;
};

std::mutex stateMutex;
std::array<std::unique_ptr<OpenDatabase>, 256> handles;  // handle 0 is never given out
Searches searches;

// The handheld of the synchronisation in progress. Within one synchronisation (one value of
// kSyncSessionVariable) the same folder store, and so its index of names, serves every call: the
// HotSync manager holds the user's lock meanwhile. Calls outside a session get a store of their
// own. A device the HotSync manager bound takes the place of the folder store.
struct SessionStore {
    std::mutex mutex;
    std::string session;
    std::string folder;
    std::shared_ptr<palmdesk::HandheldStore> store;
    palmdesk::Handheld* device = nullptr;
};
SessionStore sessionStore;

std::shared_ptr<const palmdesk::Handheld> currentStore() {
    {
        std::lock_guard lock(sessionStore.mutex);
        // The HotSync manager keeps the device until it unbinds it, after the last call.
        if (sessionStore.device) return std::shared_ptr<const palmdesk::Handheld>(std::shared_ptr<void>(), sessionStore.device);
    }
    const char* user = std::getenv(kSyncUserVariable);
    if (user == nullptr || !palmdesk::UserStore::IsValidName(user)) return nullptr;
    std::string folder = palmdesk::UserStore().HandheldFolder(user);
    const char* session = std::getenv(kSyncSessionVariable);
    if (session == nullptr || *session == '\0') return std::make_shared<palmdesk::HandheldStore>(std::move(folder));
    std::lock_guard lock(sessionStore.mutex);
    if (!sessionStore.store || sessionStore.session != session || sessionStore.folder != folder) {
        sessionStore.session = session;
        sessionStore.folder = folder;
        sessionStore.store = std::make_shared<palmdesk::HandheldStore>(folder);
        sessionStore.store->DeferFlush();  // the HotSync manager commits the store at the end
        sessionStore.store->DeferRemovals();
    }
    return sessionStore.store;
}

// A failure the handheld reported through errno, as the Sync API's result.
std::int32_t resultOf(int error) {
    switch (error) {
    case ENOENT: return SYNCERR_NOT_FOUND;
    case ENOSPC:
    case EDQUOT: return SYNCERR_NO_SPACE;
    case EEXIST: return SYNCERR_FILE_ALREADY_EXISTS;
    case EROFS: return SYNCERR_READ_ONLY;
    default: return SYNCERR_UNKNOWN;
    }
}

OpenDatabase* openDatabase(std::uint8_t handle) { return handle == 0 ? nullptr : handles[handle].get(); }

std::int32_t takeHandle(std::unique_ptr<OpenDatabase> open, std::uint8_t* handle) {
    for (std::size_t h = 1; h < handles.size(); ++h)
        if (!handles[h]) {
            handles[h] = std::move(open);
            *handle = static_cast<std::uint8_t>(h);
            return SYNCERR_NONE;
        }
    return SYNCERR_TOO_MANY_OPEN_FILES;
}

std::string nameOf(const char* name) { return std::string(name, strnlen(name, 32)); }

// The index-th record that is present, in slot order.
qz_gen::CDbRecord* recordAt(qz_gen::CPalmDb& db, std::uint32_t index) {
    for (std::uint32_t slot = 0; slot < db.UsedLength(); ++slot)
        if (auto* r = db.RecordAt(slot); r && index-- == 0) return r;
    return nullptr;
}
}  // namespace

SYNC_EXPORT std::int32_t SyncFindDbByTypeCreator(const SyncFindDbParams* search, SyncDatabaseInfo* found) {
    if (search == nullptr || found == nullptr) return SYNCERR_BAD_ARGUMENT;
    const auto store = currentStore();
    if (!store) return SYNCERR_NO_USER;
    // Fields of packed records are copied out before use: they may lie unaligned.
    const std::uint32_t type = search->type, creator = search->creator;
    const std::uint8_t flags = search->searchFlags;
    std::lock_guard lock(stateMutex);
    auto& [names, next] = searches.cursors[{type, creator}];
    if (flags & eSearchNew) {
        names.clear();
        next = 0;
        for (const auto& db : store->List())
            if (db.type == type && db.creator == creator) names.push_back(db.name);
    }
    while (next < names.size()) {
        const auto db = store->Find(names[next++]);
        if (!db) continue;  // deleted since the search began
        std::memset(found, 0, sizeof *found);
        std::memcpy(found->name, db->name.data(), std::min<std::size_t>(db->name.size(), 31));
        found->type = db->type;
        found->creator = db->creator;
        found->attributes = db->attributes;
        found->records = db->records;
        return SYNCERR_NONE;
    }
    return SYNCERR_NOT_FOUND;
}

SYNC_EXPORT std::int32_t SyncOpenDB(const char* name, std::int32_t card, std::uint8_t* handle, std::uint8_t mode) {
    if (name == nullptr || handle == nullptr || card != 0) return SYNCERR_BAD_ARGUMENT;
    const auto store = currentStore();
    if (!store) return SYNCERR_NO_USER;
    auto open = std::make_unique<OpenDatabase>();
    errno = 0;
    open->db = store->Load(nameOf(name));
    // The folder store reads a file it cannot open as a database that is not there.
    if (!open->db) return errno == ENOTCONN || errno == ECANCELED || errno == EIO ? resultOf(errno) : SYNCERR_NOT_FOUND;
    open->writable = (mode & eDbWrite) != 0;
    std::lock_guard lock(stateMutex);
    return takeHandle(std::move(open), handle);
}

SYNC_EXPORT std::int32_t SyncCreateDB(const SyncCreateDbParams* create, std::uint8_t* handle) {
    if (create == nullptr || handle == nullptr || create->card != 0) return SYNCERR_BAD_ARGUMENT;
    const auto store = currentStore();
    if (!store) return SYNCERR_NO_USER;
    const std::string name = nameOf(create->name);
    if (name.empty()) return SYNCERR_BAD_ARGUMENT;
    if (store->Find(name)) return SYNCERR_FILE_ALREADY_EXISTS;
    auto open = std::make_unique<OpenDatabase>();
    open->db = std::make_unique<qz_gen::CPalmDb>();
    open->db->SetName(name);
    auto& h = open->db->Header();
    h.attributes = create->attributes;
    h.version = create->version;
    h.type = create->type;
    h.creator = create->creator;
    open->writable = true;
    open->changed = true;  // a new database is written at its close even when empty
    std::lock_guard lock(stateMutex);
    return takeHandle(std::move(open), handle);
}

SYNC_EXPORT std::int32_t SyncCloseDB(std::uint8_t handle) {
    std::unique_ptr<OpenDatabase> open;
    {
        std::lock_guard lock(stateMutex);
        if (!openDatabase(handle)) return SYNCERR_BAD_HANDLE;
        open = std::move(handles[handle]);
    }
    if (!open->writable || !open->changed) return SYNCERR_NONE;
    const auto store = currentStore();
    if (!store) return SYNCERR_NO_USER;
    if (store->Store(*open->db)) return SYNCERR_NONE;
    return resultOf(errno);
}

SYNC_EXPORT std::int32_t SyncDeleteDB(const char* name, std::int32_t card) {
    if (name == nullptr || card != 0) return SYNCERR_BAD_ARGUMENT;
    const auto store = currentStore();
    if (!store) return SYNCERR_NO_USER;
    store->Remove(nameOf(name));
    return SYNCERR_NONE;
}

SYNC_EXPORT std::int32_t SyncReadDBAppInfoBlock(std::uint8_t handle, SyncBlockParams* block) {
    if (block == nullptr || block->buffer == nullptr) return SYNCERR_BAD_ARGUMENT;
    std::lock_guard lock(stateMutex);
    OpenDatabase* open = openDatabase(handle);
    if (!open) return SYNCERR_BAD_HANDLE;
    const auto info = open->db->AppInfo();
    if (info.empty()) return SYNCERR_NOT_FOUND;
    const std::uint32_t capacity = block->totalBytes;
    const std::uint32_t n = std::min(capacity, static_cast<std::uint32_t>(info.size()));
    std::memcpy(block->buffer, info.data(), n);
    block->bytesRead = n;
    return SYNCERR_NONE;
}

SYNC_EXPORT std::int32_t SyncWriteDBAppInfoBlock(std::uint8_t handle, const SyncBlockParams* block) {
    if (block == nullptr || (block->buffer == nullptr && block->totalBytes != 0)) return SYNCERR_BAD_ARGUMENT;
    std::lock_guard lock(stateMutex);
    OpenDatabase* open = openDatabase(handle);
    if (!open) return SYNCERR_BAD_HANDLE;
    if (!open->writable) return SYNCERR_READ_ONLY;
    static const std::uint8_t none = 0;
    if (open->db->SetAppInfo(block->totalBytes, block->buffer ? block->buffer : &none) != 0) return SYNCERR_BAD_ARGUMENT;
    open->changed = true;
    return SYNCERR_NONE;
}

SYNC_EXPORT std::int32_t SyncReadRecordByIndex(SyncRecordParams* record) {
    if (record == nullptr || record->buffer == nullptr) return SYNCERR_BAD_ARGUMENT;
    std::lock_guard lock(stateMutex);
    OpenDatabase* open = openDatabase(record->handle);
    if (!open) return SYNCERR_BAD_HANDLE;
    const qz_gen::CDbRecord* r = recordAt(*open->db, record->recordIndex);
    if (!r) return SYNCERR_NOT_FOUND;
    record->dataLength = r->GetLength();
    if (r->GetLength() > record->bufferSize) return SYNCERR_BUFFER_TOO_SMALL;
    if (r->GetLength() != 0) std::memcpy(record->buffer, r->GetData(), r->GetLength());
    record->recordId = r->GetUniqueID();
    record->category = static_cast<std::int16_t>(r->GetCategory());
    return SYNCERR_NONE;
}

SYNC_EXPORT std::int32_t SyncWriteRec(SyncRecordParams* record) {
    if (record == nullptr || (record->buffer == nullptr && record->dataLength != 0)) return SYNCERR_BAD_ARGUMENT;
    std::lock_guard lock(stateMutex);
    OpenDatabase* open = openDatabase(record->handle);
    if (!open) return SYNCERR_BAD_HANDLE;
    if (!open->writable) return SYNCERR_READ_ONLY;
    qz_gen::CDbRecord r;
    static const std::uint8_t none = 0;
    if (r.SetData(record->dataLength, record->buffer ? record->buffer : &none) != 0) return SYNCERR_UNKNOWN;
    std::uint32_t id = record->recordId;
    if (id == 0) {
        for (std::uint32_t slot = 0; slot < open->db->UsedLength(); ++slot)
            if (const auto* existing = open->db->RecordAt(slot)) id = std::max(id, existing->GetUniqueID() & 0xFFFFFF);
        ++id;
    }
    r.SetUniqueID(id);
    r.SetCategory(static_cast<std::uint32_t>(record->category));
    if (open->db->AddRecord(r) != 0) return SYNCERR_UNKNOWN;
    record->recordId = id;
    open->changed = true;
    return SYNCERR_NONE;
}

SYNC_EXPORT void PalmdeskBindHandheld(palmdesk::Handheld* handheld) {
    std::lock_guard lock(sessionStore.mutex);
    sessionStore.device = handheld;
}

SYNC_EXPORT std::int32_t PalmdeskEndSyncSession(char* names, std::uint32_t capacity) {
    std::shared_ptr<const palmdesk::Handheld> store;
    {
        std::lock_guard lock(sessionStore.mutex);
        if (sessionStore.device) store = std::shared_ptr<const palmdesk::Handheld>(std::shared_ptr<void>(), sessionStore.device);
        else store = std::move(sessionStore.store);
        sessionStore.store.reset();
        sessionStore.session.clear();
    }
    if (!store) return 0;
    const auto failed = store->FinishRemovals();
    std::string text;
    for (const auto& name : failed) text += name + "\n";
    if (names != nullptr && capacity > 0) {
        const std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
        std::memcpy(names, text.data(), n);
        names[n] = '\0';
    }
    return static_cast<std::int32_t>(failed.size());
}

SYNC_EXPORT std::uint16_t SyncHHToHostWord(std::uint16_t value) { return static_cast<std::uint16_t>(value >> 8 | value << 8); }
SYNC_EXPORT std::uint16_t SyncHostToHHWord(std::uint16_t value) { return static_cast<std::uint16_t>(value >> 8 | value << 8); }
SYNC_EXPORT std::uint32_t SyncHostToHHDWord(std::uint32_t value) {
    return value >> 24 | (value >> 8 & 0xFF00) | (value << 8 & 0xFF0000) | value << 24;
}
