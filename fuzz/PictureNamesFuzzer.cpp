// Fuzz target: the names the conduit makes of outside text. A handheld database name becomes a
// file name that holds nothing a folder cannot and comes back as the same name; any file name
// becomes a handheld name of at most 31 bytes that stays itself through another round; and the
// open-file dialog's name buffer is read without reading past it, into paths that pack into a
// buffer that reads back the same.
#include "conduit/InstallFonts.h"
#include "conduit/PictureNames.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}

bool fitsAFolder(const std::string& file) {
    if (file.empty() || file == "." || file == "..") return file.empty();
    return std::none_of(file.begin(), file.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || std::strchr("/\\:*?\"<>|", c) != nullptr;
    });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
    case 0: {
        // A handheld name: up to 31 bytes, ending at a zero byte.
        const std::string name = text.substr(0, std::min(text.find('\0'), kMaxDatabaseName));
        const std::string file = FileNameForDatabase(name);
        check(fitsAFolder(file));
        check(DatabaseNameFromFile(file) == name);
        break;
    }
    case 1: {
        const std::string name = DatabaseNameFromFile(text);
        check(name.size() <= kMaxDatabaseName);
        if (name.find('\0') != std::string::npos) break;
        check(DatabaseNameFromFile(FileNameForDatabase(name)) == name);
        break;
    }
    case 2: {
        // The buffer exactly as long as the input, so that a read past it stops the run.
        const auto buffer = std::make_unique<char[]>(text.size());
        std::memcpy(buffer.get(), text.data(), text.size());
        const auto paths = ParseFontSelection({buffer.get(), text.size()});
        for (const auto& path : paths) check(!path.empty() && path.find('\0') == std::string::npos);
        const bool absolute = std::all_of(paths.begin(), paths.end(), [](const std::string& p) { return p.front() == '/'; });
        if (paths.empty() || !absolute) break;
        const auto packed = PackFontSelection(paths, 2 * text.size() + 16);
        check(packed.has_value());
        check(ParseFontSelection(*packed) == paths);
        break;
    }
    }
    return 0;
}
