// CondMgr.h: the conduit manager library of the stand-in HotSync manager (CondMgr.so). Creators
// are four-character strings; results are 0 or a negative code (-1005: already registered).
#pragma once

#include <cstdint>

extern "C" {
std::int32_t CmInstallCreator(const char* creator, std::int32_t conduitType);
std::int32_t CmSetCreatorName(const char* creator, const char* libraryFile);
std::int32_t CmSetCreatorDirectory(const char* creator, const char* folder);
std::int32_t CmSetCreatorTitle(const char* creator, const char* title);
std::int32_t CmRemoveConduitByCreatorID(const char* creator);
}
