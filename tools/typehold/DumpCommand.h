// DumpCommand.h: `typehold dump`, the container, a record or a font record of a database.
#pragma once

#include <optional>
#include <string>

struct DumpOptions {
    std::string file;
    std::optional<unsigned> recordSlot;  // --record SLOT
    bool raw = false;                    // --raw: the record's bytes to stdout
    std::optional<unsigned> fontSlot;    // --font SLOT
};

int runDump(const DumpOptions& options);
