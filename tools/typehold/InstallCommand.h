// InstallCommand.h: `typehold install`, queuing a Typehold file for a Palm user's next HotSync.
#pragma once

#include <optional>
#include <string>

int runInstall(const std::string& file, const std::optional<std::string>& user);
