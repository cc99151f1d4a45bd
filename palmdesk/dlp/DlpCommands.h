// DlpCommands.h: the arguments of the DLP commands a HotSync uses, as structs whose fields are
// described once (DlpFields.h) for reading, writing and printing. All numbers are big-endian; the
// comments give each argument's layout where it is not plain from the field list.
#pragma once

#include "palmdesk/dlp/DlpFields.h"
#include "palmdesk/dlp/DlpProtocol.h"

#include <cstdint>
#include <string>
#include <vector>

namespace palmdesk::dlp {

// Open modes (OpenDB).
inline constexpr std::uint8_t kOpenRead = 0x80;
inline constexpr std::uint8_t kOpenWrite = 0x40;
inline constexpr std::uint8_t kOpenExclusive = 0x20;
inline constexpr std::uint8_t kOpenShowSecret = 0x10;
// Database flags (ReadDBList, CreateDB, FindDB).
inline constexpr std::uint16_t kDbResource = 0x0001;
inline constexpr std::uint16_t kDbReadOnly = 0x0002;
inline constexpr std::uint16_t kDbAppInfoDirty = 0x0004;
inline constexpr std::uint16_t kDbBackup = 0x0008;
inline constexpr std::uint16_t kDbOkToInstallNewer = 0x0010;
inline constexpr std::uint16_t kDbResetAfterInstall = 0x0020;
inline constexpr std::uint16_t kDbOpen = 0x8000;
// ReadDBList search flags.
inline constexpr std::uint8_t kListRam = 0x80;
inline constexpr std::uint8_t kListRom = 0x40;
inline constexpr std::uint8_t kListMultiple = 0x20;
inline constexpr std::uint8_t kListMore = 0x80;  // response flag: more databases follow
// ReadDBList / FindDB miscellaneous flags.
inline constexpr std::uint8_t kMiscExcludeFromSync = 0x80;
inline constexpr std::uint8_t kMiscRamBased = 0x40;
// FindDB options and search flags.
inline constexpr std::uint8_t kFindGetAttributes = 0x80;
inline constexpr std::uint8_t kFindGetSize = 0x40;
inline constexpr std::uint8_t kFindGetMaxRecordSize = 0x20;
inline constexpr std::uint8_t kFindNewSearch = 0x80;
inline constexpr std::uint8_t kFindOnlyLatest = 0x40;
// Record attributes.
inline constexpr std::uint8_t kRecordDeleted = 0x80;
inline constexpr std::uint8_t kRecordDirty = 0x40;
inline constexpr std::uint8_t kRecordBusy = 0x20;
inline constexpr std::uint8_t kRecordSecret = 0x10;
inline constexpr std::uint8_t kRecordArchived = 0x08;
// WriteUserInfo: which fields change.
inline constexpr std::uint8_t kUserModUserId = 0x80;
inline constexpr std::uint8_t kUserModSyncPc = 0x40;
inline constexpr std::uint8_t kUserModSyncDate = 0x20;
inline constexpr std::uint8_t kUserModName = 0x10;
inline constexpr std::uint8_t kUserModViewerId = 0x08;
// WriteRecord: the flag real desktops always set; DeleteRecord: all records.
inline constexpr std::uint8_t kWriteRecordDataIncluded = 0x80;
inline constexpr std::uint8_t kDeleteAllRecords = 0x80;
// EndOfSync status.
inline constexpr std::uint16_t kEndNormal = 0;
inline constexpr std::uint16_t kEndOutOfMemory = 1;
inline constexpr std::uint16_t kEndUserCancelled = 2;
inline constexpr std::uint16_t kEndOther = 3;
// "Everything from offset on" in read requests.
inline constexpr std::uint16_t kReadToEnd = 0xFFFF;
inline constexpr std::uint8_t kSecondArgId = kFirstArgId + 1;
inline constexpr std::uint8_t kThirdArgId = kFirstArgId + 2;

// Texts with a length byte count their terminator; no text, no terminator.
inline std::uint8_t terminatedLength(const std::string& s) {
    return s.empty() ? 0 : static_cast<std::uint8_t>(std::min<std::size_t>(s.size() + 1, 255));
}

// ReadSysInfo request: the desktop's DLP version.
struct SysInfoRequest {
    std::uint16_t major = 1, minor = 4;
    template <class F> bool fields(F& f) { return f.u16("dlpMajor", major) && f.u16("dlpMinor", minor); }
};
// ReadSysInfo response, argument 0x20.
struct SysInfo {
    std::uint32_t romVersion = 0, localization = 0;
    std::vector<std::uint8_t> productId;
    template <class F> bool fields(F& f) {
        std::uint8_t reserved = 0, size = static_cast<std::uint8_t>(productId.size());
        return f.u32("romVersion", romVersion) && f.u32("localization", localization) && f.u8("reserved", reserved) &&
               f.u8("productIdSize", size) && f.bytes("productId", productId, size);
    }
};
// ReadSysInfo response, argument 0x21 (DLP 1.2 on).
struct SysInfoVersions {
    std::uint16_t dlpMajor = 0, dlpMinor = 0, compatMajor = 0, compatMinor = 0;
    std::uint32_t maxRecordSize = 0;
    template <class F> bool fields(F& f) {
        return f.u16("dlpMajor", dlpMajor) && f.u16("dlpMinor", dlpMinor) && f.u16("compatMajor", compatMajor) &&
               f.u16("compatMinor", compatMinor) && f.u32("maxRecordSize", maxRecordSize);
    }
};

// ReadUserInfo response: 30 fixed bytes, then the name (with its zero) and the password.
struct UserInfo {
    std::uint32_t userId = 0, viewerId = 0, lastSyncPc = 0;
    DlpDateTime successfulSync, lastSync;
    std::string name;
    std::vector<std::uint8_t> password;
    template <class F> bool fields(F& f) {
        std::uint8_t nameLength = terminatedLength(name), passwordLength = static_cast<std::uint8_t>(password.size());
        return f.u32("userId", userId) && f.u32("viewerId", viewerId) && f.u32("lastSyncPc", lastSyncPc) &&
               f.date("successfulSync", successfulSync) && f.date("lastSync", lastSync) &&
               f.u8("nameLength", nameLength) && f.u8("passwordLength", passwordLength) &&
               f.text("name", name, nameLength) && f.bytes("password", password, passwordLength);
    }
};
// WriteUserInfo request: 22 fixed bytes, then the name with its zero.
struct WriteUserInfoRequest {
    std::uint32_t userId = 0, viewerId = 0, lastSyncPc = 0;
    DlpDateTime lastSync;
    std::uint8_t modified = 0;
    std::string name;
    template <class F> bool fields(F& f) {
        std::uint8_t nameLength = terminatedLength(name);
        return f.u32("userId", userId) && f.u32("viewerId", viewerId) && f.u32("lastSyncPc", lastSyncPc) &&
               f.date("lastSync", lastSync) && f.u8("modified", modified) && f.u8("nameLength", nameLength) &&
               f.text("name", name, nameLength);
    }
};

// GetSysDateTime response, SetSysDateTime request.
struct SysDateTime {
    DlpDateTime time;
    template <class F> bool fields(F& f) { return f.date("time", time); }
};

struct StorageInfoRequest {
    std::uint8_t card = 0;
    template <class F> bool fields(F& f) { return f.u8("card", card) && f.zeros(1); }
};
// One card of ReadStorageInfo: its length byte counts all of it, rounded up to even.
struct CardInfo {
    std::uint8_t card = 0;
    std::uint16_t version = 0;
    DlpDateTime created;
    std::uint32_t romSize = 0, ramSize = 0, freeRam = 0;
    std::string name, manufacturer;
    template <class F> bool fields(F& f) {
        const std::size_t whole = 26 + name.size() + manufacturer.size();
        std::uint8_t size = static_cast<std::uint8_t>(whole + whole % 2);
        if (!f.u8("size", size)) return false;
        if (size < 1) return false;
        return f.part(size - 1u, [&](auto& g) {
            std::uint8_t nameSize = static_cast<std::uint8_t>(name.size()), makerSize = static_cast<std::uint8_t>(manufacturer.size());
            return g.u8("card", card) && g.u16("version", version) && g.date("created", created) &&
                   g.u32("romSize", romSize) && g.u32("ramSize", ramSize) && g.u32("freeRam", freeRam) &&
                   g.u8("nameSize", nameSize) && g.u8("manufacturerSize", makerSize) && g.text("name", name, nameSize) &&
                   g.text("manufacturer", manufacturer, makerSize);
        });
    }
};
// ReadStorageInfo response, argument 0x20.
struct StorageInfo {
    std::uint8_t lastCard = 0, more = 0;
    std::vector<CardInfo> cards;
    template <class F> bool fields(F& f) {
        std::uint8_t count = static_cast<std::uint8_t>(cards.size()), reserved = 0;
        return f.u8("lastCard", lastCard) && f.u8("more", more) && f.u8("reserved", reserved) &&
               f.u8("count", count) && f.list("cards", cards, count, 26);
    }
};
// ReadStorageInfo response, argument 0x21.
struct StorageInfoCounts {
    std::uint16_t romDatabases = 0, ramDatabases = 0;
    template <class F> bool fields(F& f) {
        return f.u16("romDatabases", romDatabases) && f.u16("ramDatabases", ramDatabases) && f.zeros(16);
    }
};

struct DbListRequest {
    std::uint8_t flags = kListRam | kListMultiple, card = 0;
    std::uint16_t start = 0;
    template <class F> bool fields(F& f) { return f.u8("flags", flags) && f.u8("card", card) && f.u16("start", start); }
};
// A database as ReadDBList and FindDB describe it: 44 fixed bytes and the name with its zero,
// the length byte counting all of it rounded up to even.
struct DbInfo {
    std::uint8_t misc = 0;
    std::uint16_t flags = 0;
    std::uint32_t type = 0, creator = 0;
    std::uint16_t version = 0;
    std::uint32_t modification = 0;
    DlpDateTime created, modified, backedUp;
    std::uint16_t index = 0;
    std::string name;
    template <class F> bool fields(F& f) {
        const std::size_t whole = 44 + name.size() + 1;
        std::uint8_t size = static_cast<std::uint8_t>(whole + whole % 2);
        if (!f.u8("size", size)) return false;
        if (size < 1) return false;
        return f.part(size - 1u, [&](auto& g) {
            return g.u8("misc", misc) && g.u16("flags", flags) && g.code("type", type) && g.code("creator", creator) &&
                   g.u16("version", version) && g.u32("modification", modification) && g.date("created", created) &&
                   g.date("modified", modified) && g.date("backedUp", backedUp) && g.u16("index", index) &&
                   g.cstring("name", name);
        });
    }
};
struct DbList {
    std::uint16_t lastIndex = 0;
    std::uint8_t flags = 0;
    std::vector<DbInfo> databases;
    template <class F> bool fields(F& f) {
        std::uint8_t count = static_cast<std::uint8_t>(databases.size());
        return f.u16("lastIndex", lastIndex) && f.u8("flags", flags) && f.u8("count", count) &&
               f.list("databases", databases, count, 46);
    }
};

struct OpenDbRequest {
    std::uint8_t card = 0, mode = kOpenRead;
    std::string name;
    template <class F> bool fields(F& f) { return f.u8("card", card) && f.u8("mode", mode) && f.cstring("name", name); }
};
struct CreateDbRequest {
    std::uint32_t creator = 0, type = 0;
    std::uint8_t card = 0;
    std::uint16_t flags = 0, version = 0;
    std::string name;
    template <class F> bool fields(F& f) {
        return f.code("creator", creator) && f.code("type", type) && f.u8("card", card) && f.zeros(1) &&
               f.u16("flags", flags) && f.u16("version", version) && f.cstring("name", name);
    }
};
struct DeleteDbRequest {
    std::uint8_t card = 0;
    std::string name;
    template <class F> bool fields(F& f) { return f.u8("card", card) && f.zeros(1) && f.cstring("name", name); }
};
// OpenDB and CreateDB responses; CloseDB, ReadOpenDBInfo, CleanUpDatabase and ResetSyncFlags
// requests: the database's handle.
struct DbHandle {
    std::uint8_t handle = 0;
    template <class F> bool fields(F& f) { return f.u8("handle", handle); }
};
struct OpenDbInfo {
    std::uint16_t records = 0;
    template <class F> bool fields(F& f) { return f.u16("records", records); }
};

// ReadAppBlock / ReadSortBlock request and response.
struct ReadBlockRequest {
    std::uint8_t handle = 0;
    std::uint16_t offset = 0, count = kReadToEnd;
    template <class F> bool fields(F& f) {
        return f.u8("handle", handle) && f.zeros(1) && f.u16("offset", offset) && f.u16("count", count);
    }
};
struct Block {
    std::uint16_t size = 0;  // the whole block's, which may exceed what came
    std::vector<std::uint8_t> data;
    template <class F> bool fields(F& f) { return f.u16("size", size) && f.rest("data", data); }
};
struct WriteBlockRequest {
    std::uint8_t handle = 0;
    std::vector<std::uint8_t> data;
    template <class F> bool fields(F& f) {
        std::uint16_t size = static_cast<std::uint16_t>(data.size());
        return f.u8("handle", handle) && f.zeros(1) && f.u16("size", size) && f.rest("data", data);
    }
};

// ReadRecord by ID (argument 0x20) and by index (0x21).
struct ReadRecordByIdRequest {
    std::uint8_t handle = 0;
    std::uint32_t id = 0;
    std::uint16_t offset = 0, count = kReadToEnd;
    template <class F> bool fields(F& f) {
        return f.u8("handle", handle) && f.zeros(1) && f.u32("id", id) && f.u16("offset", offset) && f.u16("count", count);
    }
};
struct ReadRecordByIndexRequest {
    std::uint8_t handle = 0;
    std::uint16_t index = 0, offset = 0, count = kReadToEnd;
    template <class F> bool fields(F& f) {
        return f.u8("handle", handle) && f.zeros(1) && f.u16("index", index) && f.u16("offset", offset) &&
               f.u16("count", count);
    }
};
struct Record {
    std::uint32_t id = 0;
    std::uint16_t index = 0, size = 0;
    std::uint8_t attributes = 0, category = 0;
    std::vector<std::uint8_t> data;
    template <class F> bool fields(F& f) {
        return f.u32("id", id) && f.u16("index", index) && f.u16("size", size) && f.u8("attributes", attributes) &&
               f.u8("category", category) && f.rest("data", data);
    }
};
struct RecordIdListRequest {
    std::uint8_t handle = 0, flags = 0;
    std::uint16_t start = 0, max = 0xFFFF;
    template <class F> bool fields(F& f) {
        return f.u8("handle", handle) && f.u8("flags", flags) && f.u16("start", start) && f.u16("max", max);
    }
};
struct RecordId {
    std::uint32_t id = 0;
    template <class F> bool fields(F& f) { return f.u32("id", id); }
};
struct RecordIdList {
    std::vector<RecordId> ids;
    template <class F> bool fields(F& f) {
        std::uint16_t count = static_cast<std::uint16_t>(ids.size());
        return f.u16("count", count) && f.list("ids", ids, count, 4);
    }
};
struct WriteRecordRequest {
    std::uint8_t handle = 0, flags = kWriteRecordDataIncluded;
    std::uint32_t id = 0;
    std::uint8_t attributes = 0, category = 0;
    std::vector<std::uint8_t> data;
    template <class F> bool fields(F& f) {
        return f.u8("handle", handle) && f.u8("flags", flags) && f.u32("id", id) && f.u8("attributes", attributes) &&
               f.u8("category", category) && f.rest("data", data);
    }
};
struct DeleteRecordRequest {
    std::uint8_t handle = 0, flags = 0;
    std::uint32_t id = 0;
    template <class F> bool fields(F& f) { return f.u8("handle", handle) && f.u8("flags", flags) && f.u32("id", id); }
};

// ReadResource by index (argument 0x20) and by type and ID (0x21).
struct ReadResourceByIndexRequest {
    std::uint8_t handle = 0;
    std::uint16_t index = 0, offset = 0, count = kReadToEnd;
    template <class F> bool fields(F& f) {
        return f.u8("handle", handle) && f.zeros(1) && f.u16("index", index) && f.u16("offset", offset) &&
               f.u16("count", count);
    }
};
struct ReadResourceByTypeRequest {
    std::uint8_t handle = 0;
    std::uint32_t type = 0;
    std::uint16_t id = 0, offset = 0, count = kReadToEnd;
    template <class F> bool fields(F& f) {
        return f.u8("handle", handle) && f.zeros(1) && f.code("type", type) && f.u16("id", id) &&
               f.u16("offset", offset) && f.u16("count", count);
    }
};
struct Resource {
    std::uint32_t type = 0;
    std::uint16_t id = 0, index = 0, size = 0;
    std::vector<std::uint8_t> data;
    template <class F> bool fields(F& f) {
        return f.code("type", type) && f.u16("id", id) && f.u16("index", index) && f.u16("size", size) &&
               f.rest("data", data);
    }
};
struct WriteResourceRequest {
    std::uint8_t handle = 0;
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::vector<std::uint8_t> data;
    template <class F> bool fields(F& f) {
        std::uint16_t size = static_cast<std::uint16_t>(data.size());
        return f.u8("handle", handle) && f.zeros(1) && f.code("type", type) && f.u16("id", id) && f.u16("size", size) &&
               f.rest("data", data);
    }
};

struct LogEntryRequest {
    std::string text;
    template <class F> bool fields(F& f) { return f.cstring("text", text); }
};
struct EndOfSyncRequest {
    std::uint16_t status = kEndNormal;
    template <class F> bool fields(F& f) { return f.u16("status", status); }
};

// FindDB by name (argument 0x20), by open handle (0x21), by type and creator (0x22).
struct FindByNameRequest {
    std::uint8_t options = kFindGetAttributes, card = 0;
    std::string name;
    template <class F> bool fields(F& f) { return f.u8("options", options) && f.u8("card", card) && f.cstring("name", name); }
};
struct FindByHandleRequest {
    std::uint8_t options = kFindGetAttributes, handle = 0;
    template <class F> bool fields(F& f) { return f.u8("options", options) && f.u8("handle", handle); }
};
struct FindByTypeCreatorRequest {
    std::uint8_t options = kFindGetAttributes, search = kFindNewSearch;
    std::uint32_t type = 0, creator = 0;
    template <class F> bool fields(F& f) {
        return f.u8("options", options) && f.u8("search", search) && f.code("type", type) && f.code("creator", creator);
    }
};
// FindDB response, argument 0x20 (asked for with kFindGetAttributes).
struct FoundDb {
    std::uint8_t card = 0;
    std::uint32_t localId = 0, openRef = 0;
    DbInfo info;
    template <class F> bool fields(F& f) {
        if (!(f.u8("card", card) && f.zeros(1) && f.u32("localId", localId) && f.u32("openRef", openRef) && info.fields(f)))
            return false;
        f.evenPad();
        return true;
    }
};
// FindDB response, argument 0x21 (asked for with kFindGetSize or kFindGetMaxRecordSize).
struct FoundDbSize {
    std::uint32_t records = 0, totalBytes = 0, dataBytes = 0, appBlockSize = 0, sortBlockSize = 0, maxRecordSize = 0;
    template <class F> bool fields(F& f) {
        return f.u32("records", records) && f.u32("totalBytes", totalBytes) && f.u32("dataBytes", dataBytes) &&
               f.u32("appBlockSize", appBlockSize) && f.u32("sortBlockSize", sortBlockSize) &&
               f.u32("maxRecordSize", maxRecordSize);
    }
};

// ReadNetSyncInfo response and WriteNetSyncInfo request (the request leads with what changes).
struct NetSyncInfo {
    std::uint8_t modified = 0;  // request only
    std::uint8_t lanSync = 0;
    std::string hostName, hostAddress, subnetMask;
    template <class F> bool fieldsWith(F& f, bool request) {
        std::uint16_t nameSize = terminatedLength(hostName), addressSize = terminatedLength(hostAddress),
                      maskSize = terminatedLength(subnetMask);
        std::uint8_t reserved = 0;
        if (request ? !f.u8("modified", modified) : false) return false;
        return f.u8("lanSync", lanSync) && (request || f.u8("reserved", reserved)) && f.zeros(16) &&
               f.u16("hostNameSize", nameSize) && f.u16("hostAddressSize", addressSize) &&
               f.u16("subnetMaskSize", maskSize) && f.text("hostName", hostName, nameSize) &&
               f.text("hostAddress", hostAddress, addressSize) && f.text("subnetMask", subnetMask, maskSize);
    }
};
struct NetSyncInfoResponse : NetSyncInfo {
    template <class F> bool fields(F& f) { return fieldsWith(f, false); }
};
struct WriteNetSyncInfoRequest : NetSyncInfo {
    template <class F> bool fields(F& f) { return fieldsWith(f, true); }
};

// A request of one argument 0x20 (or argID) holding value.
template <class T>
DlpRequest makeRequest(std::uint8_t command, const T& value, std::uint8_t argId = kFirstArgId) {
    return DlpRequest{command, {DlpArg{argId, writeFields(value)}}};
}

// "ReadDBList flags=160 (0xa0) card=0 start=0", and for responses the error and each argument;
// says where a message does not read as its command's arguments.
std::string describeRequest(const DlpRequest& request);
// Each argument read as its command's struct and written back from it: what our encoder makes of
// the same values. False, with why, for an argument the command does not have or that does not
// read.
bool retypeRequest(DlpRequest& request, std::string& why);
bool retypeResponse(DlpResponse& response, std::string& why);
// "0a"
std::string toHexByte(std::uint8_t b);
std::string describeResponse(const DlpResponse& response);

}  // namespace palmdesk::dlp
