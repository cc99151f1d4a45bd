// StringTable.cpp: the file library's string resources and the registry of program tables.
#include "StringTable.h"

#include <array>
#include <mutex>
#include <vector>

namespace qz_gen {

namespace {
constexpr std::array kLibraryStrings{
    StringResource{1, "QZ_FileIO.DLL Initializing"},
    StringResource{2, "The db structure is unknown"},
    StringResource{3, "The db structure is different"},
    StringResource{4, "The db version is newer than your application. Please update your application!"},
    StringResource{5, "Missing new record identifier"},
    StringResource{6, "Missing end record identifier"},
    StringResource{7, "There was a problem opening or creating a file."},
    StringResource{8, "File IO read error"},
    StringResource{9, "File IO write error"},
    StringResource{10, "File IO"},
    StringResource{11, "Out of memory"},
    StringResource{12, "The default header size is less than the Header object"},
    StringResource{13, "The db check code is different. This is not a .qzo file. Perhaps you renamed "
                       "it from a .qzo.pdb file? That won't work. "},
    StringResource{14, "The recorded header size is bigger than the default header size"},
    StringResource{15, "Data corruption error"},
    StringResource{16, "Data class not found error"},
    StringResource{17, "Data buffer overflow error"},
    StringResource{18, "Unknown data error"},
    StringResource{19, "The QZ did not find any free category ID"},
    StringResource{20, "The header size is changed, but the db version not"},
    StringResource{21, "The max amount of categories is 16"},
    StringResource{22, "The image is too big"},
    StringResource{23, "Cannot load DIB"},
    StringResource{24, "Can not save DIB"},
};

// Program tables are registered at start-up, but lookups may come from the conversion worker.
std::mutex tablesMutex;
std::vector<std::span<const StringResource>>& programTables() {
    static std::vector<std::span<const StringResource>> tables;
    return tables;
}

std::optional<std::string_view> findIn(std::span<const StringResource> table, std::uint32_t id) {
    for (const auto& entry : table)
        if (entry.id == id) return entry.text;
    return std::nullopt;
}
}  // namespace

std::optional<std::string_view> LoadProgramString(std::uint32_t id) {
    {
        std::lock_guard lock(tablesMutex);
        const auto& tables = programTables();
        for (auto it = tables.rbegin(); it != tables.rend(); ++it)
            if (auto text = findIn(*it, id)) return text;
    }
    return findIn(kLibraryStrings, id);
}

void RegisterProgramStrings(std::span<const StringResource> table) {
    std::lock_guard lock(tablesMutex);
    programTables().push_back(table);
}

std::span<const StringResource> LibraryStrings() { return kLibraryStrings; }

}  // namespace qz_gen
