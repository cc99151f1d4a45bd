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
        // Names a file dialog could hand back, one a line: the buffer never takes more than
        // every full path and its zero, the closing zero and a "." for paths that share no folder;
        // one path takes its bytes and two zeros.
        std::vector<std::string> paths;
        std::size_t whole = 1;
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            paths.push_back("/" + text.substr(start, end - start));
            whole += paths.back().size() + 1;
            start = end + 1;
        }
        const std::size_t bytes = FontSelectionBytes(paths);
        check(paths.size() == 1 ? bytes == whole : bytes <= whole + 2);
        break;
    }
    }
    return 0;
}
