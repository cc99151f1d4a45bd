// HotSyncCommands.h: what hotsync does beyond setting up users: conduit registration, HotSync actions,
// the handheld store, and a synchronisation.
#pragma once

#include "palmdesk/SyncApi.h"
#include "palmdesk/SyncEngine.h"

#include <optional>
#include <string>
#include <vector>

namespace palmdesk {

// "hotsync: <text>" on stderr; returns the exit code 1.
int Fail(const std::string& text);
// Fail for a user name that names no Palm user.
int NoSuchUser(const std::string& user);

// Calls the module's DllRegisterServer (or DllUnregisterServer) and says which creators it
// registered (or unregistered).
int RegisterModule(const std::string& module, bool unregister);
int ListConduits();
int SetAction(const std::string& creator, const std::string& user, const std::optional<std::string>& permanent,
              const std::optional<std::string>& next);
// Opens the configuration of the conduit registered for creator (its CfgConduit) with the user's
// actions, and stores the action chosen there: for the next synchronisation, or as the permanent one.
int Configure(const std::string& creator, const std::string& user);
int ListStore(const std::string& user);
// Every file is checked before any is imported: one that is missing or not a Palm database stops
// the command with nothing imported.
int ImportDatabases(const std::string& user, const std::vector<std::string>& files);
// An existing file at out is replaced only with overwrite.
int ExportDatabase(const std::string& user, const std::string& name, const std::string& out, bool overwrite);
// Takes file out of the user's install queue.
int WithdrawQueued(const std::string& user, const std::string& file);
// Holds the user's handheld for the whole synchronisation (the engine's RunSynchronisation) and
// prints the log.
int RunSync(const std::string& user, const std::optional<int>& type);

}  // namespace palmdesk
