// ScriptedSetupConduit.cpp: a conduit for the tests of hotsync configure. It registers itself for
// the creator "ScRp"; its CfgConduit notes the record it receives in the file SCRIPTED_CONDUIT_OUT
// names and answers with the new action and preference SCRIPTED_CONDUIT_ANSWER gives ("3 1"), or
// leaves them when it is unset; OpenConduit notes the sync type it receives.
#include "palmdesk/CondMgr.h"
#include "palmdesk/ConduitRecords.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>

#define CONDUIT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
constexpr const char* kCreator = "ScRp";

std::string ownFolder() {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&ownFolder), &info);
    const std::string path = info.dli_fname ? info.dli_fname : ".";
    return path.substr(0, path.find_last_of('/'));
}

void note(const std::string& line) {
    if (const char* out = std::getenv("SCRIPTED_CONDUIT_OUT"))
        if (FILE* f = std::fopen(out, "a")) {
            std::fprintf(f, "%s\n", line.c_str());
            std::fclose(f);
        }
}
}  // namespace

CONDUIT_EXPORT std::int32_t OpenConduit(void*, const std::int32_t* properties) {
    note("sync " + std::to_string(properties ? properties[0] : -1));
    return 0;
}

CONDUIT_EXPORT std::int32_t CfgConduit(std::int32_t type, void* data, std::uint32_t* size) {
    ConfigurationRecord r;
    std::memcpy(&r, data, sizeof r);
    char line[512];
    std::snprintf(line, sizeof line, "configure type %d size %u/%u version %u creator %08X user %.64s permanent %d temporary %d preference %d",
                  type, *size, r.size, r.version, r.creator, r.userName, r.permanentAction, r.temporaryAction, r.preference);
    note(line);
    if (const char* answer = std::getenv("SCRIPTED_CONDUIT_ANSWER")) {
        std::sscanf(answer, "%d %d", &r.newAction, &r.preference);
        std::memcpy(data, &r, sizeof r);
    }
    return 0;
}

CONDUIT_EXPORT std::int32_t DllRegisterServer() {
    std::int32_t rc = CmInstallCreator(kCreator, 1);
    if (rc == -1005) {
        CmRemoveConduitByCreatorID(kCreator);
        rc = CmInstallCreator(kCreator, 1);
    }
    if (rc != 0) return 0;
    if (CmSetCreatorName(kCreator, "scripted_setup_conduit.dll") != 0) return 0;
    return CmSetCreatorDirectory(kCreator, ownFolder().c_str()) == 0 ? 1 : 0;
}
