// Fuzz target: the INI reader and its edits. Any text reads; setting a value makes it readable
// and leaves every other line as it was.
#include "platform/win/IniFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto ini = win::IniFile::Parse(text);
    for (const auto& section : ini.Sections())
        for (const auto& key : ini.Keys(section)) ini.Get(section, key);
    ini.Set("Pictaro", "SyncFolder", "C:\\Pictaro");
    if (ini.Get("pictaro", "syncfolder") != "C:\\Pictaro") std::abort();
    ini.DeleteKey("Pictaro", "SyncFolder");
    ini.DeleteSection("Pictaro");
    win::IniFile::Parse(ini.Serialise());
    return 0;
}
