// HotSyncLog.h: the HotSync log of the stand-in manager: lines appended to
// Users/<user>/HotSync.log of the user being synchronised, or to the sink bound in their place.
#pragma once

#include <cstdint>
#include <string>

namespace palmdesk {
// Where the log's lines go while it is bound, instead of the user's file.
class LogSink {
public:
    virtual ~LogSink() = default;
    // The line without its line end; false when it could not be kept.
    virtual bool Append(const std::string& line) = 0;
};
}  // namespace palmdesk

inline constexpr std::int32_t slText = -1;  // plain text
inline constexpr std::int32_t slWarning = 22;  // a problem: the HotSync manager counts these

extern "C" {
// Appends text as a line; with timeStamp the line starts with the time of day.
std::int32_t LogAddEntry(const char* text, std::int32_t activity, bool timeStamp);
std::int32_t LogAddFormattedEntry(std::int32_t activity, bool timeStamp, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// How many entries this process logged as slWarning: the problems of the synchronisation.
std::int32_t LogProblemCount();
// Until called again with none, every entry goes to sink rather than to a user's file. The sink
// must outlive the binding.
void PalmdeskBindLog(palmdesk::LogSink* sink);
}
