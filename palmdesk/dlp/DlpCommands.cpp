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

// The argument read as T and written back.
template <class T>
bool retype(const DlpArg& arg, DlpArg& out, std::string& why) {
    T value;
    if (!readFields(arg.data, value, why)) {
        if (why.empty()) why = "malformed";
        return false;
    }
    out = DlpArg{arg.id, writeFields(value)};
    return true;
}

// What one kind of argument is: how it prints and how it is read and written back.
struct ArgType {
    std::string (*show)(const DlpArg&) = nullptr;
    bool (*retype)(const DlpArg&, DlpArg&, std::string&) = nullptr;
    explicit operator bool() const { return show != nullptr; }
};
template <class T>
constexpr ArgType kArg{show<T>, retype<T>};

std::string showAll(const DlpArg&) { return "all"; }
bool keep(const DlpArg& arg, DlpArg& out, std::string&) {
    out = arg;
    return true;
}
constexpr ArgType kAllArg{showAll, keep};


// How the argument argId of a request of command reads; none for an unknown one.
ArgType requestArgType(std::uint8_t command, std::uint8_t argId) {
    const bool first = argId == kFirstArgId;
    switch (command) {
    case cmd::kReadSysInfo: return first ? kArg<SysInfoRequest> : ArgType{};
    case cmd::kWriteUserInfo: return first ? kArg<WriteUserInfoRequest> : ArgType{};
    case cmd::kSetSysDateTime: return first ? kArg<SysDateTime> : ArgType{};
    case cmd::kReadStorageInfo: return first ? kArg<StorageInfoRequest> : ArgType{};
    case cmd::kReadDBList: return first ? kArg<DbListRequest> : ArgType{};
    case cmd::kOpenDB: return first ? kArg<OpenDbRequest> : ArgType{};
    case cmd::kCreateDB: return first ? kArg<CreateDbRequest> : ArgType{};
    case cmd::kCloseDB:
        if (first) return kArg<DbHandle>;
        return argId == kSecondArgId ? kAllArg : ArgType{};
    case cmd::kDeleteDB: return first ? kArg<DeleteDbRequest> : ArgType{};
    case cmd::kReadAppBlock:
    case cmd::kReadSortBlock: return first ? kArg<ReadBlockRequest> : ArgType{};
    case cmd::kWriteAppBlock:
    case cmd::kWriteSortBlock: return first ? kArg<WriteBlockRequest> : ArgType{};
    case cmd::kReadRecord:
        if (first) return kArg<ReadRecordByIdRequest>;
        return argId == kSecondArgId ? kArg<ReadRecordByIndexRequest> : ArgType{};
    case cmd::kWriteRecord: return first ? kArg<WriteRecordRequest> : ArgType{};
    case cmd::kDeleteRecord: return first ? kArg<DeleteRecordRequest> : ArgType{};
    case cmd::kReadResource:
        if (first) return kArg<ReadResourceByIndexRequest>;
        return argId == kSecondArgId ? kArg<ReadResourceByTypeRequest> : ArgType{};
    case cmd::kWriteResource: return first ? kArg<WriteResourceRequest> : ArgType{};
    case cmd::kReadOpenDBInfo:
    case cmd::kCleanUpDatabase:
    case cmd::kResetSyncFlags:
    case cmd::kReadNextModifiedRec:
    case cmd::kResetRecordIndex: return first ? kArg<DbHandle> : ArgType{};
    case cmd::kAddSyncLogEntry: return first ? kArg<LogEntryRequest> : ArgType{};
    case cmd::kEndOfSync: return first ? kArg<EndOfSyncRequest> : ArgType{};
    case cmd::kReadRecordIDList: return first ? kArg<RecordIdListRequest> : ArgType{};
    case cmd::kWriteNetSyncInfo: return first ? kArg<WriteNetSyncInfoRequest> : ArgType{};
    case cmd::kFindDB:
        if (first) return kArg<FindByNameRequest>;
        if (argId == kSecondArgId) return kArg<FindByHandleRequest>;
        return argId == kThirdArgId ? kArg<FindByTypeCreatorRequest> : ArgType{};
    default: return {};
    }
}

ArgType responseArgType(std::uint8_t command, std::uint8_t argId) {
    const bool first = argId == kFirstArgId;
    switch (command) {
    case cmd::kReadSysInfo:
        if (first) return kArg<SysInfo>;
        return argId == kSecondArgId ? kArg<SysInfoVersions> : ArgType{};
    case cmd::kReadUserInfo: return first ? kArg<UserInfo> : ArgType{};
    case cmd::kGetSysDateTime: return first ? kArg<SysDateTime> : ArgType{};
    case cmd::kReadStorageInfo:
        if (first) return kArg<StorageInfo>;
        return argId == kSecondArgId ? kArg<StorageInfoCounts> : ArgType{};
    case cmd::kReadDBList: return first ? kArg<DbList> : ArgType{};
    case cmd::kOpenDB:
    case cmd::kCreateDB: return first ? kArg<DbHandle> : ArgType{};
    case cmd::kReadOpenDBInfo: return first ? kArg<OpenDbInfo> : ArgType{};
    case cmd::kReadAppBlock:
    case cmd::kReadSortBlock: return first ? kArg<Block> : ArgType{};
    case cmd::kReadRecord:
    case cmd::kReadNextModifiedRec:
    case cmd::kReadNextRecInCategory:
    case cmd::kReadNextModifiedRecInCategory: return first ? kArg<Record> : ArgType{};
    case cmd::kWriteRecord: return first ? kArg<RecordId> : ArgType{};
    case cmd::kReadResource: return first ? kArg<Resource> : ArgType{};
    case cmd::kReadRecordIDList: return first ? kArg<RecordIdList> : ArgType{};
    case cmd::kReadNetSyncInfo: return first ? kArg<NetSyncInfoResponse> : ArgType{};
    case cmd::kFindDB:
        if (first) return kArg<FoundDb>;
        return argId == kSecondArgId ? kArg<FoundDbSize> : ArgType{};
    default: return {};
    }
}

std::string showArgs(const std::vector<DlpArg>& args, const std::function<ArgType(std::uint8_t)>& lookup) {
    std::string out;
    for (const DlpArg& arg : args) {
        const ArgType type = lookup(arg.id);
        out += args.size() > 1 || !type ? "\n  arg 0x" + toHexByte(arg.id) + ": " : " ";
        out += type ? type.show(arg) : "(" + std::to_string(arg.data.size()) + " bytes of an argument this decoder does not know)";
    }
    return out;
}

bool retypeArgs(std::uint8_t command, std::vector<DlpArg>& args, const std::function<ArgType(std::uint8_t)>& lookup,
                std::string& why) {
    for (DlpArg& arg : args) {
        const ArgType type = lookup(arg.id);
        if (!type) {
            why = commandName(command) + " has no argument 0x" + toHexByte(arg.id);
            return false;
        }
        DlpArg again;
        if (!type.retype(arg, again, why)) {
            why = commandName(command) + " argument 0x" + toHexByte(arg.id) + ": " + why;
            return false;
        }
        arg = std::move(again);
    }
    return true;
}

}  // namespace

std::string toHexByte(std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[b >> 4], kDigits[b & 15]};
}

bool retypeRequest(DlpRequest& request, std::string& why) {
    return retypeArgs(request.command, request.args, [&](std::uint8_t id) { return requestArgType(request.command, id); }, why);
}

bool retypeResponse(DlpResponse& response, std::string& why) {
    return retypeArgs(response.command, response.args, [&](std::uint8_t id) { return responseArgType(response.command, id); },
                      why);
}

std::string describeRequest(const DlpRequest& request) {
    return commandName(request.command) +
           showArgs(request.args, [&](std::uint8_t id) { return requestArgType(request.command, id); });
}

std::string describeResponse(const DlpResponse& response) {
    std::string out = commandName(response.command) + " answer";
    if (response.error != err::kNone) out += ": " + errorName(response.error) + " (" + errorMeaning(response.error) + ")";
    return out + showArgs(response.args, [&](std::uint8_t id) { return responseArgType(response.command, id); });
}

}  // namespace palmdesk::dlp
