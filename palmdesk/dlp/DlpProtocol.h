// DlpProtocol.h: the Desktop Link Protocol's messages: command codes, error codes with their
// meanings, and requests and responses as lists of wrapped arguments.
//
// Request:  command (1), argument count (1), arguments.
// Response: command | 0x80 (1), argument count (1), error code (2), arguments.
// Argument wrappers (each begins at an even offset of the message; a zero byte pads the one
// before it when needed), IDs from 0x20 up:
//   tiny   ID (1), size (1), data: up to 255 bytes
//   small  ID | 0x80 (1), 0 (1), size (2), data: up to 65,535 bytes
//   long   ID | 0x40 (1), 0 (1), size (4), data
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace palmdesk::dlp {

namespace cmd {
inline constexpr std::uint8_t kReadUserInfo = 0x10;
inline constexpr std::uint8_t kWriteUserInfo = 0x11;
inline constexpr std::uint8_t kReadSysInfo = 0x12;
inline constexpr std::uint8_t kGetSysDateTime = 0x13;
inline constexpr std::uint8_t kSetSysDateTime = 0x14;
inline constexpr std::uint8_t kReadStorageInfo = 0x15;
inline constexpr std::uint8_t kReadDBList = 0x16;
inline constexpr std::uint8_t kOpenDB = 0x17;
inline constexpr std::uint8_t kCreateDB = 0x18;
inline constexpr std::uint8_t kCloseDB = 0x19;
inline constexpr std::uint8_t kDeleteDB = 0x1A;
inline constexpr std::uint8_t kReadAppBlock = 0x1B;
inline constexpr std::uint8_t kWriteAppBlock = 0x1C;
inline constexpr std::uint8_t kReadSortBlock = 0x1D;
inline constexpr std::uint8_t kWriteSortBlock = 0x1E;
inline constexpr std::uint8_t kReadNextModifiedRec = 0x1F;
inline constexpr std::uint8_t kReadRecord = 0x20;
inline constexpr std::uint8_t kWriteRecord = 0x21;
inline constexpr std::uint8_t kDeleteRecord = 0x22;
inline constexpr std::uint8_t kReadResource = 0x23;
inline constexpr std::uint8_t kWriteResource = 0x24;
inline constexpr std::uint8_t kDeleteResource = 0x25;
inline constexpr std::uint8_t kCleanUpDatabase = 0x26;
inline constexpr std::uint8_t kResetSyncFlags = 0x27;
inline constexpr std::uint8_t kCallApplication = 0x28;
inline constexpr std::uint8_t kResetSystem = 0x29;
inline constexpr std::uint8_t kAddSyncLogEntry = 0x2A;
inline constexpr std::uint8_t kReadOpenDBInfo = 0x2B;
inline constexpr std::uint8_t kMoveCategory = 0x2C;
inline constexpr std::uint8_t kProcessRPC = 0x2D;
inline constexpr std::uint8_t kOpenConduit = 0x2E;
inline constexpr std::uint8_t kEndOfSync = 0x2F;
inline constexpr std::uint8_t kResetRecordIndex = 0x30;
inline constexpr std::uint8_t kReadRecordIDList = 0x31;
inline constexpr std::uint8_t kReadNextRecInCategory = 0x32;
inline constexpr std::uint8_t kReadNextModifiedRecInCategory = 0x33;
inline constexpr std::uint8_t kReadAppPreference = 0x34;
inline constexpr std::uint8_t kWriteAppPreference = 0x35;
inline constexpr std::uint8_t kReadNetSyncInfo = 0x36;
inline constexpr std::uint8_t kWriteNetSyncInfo = 0x37;
inline constexpr std::uint8_t kReadFeature = 0x38;
inline constexpr std::uint8_t kFindDB = 0x39;
inline constexpr std::uint8_t kSetDBInfo = 0x3A;
}  // namespace cmd

inline constexpr std::uint8_t kResponseFlag = 0x80;
inline constexpr std::uint8_t kFirstArgId = 0x20;

// Error codes of a response.
namespace err {
inline constexpr std::uint16_t kNone = 0;
inline constexpr std::uint16_t kSystem = 1;
inline constexpr std::uint16_t kIllegalRequest = 2;
inline constexpr std::uint16_t kMemory = 3;
inline constexpr std::uint16_t kParameter = 4;
inline constexpr std::uint16_t kNotFound = 5;
inline constexpr std::uint16_t kNoneOpen = 6;
inline constexpr std::uint16_t kDatabaseOpen = 7;
inline constexpr std::uint16_t kTooManyOpen = 8;
inline constexpr std::uint16_t kAlreadyExists = 9;
inline constexpr std::uint16_t kCantOpen = 10;
inline constexpr std::uint16_t kRecordDeleted = 11;
inline constexpr std::uint16_t kRecordBusy = 12;
inline constexpr std::uint16_t kNotSupported = 13;
inline constexpr std::uint16_t kUnused = 14;
inline constexpr std::uint16_t kReadOnly = 15;
inline constexpr std::uint16_t kNotEnoughSpace = 16;
inline constexpr std::uint16_t kLimitExceeded = 17;
inline constexpr std::uint16_t kCancelSync = 18;
inline constexpr std::uint16_t kBadWrapper = 19;
inline constexpr std::uint16_t kArgMissing = 20;
inline constexpr std::uint16_t kArgSize = 21;
}  // namespace err

// "ReadDBList"; "command 0x55" for one this table does not know.
std::string commandName(std::uint8_t command);
// "NotFound"; "error 0x1234" for one it does not know.
std::string errorName(std::uint16_t code);
// "database, record or resource not found"
std::string errorMeaning(std::uint16_t code);

struct DlpArg {
    std::uint8_t id = kFirstArgId;
    std::vector<std::uint8_t> data;
    bool operator==(const DlpArg&) const = default;
};

struct DlpRequest {
    std::uint8_t command = 0;
    std::vector<DlpArg> args;
    std::vector<std::uint8_t> encode() const;
    const DlpArg* find(std::uint8_t id) const;
};

struct DlpResponse {
    std::uint8_t command = 0;  // without kResponseFlag
    std::uint16_t error = err::kNone;
    std::vector<DlpArg> args;
    std::vector<std::uint8_t> encode() const;
    const DlpArg* find(std::uint8_t id) const;
};

// False, with why ("argument 2: size 300 runs past the end"), for bytes that are not a whole
// request or response: a short header, an argument cut short or past the end, a wrapper with
// both flags set, bytes left over.
bool decodeRequest(std::span<const std::uint8_t> bytes, DlpRequest& request, std::string& why);
bool decodeResponse(std::span<const std::uint8_t> bytes, DlpResponse& response, std::string& why);

}  // namespace palmdesk::dlp
