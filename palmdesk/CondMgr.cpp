// CondMgr.cpp: the conduit manager's exports over ConduitRegistry.
#include "CondMgr.h"

#include "ConduitRegistry.h"

#define CM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string text(const char* s) { return s ? s : ""; }
}  // namespace

CM_EXPORT std::int32_t CmInstallCreator(const char* creator, std::int32_t type) {
    return palmdesk::ConduitRegistry().Install(text(creator), type);
}
CM_EXPORT std::int32_t CmSetCreatorName(const char* creator, const char* libraryFile) {
    return palmdesk::ConduitRegistry().Set(text(creator), "Name", text(libraryFile));
}
CM_EXPORT std::int32_t CmSetCreatorDirectory(const char* creator, const char* folder) {
    return palmdesk::ConduitRegistry().Set(text(creator), "Directory", text(folder));
}
CM_EXPORT std::int32_t CmSetCreatorTitle(const char* creator, const char* title) {
    return palmdesk::ConduitRegistry().Set(text(creator), "Title", text(title));
}
CM_EXPORT std::int32_t CmRemoveConduitByCreatorID(const char* creator) {
    return palmdesk::ConduitRegistry().Remove(text(creator));
}
