// SyncApi.h: the Sync API of the stand-in HotSync manager, over the handheld store of the user
// being synchronised (HandheldStore.h). Argument records are byte-packed. Results are 0 or one of
// the codes below. A database opened for writing is written back, atomically, when it is closed,
// and the close says whether it was; one never closed leaves the store as it was. Within a
// synchronisation a deleted database's file stays until a database of its name is closed in its
// place or the synchronisation ends, so that a kill between the two leaves the old one; when the
// new one cannot be written, the old one stays.
#pragma once

#include <cstdint>

namespace palmdesk {
class Handheld;
}

inline constexpr std::int32_t SYNCERR_NONE = 0;
inline constexpr std::int32_t SYNCERR_UNKNOWN = 0x4001;
inline constexpr std::int32_t SYNCERR_BAD_ARGUMENT = 0x4002;
inline constexpr std::int32_t SYNCERR_NOT_FOUND = 0x4003;          // also: no further database matches
inline constexpr std::int32_t SYNCERR_BAD_HANDLE = 0x4004;
inline constexpr std::int32_t SYNCERR_BUFFER_TOO_SMALL = 0x4005;
inline constexpr std::int32_t SYNCERR_TOO_MANY_OPEN_FILES = 0x4006;
inline constexpr std::int32_t SYNCERR_READ_ONLY = 0x4007;
inline constexpr std::int32_t SYNCERR_FILE_ALREADY_EXISTS = 0x400B;
inline constexpr std::int32_t SYNCERR_NO_USER = 0x400C;             // no synchronisation in progress
inline constexpr std::int32_t SYNCERR_NO_SPACE = 0x4010;            // the store's disk is full

// Sync types: the first field of the sync properties that HotSync hands to a conduit's
// OpenConduit, chosen from the conduit's HotSync action.
inline constexpr std::int32_t kSyncFast = 0;
inline constexpr std::int32_t kSyncSlow = 1;
inline constexpr std::int32_t kSyncHandheldOverwrites = 2;
inline constexpr std::int32_t kSyncDesktopOverwrites = 3;
inline constexpr std::int32_t kSyncNothing = 6;

inline constexpr std::uint8_t eDbShowSecret = 0x10;
inline constexpr std::uint8_t eDbExclusive = 0x20;
inline constexpr std::uint8_t eDbWrite = 0x40;
inline constexpr std::uint8_t eDbRead = 0x80;
inline constexpr std::uint8_t eSearchNew = 0x80;

#pragma pack(push, 1)
struct SyncFindDbParams {
    std::uint8_t optionFlags;
    std::uint8_t searchFlags;  // eSearchNew on the first call of a search, 0 after
    std::uint32_t type;
    std::uint32_t creator;
};

struct SyncDatabaseInfo {
    std::int32_t card;
    char name[32];
    std::uint32_t type;
    std::uint32_t creator;
    std::uint16_t attributes;
    std::uint16_t version;
    std::uint32_t records;
};

struct SyncCreateDbParams {
    std::uint32_t creator;
    std::uint16_t attributes;
    std::int32_t card;
    char name[32];
    std::uint32_t type;
    std::uint16_t version;
    std::uint32_t reserved;
};

struct SyncRecordParams {
    std::uint8_t handle;
    std::uint32_t recordIndex;
    std::uint32_t recordId;
    std::uint8_t attributes;
    std::int16_t category;
    std::uint8_t* buffer;
    std::uint32_t bufferSize;
    std::uint32_t dataLength;  // read: the record's length; write: the bytes to write
};

struct SyncBlockParams {
    std::uint8_t* buffer;
    std::uint32_t totalBytes;  // read: capacity; write: the block's length
    std::uint32_t bytesRead;
};
#pragma pack(pop)

extern "C" {
std::int32_t SyncFindDbByTypeCreator(const SyncFindDbParams* search, SyncDatabaseInfo* found);
std::int32_t SyncOpenDB(const char* name, std::int32_t card, std::uint8_t* handle, std::uint8_t mode);
std::int32_t SyncCreateDB(const SyncCreateDbParams* create, std::uint8_t* handle);
std::int32_t SyncCloseDB(std::uint8_t handle);
// A missing database is no error.
std::int32_t SyncDeleteDB(const char* name, std::int32_t card);
std::int32_t SyncReadDBAppInfoBlock(std::uint8_t handle, SyncBlockParams* block);
std::int32_t SyncWriteDBAppInfoBlock(std::uint8_t handle, const SyncBlockParams* block);
// The record at recordIndex into buffer; SYNCERR_BUFFER_TOO_SMALL (nothing copied) when it does not fit.
std::int32_t SyncReadRecordByIndex(SyncRecordParams* record);
// A new record (recordId 0 gets a new unique ID, written back into the record).
std::int32_t SyncWriteRec(SyncRecordParams* record);
std::uint16_t SyncHHToHostWord(std::uint16_t value);
std::uint16_t SyncHostToHHWord(std::uint16_t value);
std::uint32_t SyncHostToHHDWord(std::uint32_t value);

// The HotSync manager's own call when a device connected: until it is called again with none,
// every call works on that handheld rather than on the user's folder store. The handheld must
// outlive the binding.
void PalmdeskBindHandheld(palmdesk::Handheld* handheld);
// The HotSync manager's own call at the end of a synchronisation: deletes the databases whose
// deletion waited for a replacement, and forgets the session. Writes the names of those that
// could not be deleted into names, one a line (cut to capacity); returns how many there were.
std::int32_t PalmdeskEndSyncSession(char* names, std::uint32_t capacity);
}

// The user whose handheld the Sync API works on; the HotSync manager sets it for a synchronisation.
inline constexpr const char* kSyncUserVariable = "PALMDESK_SYNC_USER";
// A value unique to one synchronisation, set by the HotSync manager beside the user: while it
// stays the same, the Sync API keeps what it learnt of the handheld's databases between calls,
// and leaves flushing the databases it writes to the disk to the HotSync manager, which commits
// the handheld once the conduits are done.
inline constexpr const char* kSyncSessionVariable = "PALMDESK_SYNC_SESSION";
