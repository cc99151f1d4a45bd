// HotSyncCommands.cpp: the hotsync commands beyond setting up users: conduit registration, HotSync
// actions, the handheld store, the queue and a synchronisation (the engine does its work).
#include "HotSyncCommands.h"

#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/ConduitRecords.h"
#include "palmdesk/ConduitRegistry.h"
#include "palmdesk/HandheldStore.h"
#include "palmdesk/SyncApi.h"
#include "palmdesk/SyncEngine.h"
#include "palmdesk/UserLock.h"
#include "palmdesk/UserStore.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/gdi/CodePages.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/ModuleLoader.h"
#include "platform/win/PrivateProfile.h"
#include "platform/win/WholeFile.h"
#include "tools/common/CommandLine.h"

#include <algorithm>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace palmdesk {

int Fail(const std::string& text) {
    std::fprintf(stderr, "hotsync: %s\n", text.c_str());
    return 1;
}

int NoSuchUser(const std::string& user) { return Fail("no user \"" + user + "\" (see hotsync user list)"); }

namespace {

void printActions(const std::string& creator, const std::string& user) {
    std::printf("%s for %s: permanent %s, next %s\n", creator.c_str(), user.c_str(),
                StoredAction(user, creator, "Permanent").value_or("sync").c_str(),
                StoredAction(user, creator, "Next").value_or("(none)").c_str());
}

}  // namespace

namespace {

// A bare file name that is not in the current folder names a conduit installed beside hotsync, as
// pictsync.so is.
std::string ConduitModulePath(const std::string& module) {
    if (module.find('/') != std::string::npos || ::access(module.c_str(), F_OK) == 0) return module;
    const std::string beside = HotSyncFolder() + "/" + module;
    return ::access(beside.c_str(), F_OK) == 0 ? beside : module;
}

}  // namespace

int RegisterModule(const std::string& given, bool unregister) {
    const std::string module = ConduitModulePath(given);
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
        std::printf("%s  type %d  %s  folder \"%s\"  \"%s\"\n", r.creator.c_str(), r.type, win::ModuleFileFor(r.libraryFile).c_str(),
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
        if (!win::WritePrivateProfileString(creator.c_str(), key, value->c_str(), ActionsFile(user).c_str()))
            return Fail("cannot write " + ActionsFile(user));
    }
    printActions(creator, user);
    return 0;
}

int Configure(const std::string& creator, const std::string& user) {
    const auto account = UserStore().Find(user);
    if (!account) return Fail("no user \"" + user + "\"");
    const auto registration = ConduitRegistry().Find(creator);
    if (!registration) return Fail("no conduit is registered for " + creator);
    const std::string path = ConduitModulePath(*registration);
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
        if (const auto name = StoredAction(user, creator, which)) return SyncTypeFromName(*name);
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
    const std::string file = ActionsFile(user);
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
    // Database names are the handheld's bytes (Windows-1252), printed as UTF-8 in a column of 31.
    for (const auto& db : HandheldStore(users.HandheldFolder(user)).List())
        std::printf("%s %s %s 0x%04X %6u records %8llu bytes\n",
                    gdi::PadToWidth(gdi::CodePageToUtf8(db.name, 1252), 31).c_str(), cli::fourCharCode(db.type).c_str(),
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

int RunSync(const std::string& user, const std::optional<int>& type) {
    UserStore users;
    if (!users.Find(user)) return NoSuchUser(user);
    const UserLock lock(users, user, "hotsync sync");
    if (!lock.Held()) return Fail("a synchronisation of " + user + " cannot start: " + lock.Refusal());
    const SyncOutcome outcome = RunSynchronisation(user, type);
    if (const auto text = win::ReadWholeFile(outcome.logPath)) std::fwrite(text->data(), 1, text->size(), stdout);
    return outcome.problems == 0 ? 0 : 1;
}

}  // namespace palmdesk
