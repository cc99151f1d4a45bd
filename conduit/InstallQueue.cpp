// InstallQueue.cpp: the desktop's install queue through the install aide.
#include "InstallQueue.h"

#include <cstdint>

extern "C" std::int32_t PltInstallFile(const char* userName, const char* path);

bool InstaideQueue::add(const std::string& user, const std::string& path) {
    return PltInstallFile(user.c_str(), path.c_str()) >= 0;
}
