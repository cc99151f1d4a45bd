// DocumentCommands.h: `typehold list`, `rename`, `delete` and `merge` on Typehold files.
#pragma once

#include <optional>
#include <string>
#include <vector>

int runList(const std::string& file, bool json);
// INDEX counts the listed fonts from 0 in the order `list` shows.
int runRename(const std::string& file, unsigned index, const std::optional<std::string>& name,
              const std::optional<std::string>& style);
int runDelete(const std::string& file, const std::vector<unsigned>& indexes);
// Copies every listed font of the inputs into out (created when missing), sorted.
int runMerge(const std::string& out, const std::vector<std::string>& inputs);
