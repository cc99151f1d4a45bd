// ConduitRecords.h: the records of the HotSync conduit interface that HotSync hands a conduit, in
// its packed layout (host byte order). A conduit reads and writes the configuration record in
// place; HotSync reads the new action and preference back when CfgConduit returns.
//
// Configuration record (352 bytes):
//   0   version            must be 1
//   4   size
//   8   creator            four characters, first one most significant
//   12  userId
//   16  userName[64]       zero-terminated
//   80  pathName[256]
//   336 permanentAction    sync type
//   340 temporaryAction    sync type of the next synchronisation
//   344 newAction          sync type, written by the dialog
//   348 preference         1 permanent, 2 temporary (next synchronisation only), written by the dialog
#pragma once

#include <cstdint>

#pragma pack(push, 1)
struct ConduitRequest {
    std::uint32_t version;
    std::uint32_t size;
    std::uint32_t creator;
    std::uint32_t userId;
    char userName[64];
};
struct ConfigurationRecord {
    std::uint32_t version;
    std::uint32_t size;
    std::uint32_t creator;
    std::uint32_t userId;
    char userName[64];
    char pathName[256];
    std::int32_t permanentAction;
    std::int32_t temporaryAction;
    std::int32_t newAction;
    std::int32_t preference;
};
#pragma pack(pop)
static_assert(sizeof(ConduitRequest) == 80 && sizeof(ConfigurationRecord) == 352);

inline constexpr std::int32_t kPreferencePermanent = 1;
inline constexpr std::int32_t kPreferenceTemporary = 2;
