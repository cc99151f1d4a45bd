// SyncEngine.h: one HotSync of a Palm user's handheld, apart from any command line: the install
// queue, the registered conduits with their sync types, the log, and the commit of what the
// synchronisation wrote. It prints nothing itself but the conduits' progress on a terminal.
#pragma once

#include "palmdesk/ConduitRegistry.h"

#include <functional>
#include <optional>
#include <string>

namespace palmdesk {

class Handheld;

// "fast", "slow", "hh", "pc", "nothing" (a --type), or the action names "sync", "hh-overwrites",
// "pc-overwrites", "nothing"; none for anything else.
std::optional<int> SyncTypeFromName(const std::string& name);
std::string ActionName(int syncType);

// The full path of the running HotSync manager, the HotSyncPath the registry records, and its
// folder, where the Sync API library and the conduits named without a folder are.
std::string HotSyncExecutable();
std::string HotSyncFolder();
// The user's HotSync actions (HotSync.ini) and one of them ("Permanent" or "Next") for a creator.
std::string ActionsFile(const std::string& user);
std::optional<std::string> StoredAction(const std::string& user, const std::string& creator, const char* which);
// The file a registered library name stands for: in the HotSync manager's folder, else in the
// registered folder.
std::string ConduitModulePath(const ConduitRegistration& r);

// What a synchronisation works on besides the user's files.
struct SyncTarget {
    // The handheld the Sync API and the install queue work on; none: the user's folder store.
    Handheld* device = nullptr;
    // Called before each conduit with its label; false stops the synchronisation there (the
    // handheld cancelled it or is gone).
    std::function<bool(const std::string& label)> beforeConduit;
    // Why the device failed, checked at the end; empty while it works.
    std::function<std::string()> trouble;
};

struct SyncOutcome {
    int problems = 0;         // the entries logged as problems, the final line's count
    bool completed = false;   // every step ran and what was written is durable
    std::string logPath;      // HotSync.log of this synchronisation
};

// Runs one synchronisation of user, whose lock the caller holds: removes what an interrupted one
// left, installs the queued files, runs every registered conduit with its sync type (type, else
// the next action, else the permanent one), finishes the Sync API's session and commits the
// folder store. HotSync.log holds this synchronisation only; its last line says how it went. A
// queued file leaves the queue only once the handheld holds it.
SyncOutcome RunSynchronisation(const std::string& user, const std::optional<int>& type, const SyncTarget& target = {});

}  // namespace palmdesk
