// SyncEngine.cpp: a synchronisation: leftovers, the install queue, the conduits, the end of the
// Sync API's session, the commit, the next actions and the log's last line.
#include "palmdesk/SyncEngine.h"

#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/HandheldStore.h"
#include "palmdesk/HotSyncLog.h"
#include "palmdesk/SyncApi.h"
#include "palmdesk/UserStore.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/DesktopRoot.h"
#include "platform/win/FileCalls.h"
#include "platform/win/ModuleLoader.h"
#include "platform/win/PrivateProfile.h"
#include "platform/win/WindowsPath.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace palmdesk {

std::optional<int> SyncTypeFromName(const std::string& name) {
    if (name == "fast" || name == "sync") return kSyncFast;
    if (name == "slow") return kSyncSlow;
    if (name == "hh" || name == "hh-overwrites") return kSyncHandheldOverwrites;
    if (name == "pc" || name == "pc-overwrites") return kSyncDesktopOverwrites;
    if (name == "nothing") return kSyncNothing;
    return std::nullopt;
}

std::string ActionName(int syncType) {
    switch (syncType) {
    case kSyncHandheldOverwrites: return "hh-overwrites";
    case kSyncDesktopOverwrites: return "pc-overwrites";
    case kSyncNothing: return "nothing";
    default: return "sync";
    }
}

std::string HotSyncExecutable() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

std::string HotSyncFolder() {
    const std::string path = HotSyncExecutable();
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string ActionsFile(const std::string& user) { return UserStore().UserFolder(user) + "/HotSync.ini"; }

std::optional<std::string> StoredAction(const std::string& user, const std::string& creator, const char* which) {
    char text[64];
    win::GetPrivateProfileString(creator.c_str(), which, "", text, sizeof text, ActionsFile(user).c_str());
    if (text[0] == '\0') return std::nullopt;
    return std::string(text);
}

std::string ConduitModulePath(const ConduitRegistration& r) {
    const std::string file = win::ModuleFileFor(r.libraryFile);
    if (file.find('/') != std::string::npos) return file;
    const std::string beside = HotSyncFolder() + "/" + file;
    if (::access(beside.c_str(), F_OK) == 0 || r.folder.empty()) return beside;
    std::string folder = win::ResolveWindowsPath(r.folder);
    if (!folder.empty() && folder[0] != '/') folder = HotSyncFolder() + "/" + folder;
    return folder + "/" + file;
}

namespace {

// The sync type of one conduit: --type, else the next action, else the permanent one. A next
// action used is added to usedNext: it is taken away only once the synchronisation completed, so
// that one killed or failed half-way runs it again.
int syncTypeFor(const std::string& user, const std::string& creator, const std::optional<int>& type,
                std::vector<std::string>& usedNext) {
    if (type) return *type;
    if (const auto next = StoredAction(user, creator, "Next")) {
        usedNext.push_back(creator);
        if (const auto t = SyncTypeFromName(*next)) return *t;
    }
    if (const auto permanent = StoredAction(user, creator, "Permanent"))
        if (const auto t = SyncTypeFromName(*permanent)) return *t;
    return kSyncFast;
}

void log(const std::string& text) { LogAddEntry(text.c_str(), slText, false); }
// A line that reports a problem: counted, so that the synchronisation does not end as if all
// went well.
void problem(const std::string& text) { LogAddEntry(text.c_str(), slWarning, false); }

// "A", "B": names for a log line.
std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) out += (out.empty() ? "\"" : ", \"") + name + "\"";
    return out;
}

// The sync properties a conduit receives: only the first field, the sync type, is read.
struct SyncProperties {
    std::int32_t syncType;
    std::int32_t reserved[15];
};

// Each queued file is installed, made durable (file and folder), and only then taken out of
// the queue: a kill at any point leaves it installed, queued, or both.
void installQueue(const std::string& user, const Handheld& store) {
    UserStore users;
    for (const auto& file : users.Queue(user)) {
        const std::string path = users.InstallFolder(user) + "/" + file;
        const auto db = ReadPalmDatabaseFile(path);
        if (!db) {
            problem("HotSync: " + file + " is not a Palm database; it stays queued (hotsync queue --user \"" + user +
                    "\" --remove \"" + file + "\" withdraws it).");
            continue;
        }
        if (!store.Store(*db)) {
            problem("HotSync: " + file + " could not be installed (" + std::strerror(errno) + "); it stays queued.");
            if (errno == ENOTCONN || errno == ECANCELED) return;  // the rest would fail alike
            continue;
        }
        if (win::Unlink(path) != 0 || !win::FlushFolder(users.InstallFolder(user)))
            problem("HotSync: installed " + file + " as \"" + db->GetName() + "\", but it could not be taken out of the queue (" +
                    std::strerror(errno) + "); it will be installed again.");
        else log("HotSync: installed " + file + " as \"" + db->GetName() + "\".");
    }
}

// What a killed synchronisation or command left: temporary files of processes that no longer
// run, in the folders a synchronisation writes.
void removeLeftovers(const std::string& user) {
    UserStore users;
    for (const std::string& folder : {users.HandheldFolder(user), users.InstallFolder(user), users.UserFolder(user),
                                      win::DesktopRoot() + "/Windows"})
        if (const int n = win::RemoveStaleTemporaries(folder); n > 0)
            log("HotSync: removed " + std::to_string(n) + " file(s) an interrupted write left in " + folder + ".");
}

// On a terminal, a line on stderr that follows a conduit's work: the entries it has logged so
// far, one for each picture or database it handled. Nothing when stderr is no terminal.
class ProgressLine {
public:
    ProgressLine(const std::string& user, const std::string& label) {
        if (!::isatty(STDERR_FILENO)) return;
        const std::string log = UserStore().UserFolder(user) + "/HotSync.log";
        // Taken before the conduit starts, so that none of its entries is missed.
        std::error_code missing;
        std::uintmax_t start = std::filesystem::file_size(log, missing);
        if (missing) start = 0;
        thread_ = std::jthread([this, log, label, start](std::stop_token stop) {
            std::uintmax_t seen = start;
            std::size_t lines = 0;
            for (bool last = false; !last;) {
                last = stop.stop_requested();  // one more look once the conduit is done
                // Only what was added since the last look is read.
                if (FILE* f = std::fopen(log.c_str(), "r")) {
                    std::fseek(f, static_cast<long>(seen), SEEK_SET);
                    for (int c; (c = std::fgetc(f)) != EOF; ++seen) lines += c == '\n';
                    std::fclose(f);
                }
                std::fprintf(stderr, "\rHotSync: %s: %zu entries logged", label.c_str(), lines);
                std::fflush(stderr);
                shown_ = true;
                if (!last) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
    }
    ~ProgressLine() {
        if (!thread_.joinable()) return;
        thread_.request_stop();
        thread_.join();
        if (shown_) std::fputc('\n', stderr);
    }

private:
    std::jthread thread_;
    bool shown_ = false;
};

void runConduits(const std::string& user, const std::optional<int>& type, const SyncTarget& target,
                 std::vector<std::string>& usedNext) {
    for (const auto& r : ConduitRegistry().List()) {
        const std::string label = r.title.empty() ? r.creator : r.title;
        if (target.beforeConduit && !target.beforeConduit(label)) {
            problem("HotSync: the conduit " + label + " and those after it did not run.");
            return;
        }
        const std::string path = ConduitModulePath(r);
        win::HMODULE module = win::LoadLibrary(path);
        if (!module) {
            problem("HotSync: the conduit " + label + " (" + path + ") cannot be loaded.");
            continue;
        }
        using OpenConduitFunction = std::int32_t (*)(void*, SyncProperties*);
        auto open = reinterpret_cast<OpenConduitFunction>(win::GetProcAddress(module, "OpenConduit"));
        if (!open) {
            problem("HotSync: the conduit " + label + " has no OpenConduit.");
        } else {
            SyncProperties properties{syncTypeFor(user, r.creator, type, usedNext), {}};
            std::int32_t result = 0;
            {
                const ProgressLine progress(user, label);
                result = open(nullptr, &properties);
            }
            if (result != 0) problem("HotSync: the conduit " + label + " answered " + std::to_string(result) + ".");
        }
        win::FreeLibrary(module);
    }
}

// The Sync API library, held for the whole synchronisation so that the state of its session
// (deletions waiting for their replacement) lives until the end, where it is finished.
class SyncSession {
public:
    // A device, when given, takes the place of the folder store for the Sync API's calls.
    explicit SyncSession(Handheld* device) : module_(win::LoadLibrary(HotSyncFolder() + "/Sync.so")) {
        if (device == nullptr) return;
        using BindFunction = void (*)(Handheld*);
        bind_ = module_ ? reinterpret_cast<BindFunction>(win::GetProcAddress(module_, "PalmdeskBindHandheld")) : nullptr;
        if (bind_) bind_(device);
        else problem("HotSync: the Sync API library Sync.so cannot be loaded from " + HotSyncFolder() +
                     "; the conduits cannot reach the handheld.");
    }
    ~SyncSession() {
        if (bind_) bind_(nullptr);
        if (module_) win::FreeLibrary(module_);
    }
    SyncSession(const SyncSession&) = delete;
    SyncSession& operator=(const SyncSession&) = delete;

    // Ends the session; what went wrong, when something did.
    std::optional<std::string> End() {
        using EndFunction = std::int32_t (*)(char*, std::uint32_t);
        auto end = module_ ? reinterpret_cast<EndFunction>(win::GetProcAddress(module_, "PalmdeskEndSyncSession")) : nullptr;
        if (!end)
            return "the Sync API library Sync.so cannot be loaded from " + HotSyncFolder() +
                   "; databases deleted during this synchronisation may still be on the handheld.";
        char names[2048] = {};
        if (end(names, sizeof names) == 0) return std::nullopt;
        std::vector<std::string> kept;
        for (std::size_t at = 0; names[at] != '\0';) {
            const std::size_t line = std::strcspn(names + at, "\n");
            kept.emplace_back(names + at, line);
            at += line + (names[at + line] == '\n' ? 1 : 0);
        }
        return "these databases were to be deleted but are still on the handheld: " + joined(kept) + ".";
    }

private:
    win::HMODULE module_;
    void (*bind_)(Handheld*) = nullptr;
};

}  // namespace

SyncOutcome RunSynchronisation(const std::string& user, const std::optional<int>& type, const SyncTarget& target) {
    UserStore users;
    SyncOutcome outcome;
    // The log's problem count is the process's; a program that syncs again and again counts anew.
    const int problemsBefore = LogProblemCount();
    outcome.logPath = users.UserFolder(user) + "/HotSync.log";
    std::fclose(std::fopen(outcome.logPath.c_str(), "w"));  // the log of this synchronisation only
    ::setenv(kSyncUserVariable, user.c_str(), 1);
    // A second early, as file times may lag the clock a little.
    const std::int64_t started = static_cast<std::int64_t>(std::time(nullptr)) - 1;
    const std::string session = std::to_string(::getpid()) + "-" +
                                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    ::setenv(kSyncSessionVariable, session.c_str(), 1);
    log("HotSync started for " + user + ".");
    removeLeftovers(user);
    std::vector<std::string> usedNext;
    {
        const HandheldStore folderStore(users.HandheldFolder(user));
        SyncSession sync(target.device);
        installQueue(user, target.device ? *target.device : static_cast<const Handheld&>(folderStore));
        runConduits(user, type, target, usedNext);
        if (const auto trouble = sync.End()) problem("HotSync: " + *trouble);
    }
    // The Sync API leaves the flush of what it wrote during the session to here.
    const auto unsure = target.device ? std::vector<std::string>() : HandheldStore(users.HandheldFolder(user)).Commit(started);
    const std::string deviceTrouble = target.trouble ? target.trouble() : std::string();
    if (!deviceTrouble.empty()) {
        problem("HotSync: " + deviceTrouble + "; what the conduits had not done yet waits for the next HotSync.");
    } else if (!unsure.empty()) {
        problem("HotSync: the handheld of " + user + " could not be flushed to the disk; these databases may not be on it: " +
                joined(unsure) + ".");
    } else {
        outcome.completed = true;
        // The synchronisation is complete: its next actions are used up.
        for (const auto& creator : usedNext)
            if (!win::WritePrivateProfileString(creator.c_str(), "Next", nullptr, ActionsFile(user).c_str()))
                problem("HotSync: the next action of " + creator + " could not be cleared (" + std::strerror(errno) +
                        "); it will run again.");
    }
    outcome.problems = LogProblemCount() - problemsBefore;
    if (outcome.problems == 0) log("HotSync completed.");
    else log("HotSync completed with " + std::to_string(outcome.problems) + (outcome.problems == 1 ? " problem" : " problems") +
             " (see the lines above).");
    ::unsetenv(kSyncSessionVariable);
    ::unsetenv(kSyncUserVariable);
    return outcome;
}

}  // namespace palmdesk
