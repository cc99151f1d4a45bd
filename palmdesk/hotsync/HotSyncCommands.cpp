// HotSyncCommands.cpp: the hotsync commands beyond setting up users: conduit registration, HotSync
// actions, the synchronisation itself, the handheld store and the log.
#include "HotSyncCommands.h"

#include "core/qz_fileio/PalmDb.h"
#include "platform/bytes/ByteOrder.h"
#include "palmdesk/ConduitRecords.h"
#include "palmdesk/ConduitRegistry.h"
#include "palmdesk/HandheldStore.h"
#include "palmdesk/HotSyncLog.h"
#include "palmdesk/SyncApi.h"
#include "palmdesk/UserLock.h"
#include "palmdesk/UserStore.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/DesktopRoot.h"
#include "platform/win/FileCalls.h"
#include "platform/win/ModuleLoader.h"
#include "platform/win/WholeFile.h"
#include "platform/win/PrivateProfile.h"
#include "platform/win/WindowsPath.h"
#include "tools/common/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <ctime>
#include <filesystem>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace palmdesk {

int Fail(const std::string& text) {
    std::fprintf(stderr, "hotsync: %s\n", text.c_str());
    return 1;
}

int NoSuchUser(const std::string& user) { return Fail("no user \"" + user + "\" (see hotsync user list)"); }

std::string HotSyncExecutable() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

namespace {
std::string hotSyncFolder() {
    const std::string path = HotSyncExecutable();
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string actionsFile(const std::string& user) { return UserStore().UserFolder(user) + "/HotSync.ini"; }

std::optional<std::string> storedAction(const std::string& user, const std::string& creator, const char* which) {
    char text[64];
    win::GetPrivateProfileString(creator.c_str(), which, "", text, sizeof text, actionsFile(user).c_str());
    if (text[0] == '\0') return std::nullopt;
    return std::string(text);
}

// The sync type of one conduit: --type, else the next action, else the permanent one. A next
// action used is added to usedNext: it is taken away only once the synchronisation completed, so
// that one killed or failed half-way runs it again.
int syncTypeFor(const std::string& user, const std::string& creator, const std::optional<int>& type,
                std::vector<std::string>& usedNext) {
    if (type) return *type;
    if (const auto next = storedAction(user, creator, "Next")) {
        usedNext.push_back(creator);
        if (const auto t = SyncTypeFromName(*next)) return *t;
    }
    if (const auto permanent = storedAction(user, creator, "Permanent"))
        if (const auto t = SyncTypeFromName(*permanent)) return *t;
    return kSyncFast;
}

void log(const std::string& text) { LogAddEntry(text.c_str(), slText, false); }
// A line that reports a problem: counted, so that the synchronisation does not end as if all
// went well.
void problem(const std::string& text) { LogAddEntry(text.c_str(), slWarning, false); }

void printActions(const std::string& creator, const std::string& user) {
    std::printf("%s for %s: permanent %s, next %s\n", creator.c_str(), user.c_str(),
                storedAction(user, creator, "Permanent").value_or("sync").c_str(),
                storedAction(user, creator, "Next").value_or("(none)").c_str());
}

// The file a registered library name stands for: in the HotSync manager's folder, else in the
// registered folder.
std::string modulePath(const ConduitRegistration& r) {
    const std::string file = win::ModuleFileFor(r.libraryFile);
    if (file.find('/') != std::string::npos) return file;
    const std::string beside = hotSyncFolder() + "/" + file;
    if (::access(beside.c_str(), F_OK) == 0 || r.folder.empty()) return beside;
    std::string folder = win::ResolveWindowsPath(r.folder);
    if (!folder.empty() && folder[0] != '/') folder = hotSyncFolder() + "/" + folder;
    return folder + "/" + file;
}

// The sync properties a conduit receives: only the first field, the sync type, is read.
struct SyncProperties {
    std::int32_t syncType;
    std::int32_t reserved[15];
};

// Each queued file is installed, made durable (file and folder), and only then taken out of
// the queue: a kill at any point leaves it installed, queued, or both.
void installQueue(const std::string& user) {
    UserStore users;
    HandheldStore store(users.HandheldFolder(user));
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

void runConduits(const std::string& user, const std::optional<int>& type, std::vector<std::string>& usedNext) {
    for (const auto& r : ConduitRegistry().List()) {
        const std::string label = r.title.empty() ? r.creator : r.title;
        const std::string path = modulePath(r);
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
}  // namespace

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

int RegisterModule(const std::string& module, bool unregister) {
    const std::string file = module.substr(module.find_last_of('/') + 1);
    if (const auto why = cli::cannotRead(module)) return Fail(module + ": " + *why);
    win::HMODULE handle = win::LoadLibrary(module);
    if (!handle) return Fail(module + ": cannot be loaded as a conduit (not a shared library of this system)");
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto function = reinterpret_cast<std::int32_t (*)()>(win::GetProcAddress(handle, entry));
    if (!function) {
        win::FreeLibrary(handle);
        return Fail(module + ": not a conduit (it has no " + entry + ")");
    }
    const auto before = ConduitRegistry().List();
    const std::int32_t result = function();
    win::FreeLibrary(handle);
    const auto after = ConduitRegistry().List();
    if (result != 1) return Fail(module + ": " + entry + " failed (it answered " + std::to_string(result) + ")");
    // The creators the call added or changed, or took away.
    const auto changed = [](const std::vector<ConduitRegistration>& from, const std::vector<ConduitRegistration>& to) {
        std::string creators;
        for (const auto& r : from) {
            const auto same = std::find_if(to.begin(), to.end(), [&](const ConduitRegistration& o) {
                return o.creator == r.creator && o.libraryFile == r.libraryFile && o.folder == r.folder && o.type == r.type;
            });
            if (same == to.end()) creators += (creators.empty() ? "" : ", ") + r.creator;
        }
        return creators;
    };
    if (unregister) {
        const std::string creators = changed(before, after);
        if (creators.empty()) std::printf("%s was not registered\n", file.c_str());
        else std::printf("unregistered %s for %s\n", file.c_str(), creators.c_str());
    } else {
        std::string creators = changed(after, before);
        if (creators.empty()) {
            // Registered again as it was: name what it holds.
            for (const auto& r : after)
                if (win::ModuleFileFor(r.libraryFile) == file) creators += (creators.empty() ? "" : ", ") + r.creator;
        }
        std::printf("registered %s for %s\n", file.c_str(), creators.empty() ? "(no creator)" : creators.c_str());
    }
    return 0;
}

int ListConduits() {
    const auto conduits = ConduitRegistry().List();
    if (conduits.empty()) std::fprintf(stderr, "hotsync: no conduits are registered (see hotsync register MODULE)\n");
    for (const auto& r : conduits)
        std::printf("%s  type %d  %s  folder \"%s\"  \"%s\"\n", r.creator.c_str(), r.type, r.libraryFile.c_str(),
                    r.folder.c_str(), r.title.c_str());
    return 0;
}

int SetAction(const std::string& creator, const std::string& user, const std::optional<std::string>& permanent,
              const std::optional<std::string>& next) {
    if (!UserStore().Find(user)) return NoSuchUser(user);
    if (!ConduitRegistry().Find(creator))
        return Fail("no conduit is registered for the creator \"" + creator + "\" (see hotsync conduits)");
    const UserLock lock(UserStore(), user, "hotsync action");
    if (!lock.Held()) return Fail(lock.Refusal());
    for (const auto& [key, value] : {std::pair{"Permanent", permanent}, std::pair{"Next", next}}) {
        if (!value) continue;
        const bool known = *value == "sync" || *value == "pc-overwrites" || *value == "hh-overwrites" || *value == "nothing";
        if (!known)
            return Fail("unknown action \"" + *value + "\" (sync, pc-overwrites, hh-overwrites, nothing)");
        if (!win::WritePrivateProfileString(creator.c_str(), key, value->c_str(), actionsFile(user).c_str()))
            return Fail("cannot write " + actionsFile(user));
    }
    printActions(creator, user);
    return 0;
}

int Configure(const std::string& creator, const std::string& user) {
    const auto account = UserStore().Find(user);
    if (!account) return Fail("no user \"" + user + "\"");
    const auto registration = ConduitRegistry().Find(creator);
    if (!registration) return Fail("no conduit is registered for " + creator);
    const std::string path = modulePath(*registration);
    win::HMODULE module = win::LoadLibrary(path);
    if (!module) return Fail("the conduit " + creator + " (" + path + ") cannot be loaded");
    using CfgConduitFunction = std::int32_t (*)(std::int32_t, void*, std::uint32_t*);
    auto configure = reinterpret_cast<CfgConduitFunction>(win::GetProcAddress(module, "CfgConduit"));
    if (!configure) {
        win::FreeLibrary(module);
        return Fail("the conduit " + creator + " has no CfgConduit");
    }
    ConfigurationRecord record{};
    record.version = 1;
    record.size = sizeof record;
    std::uint8_t code[4] = {};  // a shorter creator is padded with zero bytes
    std::copy_n(creator.begin(), std::min<std::size_t>(creator.size(), 4), code);
    record.creator = bytes::loadU32BE(code);
    record.userId = account->id;
    std::snprintf(record.userName, sizeof record.userName, "%s", user.c_str());
    std::snprintf(record.pathName, sizeof record.pathName, "%s/", UserStore().UserFolder(user).c_str());
    const auto typeOf = [&](const char* which) -> std::optional<int> {
        if (const auto name = storedAction(user, creator, which)) return SyncTypeFromName(*name);
        return std::nullopt;
    };
    record.permanentAction = typeOf("Permanent").value_or(kSyncFast);
    record.temporaryAction = typeOf("Next").value_or(record.permanentAction);
    record.newAction = record.temporaryAction;
    record.preference = 0;  // stays 0 when the user leaves the dialog without choosing
    std::uint32_t size = sizeof record;
    const std::int32_t result = configure(0, &record, &size);
    win::FreeLibrary(module);
    if (result != 0) return Fail("CfgConduit of " + creator + " answered " + std::to_string(result));
    const std::string file = actionsFile(user);
    const std::string action = ActionName(record.newAction);
    const UserLock lock(UserStore(), user, "hotsync configure");
    if (!lock.Held()) return Fail(lock.Refusal());
    bool written = true;
    if (record.preference == kPreferencePermanent) {
        // A new default also replaces a next action chosen before.
        written = win::WritePrivateProfileString(creator.c_str(), "Permanent", action.c_str(), file.c_str()) &&
                  win::WritePrivateProfileString(creator.c_str(), "Next", nullptr, file.c_str());
    } else if (record.preference == kPreferenceTemporary) {
        written = win::WritePrivateProfileString(creator.c_str(), "Next", action.c_str(), file.c_str());
    } else {
        std::printf("no action chosen\n");
    }
    if (!written) return Fail("cannot write " + file);
    printActions(creator, user);
    return 0;
}

int ListStore(const std::string& user) {
    UserStore users;
    if (!users.Find(user)) return NoSuchUser(user);
    for (const auto& db : HandheldStore(users.HandheldFolder(user)).List())
        std::printf("%-31s %s %s 0x%04X %6u records %8llu bytes\n", db.name.c_str(), cli::fourCharCode(db.type).c_str(),
                    cli::fourCharCode(db.creator).c_str(), db.attributes, db.records, static_cast<unsigned long long>(db.size));
    return 0;
}

int ImportDatabases(const std::string& user, const std::vector<std::string>& files) {
    UserStore users;
    if (!users.Find(user)) return NoSuchUser(user);
    std::vector<std::unique_ptr<qz_gen::CPalmDb>> databases;
    for (const auto& file : files) {
        if (const auto why = cli::cannotRead(file)) return Fail(file + ": " + *why + "; nothing was imported");
        const auto bytes = win::ReadWholeFile(file);
        auto db = bytes ? ParsePalmDatabase(*bytes) : nullptr;
        if (!db) {
            const std::string seems = bytes ? cli::describeContent(*bytes) : std::string();
            return Fail(file + ": not a Palm database" + (seems.empty() ? "" : " (" + seems + ")") +
                        "; nothing was imported");
        }
        databases.push_back(std::move(db));
    }
    const UserLock lock(users, user, "hotsync store --import");
    if (!lock.Held()) return Fail(lock.Refusal() + "; nothing was imported");
    HandheldStore store(users.HandheldFolder(user));
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!store.Store(*databases[i]))
            return Fail(files[i] + ": cannot be stored on the handheld of " + user + ": " + std::strerror(errno));
        std::printf("imported \"%s\"\n", databases[i]->GetName().c_str());
    }
    return 0;
}

int ExportDatabase(const std::string& user, const std::string& name, const std::string& out, bool overwrite) {
    UserStore users;
    if (!users.Find(user)) return NoSuchUser(user);
    if (const auto why = cli::cannotCreate(out, overwrite)) return Fail(out + ": " + *why);
    const UserLock lock(users, user, "hotsync store --export");
    if (!lock.Held()) return Fail(lock.Refusal());
    const auto db = HandheldStore(users.HandheldFolder(user)).Load(name);
    if (!db) return Fail("no database \"" + name + "\" on the handheld of " + user + " (see hotsync store --user NAME)");
    const auto bytes = db->ToBytes();
    if (!win::writeFileAtomically(out, {std::span<const std::uint8_t>(bytes)}, overwrite))
        return Fail(out + ": cannot be written: " + std::strerror(errno));
    std::printf("exported \"%s\" to %s\n", name.c_str(), out.c_str());
    return 0;
}

int WithdrawQueued(const std::string& user, const std::string& file) {
    UserStore users;
    if (!users.Find(user)) return NoSuchUser(user);
    const UserLock lock(users, user, "hotsync queue --remove");
    if (!lock.Held()) return Fail(lock.Refusal());
    const auto queued = users.Queue(user);
    // Only a name the queue lists, so that no path reaches outside the queue.
    if (std::find(queued.begin(), queued.end(), file) == queued.end())
        return Fail("\"" + file + "\" is not queued for " + user + " (see hotsync queue --user NAME)");
    const std::string path = users.InstallFolder(user) + "/" + file;
    if (std::remove(path.c_str()) != 0) return Fail(path + ": cannot be removed: " + std::strerror(errno));
    std::printf("withdrew %s from the queue of %s\n", file.c_str(), user.c_str());
    return 0;
}

namespace {
// "A", "B": names for a log line.
std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) out += (out.empty() ? "\"" : ", \"") + name + "\"";
    return out;
}

// The Sync API library, held for the whole synchronisation so that the state of its session
// (deletions waiting for their replacement) lives until the end, where it is finished.
class SyncSession {
public:
    SyncSession() : module_(win::LoadLibrary(hotSyncFolder() + "/Sync.so")) {}
    ~SyncSession() {
        if (module_) win::FreeLibrary(module_);
    }
    SyncSession(const SyncSession&) = delete;
    SyncSession& operator=(const SyncSession&) = delete;

    // Ends the session; what went wrong, when something did.
    std::optional<std::string> End() {
        using EndFunction = std::int32_t (*)(char*, std::uint32_t);
        auto end = module_ ? reinterpret_cast<EndFunction>(win::GetProcAddress(module_, "PalmdeskEndSyncSession")) : nullptr;
        if (!end)
            return "the Sync API library Sync.so cannot be loaded from " + hotSyncFolder() +
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
};

}  // namespace

int RunSync(const std::string& user, const std::optional<int>& type) {
    UserStore users;
    if (!users.Find(user)) return NoSuchUser(user);
    const UserLock lock(users, user, "hotsync sync");
    if (!lock.Held()) return Fail("a synchronisation of " + user + " cannot start: " + lock.Refusal());
    const std::string logPath = users.UserFolder(user) + "/HotSync.log";
    std::fclose(std::fopen(logPath.c_str(), "w"));  // the log of this synchronisation only
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
        SyncSession sync;
        installQueue(user);
        runConduits(user, type, usedNext);
        if (const auto trouble = sync.End()) problem("HotSync: " + *trouble);
    }
    // The Sync API leaves the flush of what it wrote during the session to here.
    const auto unsure = HandheldStore(users.HandheldFolder(user)).Commit(started);
    if (!unsure.empty()) {
        problem("HotSync: the handheld of " + user + " could not be flushed to the disk; these databases may not be on it: " +
                joined(unsure) + ".");
    } else {
        // The synchronisation is complete: its next actions are used up.
        for (const auto& creator : usedNext)
            if (!win::WritePrivateProfileString(creator.c_str(), "Next", nullptr, actionsFile(user).c_str()))
                problem("HotSync: the next action of " + creator + " could not be cleared (" + std::strerror(errno) +
                        "); it will run again.");
    }
    const int problems = LogProblemCount();
    if (problems == 0) log("HotSync completed.");
    else log("HotSync completed with " + std::to_string(problems) + (problems == 1 ? " problem" : " problems") +
             " (see the lines above).");
    ::unsetenv(kSyncSessionVariable);
    ::unsetenv(kSyncUserVariable);
    if (const auto text = win::ReadWholeFile(logPath)) std::fwrite(text->data(), 1, text->size(), stdout);
    return problems == 0 ? 0 : 1;
}

}  // namespace palmdesk
