// HotSyncLog.h: the HotSync log of the stand-in manager: lines appended to
// Users/<user>/HotSync.log of the user being synchronised.
#pragma once

#include <cstdint>

inline constexpr std::int32_t slText = -1;  // plain text
inline constexpr std::int32_t slWarning = 22;  // a problem: the HotSync manager counts these

extern "C" {
// Appends text as a line; with timeStamp the line starts with the time of day.
std::int32_t LogAddEntry(const char* text, std::int32_t activity, bool timeStamp);
std::int32_t LogAddFormattedEntry(std::int32_t activity, bool timeStamp, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// How many entries this process logged as slWarning: the problems of the synchronisation.
std::int32_t LogProblemCount();
}
