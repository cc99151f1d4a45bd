// Fuzz target: what the converter reads from the registry file: its settings, the recent files and
// the window placement. Whatever the file holds, the settings read within their rules (sizes 6 to
// 26 in order) and read back the same once saved; the recent-file list keeps 2 to 16 paths of at
// most 260 bytes and reads back the same once written; and a placement that parses formats into
// a text that parses the same.
#include "app/ConverterSettings.h"
#include "app/RecentFileList.h"
#include "app/RegistryStore.h"
#include "app/WindowPlacement.h"
#include "platform/win/Registry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}

bool samePlacement(const WindowPlacement& a, const WindowPlacement& b) {
    return a.showCmd == b.showCmd && a.flags == b.flags && a.minX == b.minX && a.minY == b.minY && a.maxX == b.maxX &&
           a.maxY == b.maxY && a.left == b.left && a.right == b.right && a.top == b.top && a.bottom == b.bottom;
}

void checkPlacement(const std::string& text) {
    const auto placement = ParsePlacement(text);
    if (!placement) return;
    const auto again = ParsePlacement(FormatPlacement(*placement));
    check(again && samePlacement(*placement, *again));
    PlacementFitsScreen(*placement, 1024, 768);
}

bool sameSettings(const ConverterSettings& a, const ConverterSettings& b) {
    for (std::size_t i = 0; i < ConverterSettings::kSizeCount; ++i)
        if (a.sizes[i].size != b.sizes[i].size || a.sizes[i].checked != b.sizes[i].checked) return false;
    return a.script == b.script && a.createHiRes == b.createHiRes && a.styles == b.styles;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A desktop of its own, memory-backed where there is one.
    static std::string root = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/registry-fuzz-XXXXXX";
    if (!::mkdtemp(root.data())) std::abort();
    std::atexit([] { std::error_code ignored; std::filesystem::remove_all(root, ignored); });
    ::setenv("PALMDESK_ROOT", root.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkPlacement(text);
    {
        std::ofstream file(win::RegistryFilePath(), std::ios::binary | std::ios::trunc);
        file << text;
    }
    RegistryStore store("Corvane", "Typehold");

    ConverterSettings settings;
    settings.Load(store);
    for (std::size_t i = 0; i < ConverterSettings::kSizeCount; ++i)
        check(settings.sizes[i].size == ConverterSettings::kFirstSize + i);
    std::string placement;
    if (store.GetString("App Window", placement)) checkPlacement(placement);

    RecentFileList recent(store);
    recent.Read();
    check(recent.MaxSize() >= RecentFileList::kMinCount && recent.MaxSize() <= RecentFileList::kMaxCount);
    check(recent.Size() <= recent.MaxSize());
    const auto paths = recent.NewestFirst();
    for (const auto& path : paths) check(path.size() <= RecentFileList::kMaxPathBytes);

    // Writing what was read and reading it again changes nothing (when the file could be read as
    // a registry at all; a file that cannot is left alone by every write).
    settings.Save(store);
    ConverterSettings again;
    again.Load(store);
    recent.Write();
    RecentFileList reread(store);
    reread.Read();
    if (win::RegistryTree::Parse(text)) {
        check(sameSettings(settings, again));
        check(reread.NewestFirst() == paths && reread.MaxSize() == recent.MaxSize());
    }
    return 0;
}
