// DeviceHandheld.cpp: the Handheld interface over DlpDevice.
#include "palmdesk/device/DeviceHandheld.h"

#include "core/qz_fileio/PalmDb.h"

#include <cerrno>

namespace palmdesk {

namespace {

using dlp::DlpResult;
using dlp::DlpStatus;
using qz_gen::CDbRecord;
using qz_gen::CPalmDb;

// Seconds from 1904, when handheld dates begin, to 1970.
constexpr std::int64_t kPalmEpochOffset = 2082844800;

std::uint32_t palmDate(const dlp::DlpDateTime& date) {
    const std::time_t t = date.toTime();
    return t < 0 ? 0 : static_cast<std::uint32_t>(static_cast<std::int64_t>(t) + kPalmEpochOffset);
}

int errnoOf(DlpStatus status) {
    switch (status) {
    case DlpStatus::kOk: return 0;
    case DlpStatus::kNotFound: return ENOENT;
    case DlpStatus::kAlreadyExists: return EEXIST;
    case DlpStatus::kReadOnly: return EROFS;
    case DlpStatus::kNoSpace: return ENOSPC;
    case DlpStatus::kTooManyOpen: return EMFILE;
    case DlpStatus::kDatabaseOpen: return EBUSY;
    case DlpStatus::kNotSupported: return ENOTSUP;
    case DlpStatus::kCancelled: return ECANCELED;
    case DlpStatus::kLinkLost: return ENOTCONN;
    case DlpStatus::kDeviceError:
    case DlpStatus::kBadAnswer: return EIO;
    }
    return EIO;
}

// The flags CreateDB passes on: what a database is (resource or record) and how the handheld is
// to treat it. Read-only is a ROM database's and app-info-dirty a state of the handheld's own:
// neither is asked of a handheld for a new database.
constexpr std::uint16_t kCreateFlags =
    dlp::kDbResource | dlp::kDbBackup | dlp::kDbOkToInstallNewer | dlp::kDbResetAfterInstall;

}  // namespace

std::uint8_t dlpAttributesOf(const CDbRecord& r) {
    std::uint8_t a = 0;
    if (r.HasFlag(CDbRecord::kFlagDirty)) a |= dlp::kRecordDirty;
    if (r.HasFlag(CDbRecord::kFlagDeleted)) a |= dlp::kRecordDeleted;
    if (r.HasFlag(CDbRecord::kFlagArchived)) a |= dlp::kRecordDeleted | dlp::kRecordArchived;
    if (r.IsPrivate()) a |= dlp::kRecordSecret;
    return a;
}

void applyDlpAttributes(CDbRecord& r, std::uint8_t attributes) {
    r.SetPrivate((attributes & dlp::kRecordSecret) != 0);
    r.SetFlag(CDbRecord::kFlagDirty, (attributes & dlp::kRecordDirty) != 0);
}

bool DeviceHandheld::stopped() const {
    if (stop_ && stop_->load() && stoppedBy_.empty()) stoppedBy_ = "the HotSync was stopped on the desktop";
    return !stoppedBy_.empty();
}

bool DeviceHandheld::check(const DlpResult& result) const {
    if (result.ok()) return true;
    errno = errnoOf(result.status);
    return false;
}

std::string DeviceHandheld::Trouble() const {
    std::lock_guard lock(mutex_);
    if (stopped()) return stoppedBy_;
    return device_.linkFailure().empty() ? std::string() : "the link to the handheld failed: " + device_.linkFailure();
}

std::vector<StoredDatabase> DeviceHandheld::List() const {
    std::lock_guard lock(mutex_);
    std::vector<StoredDatabase> out;
    std::vector<dlp::DbInfo> databases;
    if (stopped()) {
        errno = ECANCELED;
        return out;
    }
    if (!check(device_.readDbList(dlp::kListRam, databases))) return out;
    for (const auto& db : databases)
        if (!removing_.contains(db.name))
            out.push_back(StoredDatabase{db.name, {}, db.type, db.creator, static_cast<std::uint16_t>(db.flags & ~dlp::kDbOpen), 0, 0});
    return out;
}

std::optional<StoredDatabase> DeviceHandheld::find(const std::string& name) const {
    if (stopped()) {
        errno = ECANCELED;
        return std::nullopt;
    }
    if (removing_.contains(name)) {
        errno = ENOENT;
        return std::nullopt;
    }
    dlp::FoundDb found;
    dlp::FoundDbSize size;
    if (!check(device_.findDbByName(name, found, &size))) return std::nullopt;
    return StoredDatabase{found.info.name, {}, found.info.type, found.info.creator,
                          static_cast<std::uint16_t>(found.info.flags & ~dlp::kDbOpen), size.records, size.totalBytes};
}

std::optional<StoredDatabase> DeviceHandheld::Find(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return find(name);
}

std::unique_ptr<CPalmDb> DeviceHandheld::Load(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return load(name);
}

std::unique_ptr<CPalmDb> DeviceHandheld::load(const std::string& name) const {
    if (stopped()) {
        errno = ECANCELED;
        return nullptr;
    }
    if (removing_.contains(name)) {
        errno = ENOENT;
        return nullptr;
    }
    dlp::FoundDb found;
    dlp::FoundDbSize size;
    if (!check(device_.findDbByName(name, found, &size))) return nullptr;
    std::uint8_t handle = 0;
    if (!check(device_.openDb(name, dlp::kOpenRead | dlp::kOpenShowSecret, handle))) return nullptr;
    auto db = std::make_unique<CPalmDb>();
    db->SetName(found.info.name);
    auto& h = db->Header();
    h.attributes = static_cast<std::uint16_t>(found.info.flags & ~dlp::kDbOpen);
    h.version = found.info.version;
    h.type = found.info.type;
    h.creator = found.info.creator;
    h.modificationNumber = found.info.modification;
    h.creationDate = palmDate(found.info.created);
    h.modificationDate = palmDate(found.info.modified);
    h.lastBackupDate = palmDate(found.info.backedUp);
    const auto read = [&]() -> bool {
        std::vector<std::uint8_t> info;
        const DlpResult block = device_.readAppBlock(handle, info);
        if (block.ok() && !info.empty()) db->SetAppInfo(static_cast<std::uint32_t>(info.size()), info.data());
        else if (!block.ok() && block.status != DlpStatus::kNotFound) return check(block);
        std::uint16_t count = 0;
        if (!check(device_.readOpenDbInfo(handle, count))) return false;
        for (std::uint16_t i = 0; i < count; ++i) {
            CDbRecord r;
            static const std::uint8_t none = 0;
            if (db->IsResourceDb()) {
                dlp::Resource resource;
                if (!check(device_.readResourceByIndex(handle, i, resource))) return false;
                r.SetData(static_cast<std::uint32_t>(resource.data.size()), resource.data.empty() ? &none : resource.data.data());
                r.SetUniqueID(resource.type);
                r.SetResourceID(resource.id);
            } else {
                dlp::Record record;
                if (!check(device_.readRecordByIndex(handle, i, record))) return false;
                r.SetData(static_cast<std::uint32_t>(record.data.size()), record.data.empty() ? &none : record.data.data());
                r.SetUniqueID(record.id);
                r.SetCategory(record.category);
                applyDlpAttributes(r, record.attributes);
            }
            if (db->AddRecord(r) != 0) {
                errno = ENOMEM;
                return false;
            }
        }
        return true;
    };
    const bool whole = read();
    const int why = errno;
    const bool closed = check(device_.closeDb(handle));
    if (!whole) {
        errno = why;
        return nullptr;
    }
    if (!closed) return nullptr;
    db->SetLayoutFields();
    return db;
}

bool DeviceHandheld::Store(CPalmDb& db) const {
    std::lock_guard lock(mutex_);
    return store(db);
}

bool DeviceHandheld::store(CPalmDb& db) const {
    if (stopped()) {
        errno = ECANCELED;
        return false;
    }
    const std::string name = db.GetName();
    const auto& h = db.Header();
    dlp::CreateDbRequest create;
    create.creator = h.creator;
    create.type = h.type;
    create.flags = static_cast<std::uint16_t>(h.attributes & kCreateFlags);
    create.version = h.version;
    create.name = name;
    std::uint8_t handle = 0;
    // The handheld holds one database per name: the one replaced goes first, whether its removal
    // waited or not. A new name, the usual case, takes one request.
    DlpResult created = device_.createDb(create, handle);
    if (created.status == DlpStatus::kAlreadyExists) {
        if (!check(device_.deleteDb(name))) return false;
        created = device_.createDb(create, handle);
    }
    if (!check(created)) return false;
    removing_.erase(name);
    const auto write = [&]() -> bool {
        if (db.AppInfoLength() != 0 && !check(device_.writeAppBlock(handle, db.AppInfo()))) return false;
        for (std::uint32_t slot = 0; slot < db.UsedLength(); ++slot) {
            const CDbRecord* r = db.RecordAt(slot);
            if (!r) continue;
            const std::span<const std::uint8_t> data(r->GetData(), r->GetLength());
            if (db.IsResourceDb()) {
                if (!check(device_.writeResource(handle, r->GetUniqueID(), static_cast<std::uint16_t>(r->GetResourceID()), data)))
                    return false;
            } else {
                std::uint32_t id = r->GetUniqueID() & 0xFFFFFF;
                if (!check(device_.writeRecord(handle, id, dlpAttributesOf(*r), static_cast<std::uint8_t>(r->GetCategory()), data)))
                    return false;
            }
        }
        return true;
    };
    if (write() && check(device_.closeDb(handle))) return true;
    // A database half written is no database: it goes, when the handheld can still be told.
    const int why = errno;
    device_.closeDb(handle);
    device_.deleteDb(name);
    errno = why;
    return false;
}

bool DeviceHandheld::Remove(const std::string& name) const {
    std::lock_guard lock(mutex_);
    if (!find(name)) return false;
    removing_.insert(name);
    return true;
}

std::vector<std::string> DeviceHandheld::FinishRemovals() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> failed;
    for (const auto& name : removing_) {
        const DlpResult result = stopped() ? DlpResult{DlpStatus::kCancelled, 0, stoppedBy_} : device_.deleteDb(name);
        if (!result.ok() && result.status != DlpStatus::kNotFound) failed.push_back(name);
    }
    removing_.clear();
    return failed;
}

}  // namespace palmdesk
