// DlpDevice.cpp: each operation as its request, its answer read into the caller's values.
#include "palmdesk/dlp/DlpDevice.h"

namespace palmdesk::dlp {

namespace {

DlpResult failure(DlpStatus status, std::string message, std::uint16_t code = err::kNone) {
    return DlpResult{status, code, std::move(message)};
}

}  // namespace

DlpStatus statusOf(std::uint16_t code) {
    switch (code) {
    case err::kNone: return DlpStatus::kOk;
    case err::kNotFound: return DlpStatus::kNotFound;
    case err::kAlreadyExists: return DlpStatus::kAlreadyExists;
    case err::kReadOnly: return DlpStatus::kReadOnly;
    case err::kMemory:
    case err::kNotEnoughSpace:
    case err::kLimitExceeded: return DlpStatus::kNoSpace;
    case err::kTooManyOpen: return DlpStatus::kTooManyOpen;
    case err::kDatabaseOpen: return DlpStatus::kDatabaseOpen;
    case err::kNotSupported: return DlpStatus::kNotSupported;
    case err::kCancelSync: return DlpStatus::kCancelled;
    default: return DlpStatus::kDeviceError;
    }
}

DlpResult DlpDevice::call(const DlpRequest& request, DlpResponse& response) {
    const std::string name = commandName(request.command);
    if (!linkFailure_.empty()) return failure(DlpStatus::kLinkLost, name + ": " + linkFailure_);
    std::vector<std::uint8_t> bytes;
    try {
        link_.send(request.encode());
        bytes = link_.receive();
    } catch (const link::LinkError& e) {
        linkFailure_ = e.what();
        return failure(DlpStatus::kLinkLost, name + ": " + linkFailure_);
    }
    std::string why;
    if (!decodeResponse(bytes, response, why)) return failure(DlpStatus::kBadAnswer, name + ": the answer does not read: " + why);
    if (response.command != request.command)
        return failure(DlpStatus::kBadAnswer, name + ": the handheld answered " + commandName(response.command));
    if (response.error != err::kNone)
        return failure(statusOf(response.error),
                       name + ": " + errorName(response.error) + " (" + errorMeaning(response.error) + ")", response.error);
    return {};
}

template <class T>
DlpResult DlpDevice::answer(const DlpResponse& response, T& value, std::uint8_t argId) {
    const std::string name = commandName(response.command);
    const DlpArg* arg = response.find(argId);
    if (!arg) return failure(DlpStatus::kBadAnswer, name + ": the answer lacks argument 0x" + toHexByte(argId));
    std::string why;
    if (!readFields(arg->data, value, why))
        return failure(DlpStatus::kBadAnswer, name + ": the answer does not read: " + (why.empty() ? "malformed" : why));
    return {};
}

DlpResult DlpDevice::bare(std::uint8_t command) {
    DlpResponse response;
    return call(DlpRequest{command, {}}, response);
}

DlpResult DlpDevice::readSysInfo(SysInfo& info, SysInfoVersions* versions) {
    DlpResponse response;
    DlpResult result = request(cmd::kReadSysInfo, SysInfoRequest{}, response);
    if (result.ok()) result = answer(response, info);
    // Handhelds before DLP 1.2 send no versions: they stay as they were.
    if (result.ok() && versions && response.find(kSecondArgId)) result = answer(response, *versions, kSecondArgId);
    return result;
}

DlpResult DlpDevice::readUserInfo(UserInfo& user) {
    DlpResponse response;
    DlpResult result = call(DlpRequest{cmd::kReadUserInfo, {}}, response);
    return result.ok() ? answer(response, user) : result;
}

DlpResult DlpDevice::writeUserInfo(const WriteUserInfoRequest& user) {
    DlpResponse response;
    return request(cmd::kWriteUserInfo, user, response);
}

DlpResult DlpDevice::getSysDateTime(DlpDateTime& time) {
    DlpResponse response;
    SysDateTime value;
    DlpResult result = call(DlpRequest{cmd::kGetSysDateTime, {}}, response);
    if (result.ok()) result = answer(response, value);
    if (result.ok()) time = value.time;
    return result;
}

DlpResult DlpDevice::setSysDateTime(const DlpDateTime& time) {
    DlpResponse response;
    return request(cmd::kSetSysDateTime, SysDateTime{time}, response);
}

DlpResult DlpDevice::readStorageInfo(std::uint8_t card, StorageInfo& info, StorageInfoCounts* counts) {
    DlpResponse response;
    DlpResult result = request(cmd::kReadStorageInfo, StorageInfoRequest{card}, response);
    if (result.ok()) result = answer(response, info);
    if (result.ok() && counts && response.find(kSecondArgId)) result = answer(response, *counts, kSecondArgId);
    return result;
}

DlpResult DlpDevice::readNetSyncInfo(NetSyncInfoResponse& info) {
    DlpResponse response;
    DlpResult result = call(DlpRequest{cmd::kReadNetSyncInfo, {}}, response);
    return result.ok() ? answer(response, info) : result;
}

DlpResult DlpDevice::readDbList(std::uint8_t flags, std::vector<DbInfo>& databases, std::uint8_t card) {
    databases.clear();
    DbListRequest list{static_cast<std::uint8_t>(flags | kListMultiple), card, 0};
    for (;;) {
        DlpResponse response;
        DlpResult result = request(cmd::kReadDBList, list, response);
        if (result.status == DlpStatus::kNotFound) return {};  // past the last database
        if (!result.ok()) return result;
        DbList page;
        result = answer(response, page);
        if (!result.ok()) return result;
        for (DbInfo& db : page.databases) databases.push_back(std::move(db));
        if (!(page.flags & kListMore)) return {};
        // A handheld that names an index before where it was asked to start would list forever.
        if (page.lastIndex < list.start || page.lastIndex == 0xFFFF)
            return failure(DlpStatus::kBadAnswer, "ReadDBList: the handheld's list goes backwards at index " +
                                                      std::to_string(page.lastIndex));
        list.start = static_cast<std::uint16_t>(page.lastIndex + 1);
    }
}

DlpResult DlpDevice::findDbByName(const std::string& name, FoundDb& found, FoundDbSize* size, std::uint8_t card) {
    DlpResponse response;
    const std::uint8_t options = kFindGetAttributes | (size ? kFindGetSize : 0);
    DlpResult result = request(cmd::kFindDB, FindByNameRequest{options, card, name}, response);
    if (result.ok()) result = answer(response, found);
    if (result.ok() && size) result = answer(response, *size, kSecondArgId);
    return result;
}

DlpResult DlpDevice::findDbByHandle(std::uint8_t handle, FoundDb& found, FoundDbSize* size) {
    DlpResponse response;
    const std::uint8_t options = kFindGetAttributes | (size ? kFindGetSize | kFindGetMaxRecordSize : 0);
    DlpResult result = request(cmd::kFindDB, FindByHandleRequest{options, handle}, response, kSecondArgId);
    if (result.ok()) result = answer(response, found);
    if (result.ok() && size) result = answer(response, *size, kSecondArgId);
    return result;
}

DlpResult DlpDevice::findDbByTypeCreator(std::uint32_t type, std::uint32_t creator, bool newSearch, FoundDb& found) {
    DlpResponse response;
    const FindByTypeCreatorRequest find{kFindGetAttributes, newSearch ? kFindNewSearch : std::uint8_t{0}, type, creator};
    DlpResult result = request(cmd::kFindDB, find, response, kThirdArgId);
    return result.ok() ? answer(response, found) : result;
}

DlpResult DlpDevice::openDb(const std::string& name, std::uint8_t mode, std::uint8_t& handle, std::uint8_t card) {
    DlpResponse response;
    DbHandle opened;
    DlpResult result = request(cmd::kOpenDB, OpenDbRequest{card, mode, name}, response);
    if (result.ok()) result = answer(response, opened);
    if (result.ok()) handle = opened.handle;
    return result;
}

DlpResult DlpDevice::createDb(const CreateDbRequest& create, std::uint8_t& handle) {
    DlpResponse response;
    DbHandle created;
    DlpResult result = request(cmd::kCreateDB, create, response);
    if (result.ok()) result = answer(response, created);
    if (result.ok()) handle = created.handle;
    return result;
}

DlpResult DlpDevice::closeDb(std::uint8_t handle) {
    DlpResponse response;
    return request(cmd::kCloseDB, DbHandle{handle}, response);
}

DlpResult DlpDevice::closeAllDbs() {
    DlpResponse response;
    return call(DlpRequest{cmd::kCloseDB, {DlpArg{kSecondArgId, {}}}}, response);
}

DlpResult DlpDevice::deleteDb(const std::string& name, std::uint8_t card) {
    DlpResponse response;
    return request(cmd::kDeleteDB, DeleteDbRequest{card, name}, response);
}

DlpResult DlpDevice::readOpenDbInfo(std::uint8_t handle, std::uint16_t& records) {
    DlpResponse response;
    OpenDbInfo info;
    DlpResult result = request(cmd::kReadOpenDBInfo, DbHandle{handle}, response);
    if (result.ok()) result = answer(response, info);
    if (result.ok()) records = info.records;
    return result;
}

DlpResult DlpDevice::readAppBlock(std::uint8_t handle, std::vector<std::uint8_t>& data) {
    data.clear();
    DlpResponse response;
    Block block;
    DlpResult result = request(cmd::kReadAppBlock, ReadBlockRequest{handle, 0, kReadToEnd}, response);
    if (result.ok()) result = answer(response, block);
    if (result.ok()) data = std::move(block.data);
    return result;
}

DlpResult DlpDevice::writeAppBlock(std::uint8_t handle, std::span<const std::uint8_t> data) {
    if (data.size() > 0xFFFF) return failure(DlpStatus::kNoSpace, "WriteAppBlock: a block of " + std::to_string(data.size()) + " bytes is longer than a handheld keeps");
    DlpResponse response;
    return request(cmd::kWriteAppBlock, WriteBlockRequest{handle, {data.begin(), data.end()}}, response);
}

DlpResult DlpDevice::readRecordByIndex(std::uint8_t handle, std::uint16_t index, Record& record) {
    DlpResponse response;
    DlpResult result = request(cmd::kReadRecord, ReadRecordByIndexRequest{handle, index, 0, kReadToEnd}, response, kSecondArgId);
    return result.ok() ? answer(response, record) : result;
}

DlpResult DlpDevice::readRecordById(std::uint8_t handle, std::uint32_t id, Record& record) {
    DlpResponse response;
    DlpResult result = request(cmd::kReadRecord, ReadRecordByIdRequest{handle, id, 0, kReadToEnd}, response);
    return result.ok() ? answer(response, record) : result;
}

DlpResult DlpDevice::readRecordIdList(std::uint8_t handle, std::vector<std::uint32_t>& ids) {
    ids.clear();
    constexpr std::uint16_t kPage = 500;
    for (;;) {
        DlpResponse response;
        RecordIdList page;
        const auto start = static_cast<std::uint16_t>(ids.size());
        DlpResult result = request(cmd::kReadRecordIDList, RecordIdListRequest{handle, 0, start, kPage}, response);
        // Asked past the last one, or a database without records.
        if (result.status == DlpStatus::kNotFound) return {};
        if (result.ok()) result = answer(response, page);
        if (!result.ok()) return result;
        for (const RecordId& id : page.ids) ids.push_back(id.id);
        if (page.ids.size() < kPage || ids.size() >= 0xFFFF) return {};
    }
}

DlpResult DlpDevice::writeRecord(std::uint8_t handle, std::uint32_t& id, std::uint8_t attributes, std::uint8_t category,
                                 std::span<const std::uint8_t> data) {
    if (data.size() > 0xFFFF) return failure(DlpStatus::kNoSpace, "WriteRecord: a record of " + std::to_string(data.size()) + " bytes is longer than a handheld keeps");
    DlpResponse response;
    RecordId written;
    const WriteRecordRequest write{handle, kWriteRecordDataIncluded, id, attributes, category, {data.begin(), data.end()}};
    DlpResult result = request(cmd::kWriteRecord, write, response);
    if (result.ok()) result = answer(response, written);
    if (result.ok()) id = written.id;
    return result;
}

DlpResult DlpDevice::deleteRecord(std::uint8_t handle, std::uint32_t id) {
    DlpResponse response;
    return request(cmd::kDeleteRecord, DeleteRecordRequest{handle, 0, id}, response);
}

DlpResult DlpDevice::deleteAllRecords(std::uint8_t handle) {
    DlpResponse response;
    return request(cmd::kDeleteRecord, DeleteRecordRequest{handle, kDeleteAllRecords, 0}, response);
}

DlpResult DlpDevice::readResourceByIndex(std::uint8_t handle, std::uint16_t index, Resource& resource) {
    DlpResponse response;
    DlpResult result = request(cmd::kReadResource, ReadResourceByIndexRequest{handle, index, 0, kReadToEnd}, response);
    return result.ok() ? answer(response, resource) : result;
}

DlpResult DlpDevice::readResourceByType(std::uint8_t handle, std::uint32_t type, std::uint16_t id, Resource& resource) {
    DlpResponse response;
    DlpResult result =
        request(cmd::kReadResource, ReadResourceByTypeRequest{handle, type, id, 0, kReadToEnd}, response, kSecondArgId);
    return result.ok() ? answer(response, resource) : result;
}

DlpResult DlpDevice::writeResource(std::uint8_t handle, std::uint32_t type, std::uint16_t id, std::span<const std::uint8_t> data) {
    if (data.size() > 0xFFFF) return failure(DlpStatus::kNoSpace, "WriteResource: a resource of " + std::to_string(data.size()) + " bytes is longer than a handheld keeps");
    DlpResponse response;
    return request(cmd::kWriteResource, WriteResourceRequest{handle, type, id, {data.begin(), data.end()}}, response);
}

DlpResult DlpDevice::openConduit() { return bare(cmd::kOpenConduit); }

DlpResult DlpDevice::addSyncLogEntry(const std::string& text) {
    DlpResponse response;
    return request(cmd::kAddSyncLogEntry, LogEntryRequest{text}, response);
}

DlpResult DlpDevice::endOfSync(std::uint16_t status) {
    DlpResponse response;
    return request(cmd::kEndOfSync, EndOfSyncRequest{status}, response);
}

}  // namespace palmdesk::dlp
