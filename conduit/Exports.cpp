// Exports.cpp: pictsync's outward surface: the module's load and unload, and the eight exports
// HotSync calls. Nothing may escape an export: every one returns its 32-bit result.
#include "ConduitSettings.h"
#include "PictureSync.h"
#include "dialog/ConfigurationDialog.h"
#include "palmdesk/CondMgr.h"
#include "palmdesk/ConduitRecords.h"
#include "palmdesk/HotSyncLog.h"
#include "palmdesk/SyncApi.h"
#include "platform/win/DesktopRoot.h"
#include "resources/conduit/ConduitStrings.h"

#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <string>

#define CONDUIT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
constexpr const char* kCreator = "DrAw";
constexpr std::int32_t kVersion = 0x0102;
constexpr std::int32_t kAlreadyRegistered = -1005;

constexpr std::int32_t kErrUnknownInfoType = 0x1070;
constexpr std::int32_t kErrNoOutputBuffer = 0x1071;
constexpr std::int32_t kErrBadOutputSize = 0x1073;
constexpr std::int32_t kErrNoRecord = 0x1074;
constexpr std::int32_t kErrBadRecord = 0x1075;
constexpr std::int32_t kErrNoName = 0x1076;
constexpr std::int32_t kErrNoSizePointer = 0x1077;
constexpr std::int32_t kErrNoConfigSize = 0x1078;
constexpr std::int32_t kErrBadConfigType = 0x1079;
constexpr std::int32_t kErrBadConfigSize = 0x107A;
constexpr std::int32_t kErrBadConfigVersion = 0x107B;

// The module's own state, kept from the first load. The path lives in a function so that it
// exists before the load hook runs, whatever order the module's initialisers take.
std::int32_t attachCount = 0;
std::string& modulePath() {
    static std::string path;
    return path;
}

void log(const char* text) { LogAddEntry(text, slText, false); }

// Copies string 1 into buffer of capacity characters; false when it does not fit.
bool loadName(char* buffer, std::size_t capacity) {
    const auto name = conduit::LoadConduitString(conduit::kStrConduitName);
    if (!name || buffer == nullptr || name->size() + 1 > capacity) return false;
    std::memcpy(buffer, name->c_str(), name->size() + 1);
    return true;
}

// The loader's process attach and detach.
__attribute__((constructor)) void processAttach() {
    if (attachCount == 0) {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&processAttach), &info) && info.dli_fname) modulePath() = info.dli_fname;
    }
    ++attachCount;
}
__attribute__((destructor)) void processDetach() { --attachCount; }
}  // namespace

CONDUIT_EXPORT std::int32_t OpenConduit(void* /*progress*/, const std::int32_t* properties) {
    try {
        const std::int32_t syncType = properties ? properties[0] : -1;
        const PictaroSettings settings = LoadSettings(PictaroIni());
        switch (syncType) {
        case kSyncFast:
            if (CheckSyncFolder(settings)) {
                FetchPictures(settings, kTypeBpmf, false);
                FetchPictures(settings, kTypeBpmc, false);
                SendPictures(settings, false);
            }
            log("Pictaro: sync operation completed successfully.");
            break;
        case kSyncHandheldOverwrites:
            if (CheckSyncFolder(settings)) {
                FetchPictures(settings, kTypeBpmf, true);
                FetchPictures(settings, kTypeBpmc, true);
            }
            log("Pictaro: sync operation completed successfully.");
            break;
        case kSyncDesktopOverwrites:
            if (CheckSyncFolder(settings)) SendPictures(settings, true);
            log("Pictaro: sync operation completed successfully.");
            break;
        case kSyncNothing:
            log("DrAw configured to do nothing.");
            break;
        default:
            break;
        }
        SyncDeleteDB("TTFonts_DB", 0);
    } catch (std::int32_t code) {
        LogAddFormattedEntry(slWarning, false, "Quillix: error %ld.", static_cast<long>(code));
    } catch (...) {
        LogAddFormattedEntry(slWarning, false, "Quillix: error %ld.", -1L);
    }
    return 0;
}

CONDUIT_EXPORT std::int32_t GetConduitName(char* buffer, std::uint16_t length) { return loadName(buffer, length) ? 0 : -1; }

CONDUIT_EXPORT std::int32_t GetConduitVersion() { return kVersion; }

CONDUIT_EXPORT std::int32_t GetConduitInfo(std::int32_t infoType, const void* input, void* output, std::uint32_t* size) {
    if (output == nullptr) return kErrNoOutputBuffer;
    if (size == nullptr) return kErrNoSizePointer;
    switch (infoType) {
    case 0: {
        if (input == nullptr) return kErrNoRecord;
        ConduitRequest request;
        std::memcpy(&request, input, sizeof request);
        if (request.version != 1 || request.size != sizeof(ConduitRequest)) return kErrBadRecord;
        return loadName(static_cast<char*>(output), *size) ? 0 : kErrNoName;
    }
    case 1:
    case 2: {
        if (*size != 4) return kErrBadOutputSize;
        const std::uint32_t value = infoType == 1 ? 0x10000000u : 0u;
        std::memcpy(output, &value, 4);
        return 0;
    }
    default: return kErrUnknownInfoType;
    }
}

CONDUIT_EXPORT std::int32_t ConfigureConduit(void* /*preferences*/) { return -1; }

CONDUIT_EXPORT std::int32_t CfgConduit(std::int32_t configType, void* record, std::uint32_t* size) {
    if (record == nullptr) return kErrNoRecord;
    if (size == nullptr) return kErrNoConfigSize;
    if (*size != sizeof(ConfigurationRecord)) return kErrBadConfigSize;
    if (configType != 0) return kErrBadConfigType;
    ConfigurationRecord config;
    std::memcpy(&config, record, sizeof config);
    if (config.version != 1) return kErrBadConfigVersion;
    ConduitRequest request{1, sizeof(ConduitRequest), config.creator, config.userId, {}};
    std::memcpy(request.userName, config.userName, sizeof request.userName);
    char name[256];
    std::uint32_t nameSize = sizeof name;
    if (const std::int32_t rc = GetConduitInfo(0, &request, name, &nameSize); rc != 0) return rc;
    // The dialog works on the caller's record (byte-packed, so any address will do).
    try {
        RunConfigurationDialog(*static_cast<ConfigurationRecord*>(record), modulePath());
    } catch (...) {
        // The dialog's result is not reported, and nothing may reach HotSync.
    }
    return 0;
}

CONDUIT_EXPORT std::int32_t DllUnregisterServer() { return CmRemoveConduitByCreatorID(kCreator) <= 1 ? 1 : 0; }

CONDUIT_EXPORT std::int32_t DllRegisterServer() {
    std::int32_t rc = CmInstallCreator(kCreator, 1);
    if (rc == kAlreadyRegistered) {
        DllUnregisterServer();
        rc = CmInstallCreator(kCreator, 1);
    }
    if (rc != 0) return 0;
    if (CmSetCreatorName(kCreator, "pictsync.dll") != 0) return 0;
    if (CmSetCreatorDirectory(kCreator, "Pictro") != 0) return 0;
    if (CmSetCreatorTitle(kCreator, "Pictaro 2004") != 0) return 0;
    // The sync folder is there before the first HotSync, so that it does not pass without pictures.
    // A failure here is not the registration's: the first sync reports the missing folder.
    if (const auto folder = SyncFolder(LoadSettings(PictaroIni()))) win::MakeFolders(*folder);
    return 1;
}

// For tests: how often the module was attached, and the path it was first loaded from.
CONDUIT_EXPORT std::int32_t PictsyncAttachCount() { return attachCount; }
CONDUIT_EXPORT const char* PictsyncModulePath() { return modulePath().c_str(); }
