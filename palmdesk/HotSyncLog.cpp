// HotSyncLog.cpp: the HotSync log library (HsLog.so).
#include "HotSyncLog.h"

#include "SyncApi.h"
#include "UserStore.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#define LOG_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::atomic<std::int32_t> problems{0};
std::atomic<palmdesk::LogSink*> boundSink{nullptr};

std::string timeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[16];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S ", &local);
    return stamp;
}

std::int32_t appendLine(const std::string& text, std::int32_t activity, bool timeStamp) {
    if (activity == slWarning) ++problems;
    if (palmdesk::LogSink* sink = boundSink) return sink->Append((timeStamp ? timeOfDay() : std::string()) + text) ? 0 : -1;
    const char* user = std::getenv(kSyncUserVariable);
    if (user == nullptr || !palmdesk::UserStore::IsValidName(user)) return -1;
    const std::string path = palmdesk::UserStore().UserFolder(user) + "/HotSync.log";
    FILE* log = std::fopen(path.c_str(), "a");
    if (log == nullptr) return -1;
    if (timeStamp) std::fputs(timeOfDay().c_str(), log);
    std::fputs(text.c_str(), log);
    std::fputc('\n', log);
    return std::fclose(log) == 0 ? 0 : -1;
}
}  // namespace

LOG_EXPORT std::int32_t LogAddEntry(const char* text, std::int32_t activity, bool timeStamp) {
    return appendLine(text ? text : "", activity, timeStamp);
}

LOG_EXPORT std::int32_t LogAddFormattedEntry(std::int32_t activity, bool timeStamp, const char* format, ...) {
    if (format == nullptr) return -1;
    va_list args;
    va_start(args, format);
    char text[2048];
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return appendLine(text, activity, timeStamp);
}

LOG_EXPORT std::int32_t LogProblemCount() { return problems; }

LOG_EXPORT void PalmdeskBindLog(palmdesk::LogSink* sink) { boundSink = sink; }
