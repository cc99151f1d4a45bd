// RecordingConduit.cpp: a conduit for tests. It registers itself for the creator "TeSt", writes
// each sync type it receives to the file RECORDING_CONDUIT_OUT names, logs a line, and puts a
// database of its own on the handheld through the Sync API.
#include "palmdesk/CondMgr.h"
#include "palmdesk/HotSyncLog.h"
#include "palmdesk/SyncApi.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>

#define CONDUIT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string ownFolder() {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&ownFolder), &info);
    const std::string path = info.dli_fname ? info.dli_fname : ".";
    return path.substr(0, path.find_last_of('/'));
}
}  // namespace

CONDUIT_EXPORT std::int32_t OpenConduit(void*, const std::int32_t* properties) {
    const std::int32_t type = properties ? properties[0] : -1;
    if (const char* out = std::getenv("RECORDING_CONDUIT_OUT"))
        if (FILE* f = std::fopen(out, "a")) {
            std::fprintf(f, "%d\n", type);
            std::fclose(f);
        }
    LogAddFormattedEntry(slText, false, "Recording conduit: sync type %d.", type);
    SyncCreateDbParams create{};
    create.creator = 0x54655374;  // TeSt
    create.type = 0x44415441;     // DATA
    std::strcpy(create.name, "Recorded");
    std::uint8_t handle = 0;
    if (SyncCreateDB(&create, &handle) == SYNCERR_NONE) {
        std::uint8_t bytes[] = {1, 2, 3};
        SyncRecordParams record{};
        record.handle = handle;
        record.buffer = bytes;
        record.dataLength = 3;
        SyncWriteRec(&record);
        SyncCloseDB(handle);
    }
    return 0;
}

CONDUIT_EXPORT std::int32_t DllRegisterServer() {
    std::int32_t rc = CmInstallCreator("TeSt", 1);
    if (rc == -1005) {
        CmRemoveConduitByCreatorID("TeSt");
        rc = CmInstallCreator("TeSt", 1);
    }
    if (rc != 0) return 0;
    if (CmSetCreatorName("TeSt", "recording_conduit.dll") != 0) return 0;
    if (CmSetCreatorDirectory("TeSt", ownFolder().c_str()) != 0) return 0;
    return CmSetCreatorTitle("TeSt", "Recording conduit") == 0 ? 1 : 0;
}

CONDUIT_EXPORT std::int32_t DllUnregisterServer() { return CmRemoveConduitByCreatorID("TeSt") <= 1 ? 1 : 0; }
