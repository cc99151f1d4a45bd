// HandheldSimulator.cpp: each DLP command as a handheld carries it out, over the folder store.
#include "palmdesk/simulator/HandheldSimulator.h"

#include "core/qz_fileio/DbRecord.h"
#include "core/qz_fileio/PalmDb.h"
#include "core/qz_fileio/PalmTime.h"
#include "palmdesk/device/DeviceHandheld.h"

#include <algorithm>
#include <ctime>

namespace palmdesk::sim {

namespace {

using namespace palmdesk::dlp;
using qz_gen::CDbRecord;
using qz_gen::CPalmDb;

constexpr std::size_t kMaxOpen = 12;
constexpr std::size_t kListPage = 16;
constexpr std::uint16_t kAllowedDbFlags = kDbResource | kDbBackup | kDbOkToInstallNewer | kDbResetAfterInstall;

DlpResponse reply(std::uint8_t command, std::uint16_t error = err::kNone) { return DlpResponse{command, error, {}}; }

template <class T>
DlpResponse reply(std::uint8_t command, const T& value, std::uint8_t argId = kFirstArgId) {
    return DlpResponse{command, err::kNone, {DlpArg{argId, writeFields(value)}}};
}

// The argument argId of request read as T; false when it is missing or does not read.
template <class T>
bool argAs(const DlpRequest& request, std::uint8_t argId, T& value) {
    const DlpArg* arg = request.find(argId);
    std::string why;
    return arg != nullptr && readFields(arg->data, value, why);
}

DlpDateTime dateOf(std::uint32_t palm) {
    if (palm == 0) return {};
    return DlpDateTime::fromTime(static_cast<std::time_t>(palm) - static_cast<std::time_t>(qz_gen::kPalmEpochOffset));
}

std::vector<const CDbRecord*> present(const CPalmDb& db) {
    std::vector<const CDbRecord*> records;
    for (std::uint32_t slot = 0; slot < db.UsedLength(); ++slot)
        if (const CDbRecord* r = db.RecordAt(slot)) records.push_back(r);
    return records;
}

// The part of bytes from offset, count of them (kReadToEnd: all the rest).
std::vector<std::uint8_t> slice(std::span<const std::uint8_t> bytes, std::uint16_t offset, std::uint16_t count) {
    if (offset >= bytes.size()) return {};
    const std::size_t n = count == kReadToEnd ? bytes.size() - offset : std::min<std::size_t>(count, bytes.size() - offset);
    return {bytes.begin() + offset, bytes.begin() + offset + static_cast<std::ptrdiff_t>(n)};
}

Record recordOf(const CDbRecord& r, std::uint16_t index, std::uint16_t offset, std::uint16_t count) {
    return Record{r.GetUniqueID() & 0xFFFFFF, index, static_cast<std::uint16_t>(r.GetLength()), dlpAttributesOf(r),
                  static_cast<std::uint8_t>(r.GetCategory()), slice(r.Bytes(), offset, count)};
}

Resource resourceOf(const CDbRecord& r, std::uint16_t index, std::uint16_t offset, std::uint16_t count) {
    return Resource{r.GetUniqueID(), static_cast<std::uint16_t>(r.GetResourceID()), index,
                    static_cast<std::uint16_t>(r.GetLength()), slice(r.Bytes(), offset, count)};
}

}  // namespace

HandheldSimulator::HandheldSimulator(std::string folder, HandheldState state)
    : store_(std::move(folder)), state_(std::move(state)) {}

HandheldSimulator::~HandheldSimulator() = default;

void HandheldSimulator::serve(link::MessageLink& link) {
    open_.clear();
    seen_.clear();
    state_.syncLog.clear();
    state_.endStatus = 0xFFFF;
    link.open();
    for (;;) {
        const auto message = link.receive();
        DlpRequest request;
        std::string why;
        DlpResponse response;
        if (decodeRequest(message, request, why)) {
            seen_.push_back(describeRequest(request));
            response = answer(request);
        } else {
            seen_.push_back("unreadable request: " + why);
            response = reply(message.empty() ? 0 : static_cast<std::uint8_t>(message[0] & 0x7F), err::kBadWrapper);
        }
        link.send(response.encode());
        if (request.command == cmd::kEndOfSync && response.error == err::kNone) break;
    }
    // A handheld closes what the desktop left open at the end of a sync.
    for (auto& [handle, db] : open_) {
        if (db.changed && db.writable) {
            db.db->SetLayoutFields();
            store_.Store(*db.db);
        }
    }
    open_.clear();
}

DlpResponse HandheldSimulator::answer(const DlpRequest& request) {
    DlpResponse response = dispatch(request);
    response.command = request.command;
    return response;
}

HandheldSimulator::OpenDb* HandheldSimulator::open(std::uint8_t handle) {
    const auto it = open_.find(handle);
    return it == open_.end() ? nullptr : &it->second;
}

std::int32_t HandheldSimulator::findHandle(const std::string& name) const {
    for (const auto& [handle, db] : open_)
        if (db.name == name) return handle;
    return -1;
}

DbInfo HandheldSimulator::describe(const CPalmDb& db, std::uint16_t index, bool isOpen) const {
    const auto& h = db.Header();
    DbInfo info;
    info.misc = kMiscRamBased;
    info.flags = static_cast<std::uint16_t>((h.attributes & kAllowedDbFlags) | (isOpen ? kDbOpen : 0));
    info.type = h.type;
    info.creator = h.creator;
    info.version = h.version;
    info.modification = h.modificationNumber;
    info.created = dateOf(h.creationDate);
    info.modified = dateOf(h.modificationDate);
    info.backedUp = dateOf(h.lastBackupDate);
    info.index = index;
    info.name = db.GetName();
    return info;
}

std::vector<DbInfo> HandheldSimulator::listStored() const {
    std::vector<DbInfo> list;
    for (const StoredDatabase& stored : store_.List()) {
        CPalmDb layout;
        if (!qz_gen::ReadDatabaseLayout(stored.file, layout)) continue;
        list.push_back(describe(layout, static_cast<std::uint16_t>(list.size()), findHandle(stored.name) >= 0));
    }
    return list;
}

DlpResponse HandheldSimulator::dispatch(const DlpRequest& request) {
    const std::uint8_t c = request.command;
    switch (c) {
    case cmd::kReadSysInfo: return sysInfo(request);
    case cmd::kReadUserInfo: return userInfo(request, false);
    case cmd::kWriteUserInfo: return userInfo(request, true);
    case cmd::kGetSysDateTime: return dateTime(request, false);
    case cmd::kSetSysDateTime: return dateTime(request, true);
    case cmd::kReadStorageInfo: return storageInfo(request);
    case cmd::kReadDBList: return dbList(request);
    case cmd::kFindDB: return findDb(request);
    case cmd::kOpenDB: return openDb(request);
    case cmd::kCreateDB: return createDb(request);
    case cmd::kCloseDB: return closeDb(request);
    case cmd::kDeleteDB: return deleteDb(request);
    case cmd::kReadOpenDBInfo: return openDbInfo(request);
    case cmd::kReadAppBlock: return readAppBlock(request);
    case cmd::kWriteAppBlock: return writeAppBlock(request);
    case cmd::kReadRecord: return readRecord(request);
    case cmd::kReadRecordIDList: return recordIdList(request);
    case cmd::kWriteRecord: return writeRecord(request);
    case cmd::kDeleteRecord: return deleteRecord(request);
    case cmd::kReadResource: return readResource(request);
    case cmd::kWriteResource: return writeResource(request);
    case cmd::kReadNetSyncInfo: return netSyncInfo(request, false);
    case cmd::kWriteNetSyncInfo: return netSyncInfo(request, true);
    case cmd::kOpenConduit: return reply(c);
    case cmd::kAddSyncLogEntry: {
        LogEntryRequest entry;
        if (!argAs(request, kFirstArgId, entry)) return reply(c, err::kParameter);
        state_.syncLog.push_back(entry.text);
        return reply(c);
    }
    case cmd::kEndOfSync: {
        EndOfSyncRequest end;
        if (!argAs(request, kFirstArgId, end)) return reply(c, err::kParameter);
        state_.endStatus = end.status;
        return reply(c);
    }
    case cmd::kResetSyncFlags:
    case cmd::kCleanUpDatabase: {
        DbHandle h;
        if (!argAs(request, kFirstArgId, h)) return reply(c, err::kParameter);
        return open(h.handle) ? reply(c) : reply(c, err::kNoneOpen);
    }
    default: return reply(c, err::kIllegalRequest);
    }
}

DlpResponse HandheldSimulator::sysInfo(const DlpRequest& request) {
    DlpResponse response = reply(request.command, SysInfo{0x05003000, 0x00010000, {0x00, 0x01, 0x00, 0x00}});
    // Desktops of DLP 1.2 on send their version and get the handheld's back.
    if (request.find(kFirstArgId))
        response.args.push_back(DlpArg{kSecondArgId, writeFields(SysInfoVersions{1, 4, 1, 0, 0xFFE1})});
    return response;
}

DlpResponse HandheldSimulator::userInfo(const DlpRequest& request, bool write) {
    if (!write) return reply(request.command, state_.user);
    WriteUserInfoRequest w;
    if (!argAs(request, kFirstArgId, w)) return reply(request.command, err::kParameter);
    if (w.modified & kUserModUserId) state_.user.userId = w.userId;
    if (w.modified & kUserModViewerId) state_.user.viewerId = w.viewerId;
    if (w.modified & kUserModSyncPc) state_.user.lastSyncPc = w.lastSyncPc;
    if (w.modified & kUserModSyncDate) state_.user.lastSync = state_.user.successfulSync = w.lastSync;
    if (w.modified & kUserModName) {
        if (w.name.size() > 40) return reply(request.command, err::kParameter);
        state_.user.name = w.name;
    }
    return reply(request.command);
}

DlpResponse HandheldSimulator::dateTime(const DlpRequest& request, bool set) {
    const std::time_t now = std::time(nullptr);
    if (!set) return reply(request.command, SysDateTime{DlpDateTime::fromTime(now + state_.clockOffset)});
    SysDateTime t;
    if (!argAs(request, kFirstArgId, t) || t.time.toTime() < 0) return reply(request.command, err::kParameter);
    state_.clockOffset = t.time.toTime() - now;
    return reply(request.command);
}

DlpResponse HandheldSimulator::storageInfo(const DlpRequest& request) {
    StorageInfoRequest ask;
    if (!argAs(request, kFirstArgId, ask)) return reply(request.command, err::kParameter);
    if (ask.card != 0) return reply(request.command, err::kNotFound);
    CardInfo card{0, 1, DlpDateTime{2001, 1, 1, 0, 0, 0, 0}, 0x400000, 0x1000000, 0xC00000, "Simulated card", "palmdesk"};
    DlpResponse response = reply(request.command, StorageInfo{0, 0, {card}});
    const auto count = static_cast<std::uint16_t>(store_.List().size());
    response.args.push_back(DlpArg{kSecondArgId, writeFields(StorageInfoCounts{0, count})});
    return response;
}

DlpResponse HandheldSimulator::dbList(const DlpRequest& request) {
    DbListRequest ask;
    if (!argAs(request, kFirstArgId, ask)) return reply(request.command, err::kParameter);
    // Everything here lives in RAM; a ROM-only listing finds nothing.
    if (!(ask.flags & kListRam) || ask.card != 0) return reply(request.command, err::kNotFound);
    const auto all = listStored();
    if (ask.start >= all.size()) return reply(request.command, err::kNotFound);
    const std::size_t n = std::min<std::size_t>((ask.flags & kListMultiple) ? kListPage : 1, all.size() - ask.start);
    DbList page;
    page.databases.assign(all.begin() + ask.start, all.begin() + static_cast<std::ptrdiff_t>(ask.start + n));
    page.lastIndex = page.databases.back().index;
    page.flags = ask.start + n < all.size() ? kListMore : 0;
    return reply(request.command, page);
}

DlpResponse HandheldSimulator::findDb(const DlpRequest& request) {
    const std::uint8_t c = request.command;
    FoundDb found;
    FoundDbSize size;
    std::uint8_t options = 0;
    FindByNameRequest byName;
    FindByHandleRequest byHandle;
    FindByTypeCreatorRequest byType;
    if (argAs(request, kSecondArgId, byHandle)) {
        options = byHandle.options;
        OpenDb* db = open(byHandle.handle);
        if (!db) return reply(c, err::kNotFound);
        found.info = describe(*db->db, 0xFFFF, true);
        found.openRef = byHandle.handle;
        size.appBlockSize = db->db->AppInfoLength();
        size.sortBlockSize = db->db->SortInfoLength();
        for (const CDbRecord* r : present(*db->db)) {
            size.dataBytes += r->GetLength();
            size.maxRecordSize = std::max(size.maxRecordSize, r->GetLength());
        }
        size.records = db->db->LiveCount();
        size.totalBytes = size.dataBytes + size.appBlockSize + size.sortBlockSize;
    } else {
        const auto all = listStored();
        const DbInfo* hit = nullptr;
        if (argAs(request, kFirstArgId, byName)) {
            options = byName.options;
            for (const DbInfo& db : all)
                if (db.name == byName.name) hit = &db;
        } else if (argAs(request, kThirdArgId, byType)) {
            options = byType.options;
            if (byType.search & kFindNewSearch) findPosition_ = 0;
            for (; findPosition_ < all.size() && !hit; ++findPosition_) {
                const DbInfo& db = all[findPosition_];
                if ((byType.type == 0 || db.type == byType.type) && (byType.creator == 0 || db.creator == byType.creator)) hit = &db;
            }
        } else {
            return reply(c, err::kParameter);
        }
        if (!hit) return reply(c, err::kNotFound);
        found.info = *hit;
        found.localId = hit->index + 1u;
        const std::int32_t handle = findHandle(hit->name);
        found.openRef = handle >= 0 ? static_cast<std::uint32_t>(handle) : 0;
        if (const auto stored = store_.Find(hit->name)) {
            size.records = stored->records;
            size.totalBytes = size.dataBytes = static_cast<std::uint32_t>(stored->size);
        }
    }
    DlpResponse response{c, err::kNone, {}};
    if (options & kFindGetAttributes) response.args.push_back(DlpArg{kFirstArgId, writeFields(found)});
    if (options & (kFindGetSize | kFindGetMaxRecordSize)) response.args.push_back(DlpArg{kSecondArgId, writeFields(size)});
    return response;
}

DlpResponse HandheldSimulator::openDb(const DlpRequest& request) {
    const std::uint8_t c = request.command;
    OpenDbRequest ask;
    if (!argAs(request, kFirstArgId, ask)) return reply(c, err::kParameter);
    if (ask.card != 0) return reply(c, err::kNotFound);
    if (open_.size() >= kMaxOpen) return reply(c, err::kTooManyOpen);
    auto db = store_.Load(ask.name);
    if (!db) return reply(c, err::kNotFound);
    std::uint8_t handle = 1;
    while (open_.count(handle)) ++handle;
    open_[handle] = OpenDb{ask.name, std::move(db), (ask.mode & kOpenWrite) != 0, false};
    return reply(c, DbHandle{handle});
}

DlpResponse HandheldSimulator::createDb(const DlpRequest& request) {
    const std::uint8_t c = request.command;
    CreateDbRequest ask;
    if (!argAs(request, kFirstArgId, ask) || ask.name.empty() || ask.name.size() > 31) return reply(c, err::kParameter);
    if (ask.card != 0) return reply(c, err::kParameter);
    if (store_.Find(ask.name) || findHandle(ask.name) >= 0) return reply(c, err::kAlreadyExists);
    if (open_.size() >= kMaxOpen) return reply(c, err::kTooManyOpen);
    auto db = std::make_unique<CPalmDb>();
    db->SetName(ask.name);
    auto& h = db->Header();
    h.attributes = ask.flags & kAllowedDbFlags;
    h.version = ask.version;
    h.type = ask.type;
    h.creator = ask.creator;
    h.creationDate = h.modificationDate = qz_gen::PalmNow();
    std::uint8_t handle = 1;
    while (open_.count(handle)) ++handle;
    open_[handle] = OpenDb{ask.name, std::move(db), true, true};
    return reply(c, DbHandle{handle});
}

DlpResponse HandheldSimulator::closeDb(const DlpRequest& request) {
    const std::uint8_t c = request.command;
    std::vector<std::uint8_t> handles;
    DbHandle one;
    if (request.find(kSecondArgId)) {
        for (const auto& [handle, db] : open_) handles.push_back(handle);
    } else if (argAs(request, kFirstArgId, one)) {
        if (!open(one.handle)) return reply(c, err::kNoneOpen);
        handles.push_back(one.handle);
    } else {
        return reply(c, err::kParameter);
    }
    for (const std::uint8_t handle : handles) {
        OpenDb& db = open_[handle];
        if (db.changed && db.writable) {
            db.db->Header().modificationDate = qz_gen::PalmNow();
            ++db.db->Header().modificationNumber;
            db.db->SetLayoutFields();
            if (!store_.Store(*db.db)) return reply(c, err::kNotEnoughSpace);
        }
        open_.erase(handle);
    }
    return reply(c);
}

DlpResponse HandheldSimulator::deleteDb(const DlpRequest& request) {
    DeleteDbRequest ask;
    if (!argAs(request, kFirstArgId, ask)) return reply(request.command, err::kParameter);
    if (findHandle(ask.name) >= 0) return reply(request.command, err::kDatabaseOpen);
    return reply(request.command, store_.Remove(ask.name) ? err::kNone : err::kNotFound);
}

DlpResponse HandheldSimulator::openDbInfo(const DlpRequest& request) {
    DbHandle h;
    if (!argAs(request, kFirstArgId, h)) return reply(request.command, err::kParameter);
    OpenDb* db = open(h.handle);
    if (!db) return reply(request.command, err::kNoneOpen);
    return reply(request.command, OpenDbInfo{static_cast<std::uint16_t>(db->db->LiveCount())});
}

DlpResponse HandheldSimulator::readAppBlock(const DlpRequest& request) {
    ReadBlockRequest ask;
    if (!argAs(request, kFirstArgId, ask)) return reply(request.command, err::kParameter);
    OpenDb* db = open(ask.handle);
    if (!db) return reply(request.command, err::kNoneOpen);
    if (db->db->AppInfoLength() == 0) return reply(request.command, err::kNotFound);
    return reply(request.command, Block{static_cast<std::uint16_t>(db->db->AppInfoLength()),
                                        slice(db->db->AppInfo(), ask.offset, ask.count)});
}

DlpResponse HandheldSimulator::writeAppBlock(const DlpRequest& request) {
    WriteBlockRequest ask;
    if (!argAs(request, kFirstArgId, ask)) return reply(request.command, err::kParameter);
    OpenDb* db = open(ask.handle);
    if (!db) return reply(request.command, err::kNoneOpen);
    if (!db->writable) return reply(request.command, err::kReadOnly);
    static const std::uint8_t none = 0;
    if (db->db->SetAppInfo(static_cast<std::uint32_t>(ask.data.size()), ask.data.empty() ? &none : ask.data.data()) != 0)
        return reply(request.command, err::kNotEnoughSpace);
    db->changed = true;
    return reply(request.command);
}

DlpResponse HandheldSimulator::readRecord(const DlpRequest& request) {
    const std::uint8_t c = request.command;
    ReadRecordByIdRequest byId;
    ReadRecordByIndexRequest byIndex;
    const bool id = argAs(request, kFirstArgId, byId);
    if (!id && !argAs(request, kSecondArgId, byIndex)) return reply(c, err::kParameter);
    OpenDb* db = open(id ? byId.handle : byIndex.handle);
    if (!db) return reply(c, err::kNoneOpen);
    if (db->db->IsResourceDb()) return reply(c, err::kNotSupported);
    const auto records = present(*db->db);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const bool hit = id ? (records[i]->GetUniqueID() & 0xFFFFFF) == byId.id : i == byIndex.index;
        if (hit)
            return reply(c, recordOf(*records[i], static_cast<std::uint16_t>(i), id ? byId.offset : byIndex.offset,
                                     id ? byId.count : byIndex.count));
    }
    return reply(c, err::kNotFound);
}

DlpResponse HandheldSimulator::recordIdList(const DlpRequest& request) {
    RecordIdListRequest ask;
    if (!argAs(request, kFirstArgId, ask)) return reply(request.command, err::kParameter);
    OpenDb* db = open(ask.handle);
    if (!db) return reply(request.command, err::kNoneOpen);
    if (db->db->IsResourceDb()) return reply(request.command, err::kNotSupported);
    const auto records = present(*db->db);
    if (ask.start > records.size() || (ask.start == records.size() && ask.start > 0)) return reply(request.command, err::kNotFound);
    RecordIdList list;
    for (std::size_t i = ask.start; i < records.size() && list.ids.size() < ask.max; ++i)
        list.ids.push_back(RecordId{records[i]->GetUniqueID() & 0xFFFFFF});
    return reply(request.command, list);
}

DlpResponse HandheldSimulator::writeRecord(const DlpRequest& request) {
    const std::uint8_t c = request.command;
    WriteRecordRequest ask;
    if (!argAs(request, kFirstArgId, ask)) return reply(c, err::kParameter);
    OpenDb* db = open(ask.handle);
    if (!db) return reply(c, err::kNoneOpen);
    if (!db->writable) return reply(c, err::kReadOnly);
    if (db->db->IsResourceDb()) return reply(c, err::kNotSupported);
    std::uint32_t id = ask.id & 0xFFFFFF;
    if (id == 0) {
        for (const CDbRecord* r : present(*db->db)) id = std::max(id, r->GetUniqueID() & 0xFFFFFF);
        if (++id > 0xFFFFFF) return reply(c, err::kLimitExceeded);
    } else {
        db->db->RemoveRecordByUniqueID(id);
    }
    CDbRecord r;
    static const std::uint8_t none = 0;
    if (r.SetData(static_cast<std::uint32_t>(ask.data.size()), ask.data.empty() ? &none : ask.data.data()) != 0)
        return reply(c, err::kNotEnoughSpace);
    r.SetUniqueID(id);
    r.SetCategory(ask.category);
    applyDlpAttributes(r, ask.attributes);
    if (db->db->AddRecord(r) != 0) return reply(c, err::kNotEnoughSpace);
    db->changed = true;
    return reply(c, RecordId{id});
}

DlpResponse HandheldSimulator::deleteRecord(const DlpRequest& request) {
    DeleteRecordRequest ask;
    if (!argAs(request, kFirstArgId, ask)) return reply(request.command, err::kParameter);
    OpenDb* db = open(ask.handle);
    if (!db) return reply(request.command, err::kNoneOpen);
    if (!db->writable) return reply(request.command, err::kReadOnly);
    if (ask.flags & kDeleteAllRecords) {
        db->db->DeleteAllRecords();
    } else if (db->db->RemoveRecordByUniqueID(ask.id & 0xFFFFFF) != 0) {
        return reply(request.command, err::kNotFound);
    }
    db->changed = true;
    return reply(request.command);
}

DlpResponse HandheldSimulator::readResource(const DlpRequest& request) {
    const std::uint8_t c = request.command;
    ReadResourceByIndexRequest byIndex;
    ReadResourceByTypeRequest byType;
    const bool index = argAs(request, kFirstArgId, byIndex);
    if (!index && !argAs(request, kSecondArgId, byType)) return reply(c, err::kParameter);
    OpenDb* db = open(index ? byIndex.handle : byType.handle);
    if (!db) return reply(c, err::kNoneOpen);
    if (!db->db->IsResourceDb()) return reply(c, err::kNotSupported);
    const auto resources = present(*db->db);
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const CDbRecord& r = *resources[i];
        const bool hit = index ? i == byIndex.index : r.GetUniqueID() == byType.type && r.GetResourceID() == byType.id;
        if (hit)
            return reply(c, resourceOf(r, static_cast<std::uint16_t>(i), index ? byIndex.offset : byType.offset,
                                       index ? byIndex.count : byType.count));
    }
    return reply(c, err::kNotFound);
}

DlpResponse HandheldSimulator::writeResource(const DlpRequest& request) {
    const std::uint8_t c = request.command;
    WriteResourceRequest ask;
    if (!argAs(request, kFirstArgId, ask)) return reply(c, err::kParameter);
    OpenDb* db = open(ask.handle);
    if (!db) return reply(c, err::kNoneOpen);
    if (!db->writable) return reply(c, err::kReadOnly);
    if (!db->db->IsResourceDb()) return reply(c, err::kNotSupported);
    for (std::uint32_t slot = 0; slot < db->db->UsedLength(); ++slot) {
        const CDbRecord* r = db->db->RecordAt(slot);
        if (r && r->GetUniqueID() == ask.type && r->GetResourceID() == ask.id) db->db->RemoveRecordAt(slot);
    }
    CDbRecord r;
    static const std::uint8_t none = 0;
    if (r.SetData(static_cast<std::uint32_t>(ask.data.size()), ask.data.empty() ? &none : ask.data.data()) != 0)
        return reply(c, err::kNotEnoughSpace);
    r.SetUniqueID(ask.type);
    r.SetResourceID(ask.id);
    if (db->db->AddRecord(r) != 0) return reply(c, err::kNotEnoughSpace);
    db->changed = true;
    return reply(c);
}

DlpResponse HandheldSimulator::netSyncInfo(const DlpRequest& request, bool write) {
    if (!write) {
        NetSyncInfoResponse info;
        static_cast<NetSyncInfo&>(info) = state_.netSync;
        return reply(request.command, info);
    }
    WriteNetSyncInfoRequest w;
    if (!argAs(request, kFirstArgId, w)) return reply(request.command, err::kParameter);
    if (w.modified & 0x80) state_.netSync.lanSync = w.lanSync;
    if (w.modified & 0x40) state_.netSync.hostName = w.hostName;
    if (w.modified & 0x20) state_.netSync.hostAddress = w.hostAddress;
    if (w.modified & 0x10) state_.netSync.subnetMask = w.subnetMask;
    return reply(request.command);
}

}  // namespace palmdesk::sim
