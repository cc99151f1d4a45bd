// DlpDevice.h: a connected handheld as the desktop drives it, one DLP request per operation, with
// the handheld's error codes turned into results a caller can act on. Every operation returns a
// DlpResult; once the link has failed, every later one fails at once with kLinkLost and its
// reason, sending nothing.
#pragma once

#include "palmdesk/dlp/DlpCommands.h"
#include "palmdesk/link/MessageLink.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace palmdesk::dlp {

enum class DlpStatus {
    kOk,
    kNotFound,       // no such database, record or resource; also: none left to list
    kAlreadyExists,
    kReadOnly,       // in ROM, or opened without write access
    kNoSpace,        // out of storage or dynamic memory, or past a size limit
    kTooManyOpen,
    kDatabaseOpen,   // open elsewhere, so it cannot be deleted or opened exclusively
    kNotSupported,   // e.g. a record operation on a resource database
    kCancelled,      // the user cancelled the HotSync on the handheld
    kDeviceError,    // any other error the handheld reported (code holds it)
    kLinkLost,       // the link failed: time-out, peer gone, malformed packet
    kBadAnswer,      // the handheld's answer did not read as the request's answer
};

struct DlpResult {
    DlpStatus status = DlpStatus::kOk;
    std::uint16_t code = err::kNone;  // the handheld's error code, for kDeviceError and the like
    std::string message;              // "OpenDB: NotFound (database, record or resource not found)"
    bool ok() const { return status == DlpStatus::kOk; }
};

// The result a handheld's error code gives.
DlpStatus statusOf(std::uint16_t code);

class DlpDevice {
public:
    // The link must be open (its handshake done).
    explicit DlpDevice(link::MessageLink& link) : link_(link) {}

    // Sends request and reads its answer; any error code in it becomes the result.
    DlpResult call(const DlpRequest& request, DlpResponse& response);

    DlpResult readSysInfo(SysInfo& info, SysInfoVersions* versions = nullptr);
    DlpResult readUserInfo(UserInfo& user);
    DlpResult writeUserInfo(const WriteUserInfoRequest& user);
    DlpResult getSysDateTime(DlpDateTime& time);
    DlpResult setSysDateTime(const DlpDateTime& time);
    DlpResult readStorageInfo(std::uint8_t card, StorageInfo& info, StorageInfoCounts* counts = nullptr);
    DlpResult readNetSyncInfo(NetSyncInfoResponse& info);
    // Every database of card that flags (kListRam, kListRom) ask for, through as many requests
    // as the handheld needs to list them.
    DlpResult readDbList(std::uint8_t flags, std::vector<DbInfo>& databases, std::uint8_t card = 0);
    DlpResult findDbByName(const std::string& name, FoundDb& found, FoundDbSize* size = nullptr, std::uint8_t card = 0);
    DlpResult findDbByHandle(std::uint8_t handle, FoundDb& found, FoundDbSize* size = nullptr);
    // The next database of type and creator (0 matches any), the first with newSearch.
    DlpResult findDbByTypeCreator(std::uint32_t type, std::uint32_t creator, bool newSearch, FoundDb& found);

    DlpResult openDb(const std::string& name, std::uint8_t mode, std::uint8_t& handle, std::uint8_t card = 0);
    DlpResult createDb(const CreateDbRequest& create, std::uint8_t& handle);
    DlpResult closeDb(std::uint8_t handle);
    DlpResult closeAllDbs();
    DlpResult deleteDb(const std::string& name, std::uint8_t card = 0);
    DlpResult readOpenDbInfo(std::uint8_t handle, std::uint16_t& records);

    // kNotFound (data empty) for a database without one.
    DlpResult readAppBlock(std::uint8_t handle, std::vector<std::uint8_t>& data);
    DlpResult writeAppBlock(std::uint8_t handle, std::span<const std::uint8_t> data);
    DlpResult readRecordByIndex(std::uint8_t handle, std::uint16_t index, Record& record);
    DlpResult readRecordById(std::uint8_t handle, std::uint32_t id, Record& record);
    // Every record's ID, in index order, through as many requests as it takes; none (and kOk) for
    // a database without records.
    DlpResult readRecordIdList(std::uint8_t handle, std::vector<std::uint32_t>& ids);
    // A new record when id is 0; id then holds the ID the handheld gave it.
    DlpResult writeRecord(std::uint8_t handle, std::uint32_t& id, std::uint8_t attributes, std::uint8_t category,
                          std::span<const std::uint8_t> data);
    DlpResult deleteRecord(std::uint8_t handle, std::uint32_t id);
    DlpResult deleteAllRecords(std::uint8_t handle);
    DlpResult readResourceByIndex(std::uint8_t handle, std::uint16_t index, Resource& resource);
    DlpResult readResourceByType(std::uint8_t handle, std::uint32_t type, std::uint16_t id, Resource& resource);
    DlpResult writeResource(std::uint8_t handle, std::uint32_t type, std::uint16_t id, std::span<const std::uint8_t> data);

    // Before each conduit; kCancelled when the user cancelled on the handheld.
    DlpResult openConduit();
    DlpResult addSyncLogEntry(const std::string& text);
    // Ends the HotSync; status kEndNormal tells the handheld it went well.
    DlpResult endOfSync(std::uint16_t status);

    // Why the link failed; empty while it works.
    const std::string& linkFailure() const { return linkFailure_; }

private:
    // call() for a request of one argument 0x20 (or argId) holding value.
    template <class T>
    DlpResult request(std::uint8_t command, const T& value, DlpResponse& response, std::uint8_t argId = kFirstArgId) {
        return call(makeRequest(command, value, argId), response);
    }
    // The answer's argument argId read as T.
    template <class T>
    DlpResult answer(const DlpResponse& response, T& value, std::uint8_t argId = kFirstArgId);
    DlpResult bare(std::uint8_t command);

    link::MessageLink& link_;
    std::string linkFailure_;
};

}  // namespace palmdesk::dlp
