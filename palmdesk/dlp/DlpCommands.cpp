// DlpCommands.cpp: requests and responses described field by field for a person.
#include "palmdesk/dlp/DlpCommands.h"

#include <functional>

namespace palmdesk::dlp {

namespace {

// The argument read as T and printed; where it does not read as T, why and its size.
template <class T>
std::string show(const DlpArg& arg) {
    T value;
    std::string why;
    if (!readFields(arg.data, value, why))
        return "(" + std::to_string(arg.data.size()) + " bytes that do not read as expected: " +
               (why.empty() ? "malformed" : why) + ")";
    return printFields(value);
}

using Shower = std::function<std::string(const DlpArg&)>;

// How the argument argId of a request of command reads; none for an unknown one.
Shower requestShower(std::uint8_t command, std::uint8_t argId) {
    const bool first = argId == kFirstArgId;
    switch (command) {
    case cmd::kReadSysInfo: return first ? show<SysInfoRequest> : Shower{};
    case cmd::kWriteUserInfo: return first ? show<WriteUserInfoRequest> : Shower{};
    case cmd::kSetSysDateTime: return first ? show<SysDateTime> : Shower{};
    case cmd::kReadStorageInfo: return first ? show<StorageInfoRequest> : Shower{};
    case cmd::kReadDBList: return first ? show<DbListRequest> : Shower{};
    case cmd::kOpenDB: return first ? show<OpenDbRequest> : Shower{};
    case cmd::kCreateDB: return first ? show<CreateDbRequest> : Shower{};
    case cmd::kCloseDB:
        if (first) return show<DbHandle>;
        return argId == kSecondArgId ? Shower([](const DlpArg&) { return std::string("all"); }) : Shower{};
    case cmd::kDeleteDB: return first ? show<DeleteDbRequest> : Shower{};
    case cmd::kReadAppBlock:
    case cmd::kReadSortBlock: return first ? show<ReadBlockRequest> : Shower{};
    case cmd::kWriteAppBlock:
    case cmd::kWriteSortBlock: return first ? show<WriteBlockRequest> : Shower{};
    case cmd::kReadRecord:
        if (first) return show<ReadRecordByIdRequest>;
        return argId == kSecondArgId ? show<ReadRecordByIndexRequest> : Shower{};
    case cmd::kWriteRecord: return first ? show<WriteRecordRequest> : Shower{};
    case cmd::kDeleteRecord: return first ? show<DeleteRecordRequest> : Shower{};
    case cmd::kReadResource:
        if (first) return show<ReadResourceByIndexRequest>;
        return argId == kSecondArgId ? show<ReadResourceByTypeRequest> : Shower{};
    case cmd::kWriteResource: return first ? show<WriteResourceRequest> : Shower{};
    case cmd::kReadOpenDBInfo:
    case cmd::kCleanUpDatabase:
    case cmd::kResetSyncFlags:
    case cmd::kReadNextModifiedRec:
    case cmd::kResetRecordIndex: return first ? show<DbHandle> : Shower{};
    case cmd::kAddSyncLogEntry: return first ? show<LogEntryRequest> : Shower{};
    case cmd::kEndOfSync: return first ? show<EndOfSyncRequest> : Shower{};
    case cmd::kReadRecordIDList: return first ? show<RecordIdListRequest> : Shower{};
    case cmd::kWriteNetSyncInfo: return first ? show<WriteNetSyncInfoRequest> : Shower{};
    case cmd::kFindDB:
        if (first) return show<FindByNameRequest>;
        if (argId == kSecondArgId) return show<FindByHandleRequest>;
        return argId == kThirdArgId ? show<FindByTypeCreatorRequest> : Shower{};
    default: return {};
    }
}

Shower responseShower(std::uint8_t command, std::uint8_t argId) {
    const bool first = argId == kFirstArgId;
    switch (command) {
    case cmd::kReadSysInfo:
        if (first) return show<SysInfo>;
        return argId == kSecondArgId ? show<SysInfoVersions> : Shower{};
    case cmd::kReadUserInfo: return first ? show<UserInfo> : Shower{};
    case cmd::kGetSysDateTime: return first ? show<SysDateTime> : Shower{};
    case cmd::kReadStorageInfo:
        if (first) return show<StorageInfo>;
        return argId == kSecondArgId ? show<StorageInfoCounts> : Shower{};
    case cmd::kReadDBList: return first ? show<DbList> : Shower{};
    case cmd::kOpenDB:
    case cmd::kCreateDB: return first ? show<DbHandle> : Shower{};
    case cmd::kReadOpenDBInfo: return first ? show<OpenDbInfo> : Shower{};
    case cmd::kReadAppBlock:
    case cmd::kReadSortBlock: return first ? show<Block> : Shower{};
    case cmd::kReadRecord:
    case cmd::kReadNextModifiedRec:
    case cmd::kReadNextRecInCategory:
    case cmd::kReadNextModifiedRecInCategory: return first ? show<Record> : Shower{};
    case cmd::kWriteRecord: return first ? show<RecordId> : Shower{};
    case cmd::kReadResource: return first ? show<Resource> : Shower{};
    case cmd::kReadRecordIDList: return first ? show<RecordIdList> : Shower{};
    case cmd::kReadNetSyncInfo: return first ? show<NetSyncInfoResponse> : Shower{};
    case cmd::kFindDB:
        if (first) return show<FoundDb>;
        return argId == kSecondArgId ? show<FoundDbSize> : Shower{};
    default: return {};
    }
}

std::string showArgs(const std::vector<DlpArg>& args, const std::function<Shower(std::uint8_t)>& lookup) {
    std::string out;
    for (const DlpArg& arg : args) {
        out += args.size() > 1 || !lookup(arg.id) ? "\n  arg 0x" + toHexByte(arg.id) + ": " : " ";
        const Shower shower = lookup(arg.id);
        out += shower ? shower(arg) : "(" + std::to_string(arg.data.size()) + " bytes of an argument this decoder does not know)";
    }
    return out;
}

}  // namespace

std::string toHexByte(std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[b >> 4], kDigits[b & 15]};
}

std::string describeRequest(const DlpRequest& request) {
    return commandName(request.command) +
           showArgs(request.args, [&](std::uint8_t id) { return requestShower(request.command, id); });
}

std::string describeResponse(const DlpResponse& response) {
    std::string out = commandName(response.command) + " answer";
    if (response.error != err::kNone) out += ": " + errorName(response.error) + " (" + errorMeaning(response.error) + ")";
    return out + showArgs(response.args, [&](std::uint8_t id) { return responseShower(response.command, id); });
}

}  // namespace palmdesk::dlp
