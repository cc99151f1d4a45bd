// FontWrapper.cpp: a TrueType file wrapped unchanged for the handheld, as a Palm database of type
// ttfn and creator TTFt whose records are stream blocks ("DBLK", two zero bytes, a 16-bit length,
// up to 4096 bytes of the font), queued for a user's next HotSync.
#include "FontWrapper.h"

#include "ConduitMessages.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/WholeFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

extern "C" std::int32_t PltInstallFile(const char* userName, const char* path);

namespace {
constexpr std::size_t kBlock = 4096;
constexpr std::size_t kRecordSize = kBlock + 8;

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v >> 8);
    out[at + 1] = static_cast<std::uint8_t>(v);
}
void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + std::size_t(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
}  // namespace

std::string FontDatabaseName(const std::string& title) {
    if (title.size() <= 31) return title;
    return title.substr(0, 27) + ".ttf";
}

std::vector<std::uint8_t> WrapFont(const std::vector<std::uint8_t>& font, const std::string& title) {
    const std::size_t n = font.size() / kBlock + 1;
    const std::size_t dataStart = 78 + 8 * n;
    std::vector<std::uint8_t> out(dataStart + (n - 1) * kRecordSize + 8 + font.size() % kBlock, 0);
    const std::string name = FontDatabaseName(title);
    std::copy(name.begin(), name.end(), out.begin());
    put16(out, 32, 0x0080);
    put32(out, 36, 0xBAADFDCD);
    put32(out, 40, 0xBAADFDCE);
    put32(out, 48, 0x36);
    put32(out, 60, 0x7474666E);  // ttfn
    put32(out, 64, 0x54544674);  // TTFt
    put32(out, 68, 0x6D502C20);
    put16(out, 76, static_cast<std::uint32_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t entry = 78 + 8 * i;
        const std::size_t offset = dataStart + i * kRecordSize;
        put32(out, entry, static_cast<std::uint32_t>(offset));
        out[entry + 4] = 0x40;
        out[entry + 5] = 0xD5;
        out[entry + 6] = 0x40;
        out[entry + 7] = static_cast<std::uint8_t>(i + 1);
        const std::size_t length = std::min(kBlock, font.size() - std::min(font.size(), i * kBlock));
        out[offset] = 'D';
        out[offset + 1] = 'B';
        out[offset + 2] = 'L';
        out[offset + 3] = 'K';
        put16(out, offset + 6, static_cast<std::uint32_t>(length));
        std::copy_n(font.begin() + static_cast<std::ptrdiff_t>(i * kBlock), length, out.begin() + static_cast<std::ptrdiff_t>(offset + 8));
    }
    return out;
}

void MakeFontDatabase(const std::string& path, const std::string& user) {
    const std::string title = std::filesystem::path(path).filename().string();
    // Whatever keeps the file from being read (missing, a folder, no permission) is the one
    // "does not exists!" box.
    const auto read = std::filesystem::is_regular_file(path) ? win::ReadWholeFile(path) : std::nullopt;
    if (!read) {
        ConduitMessageBox("File \"" + path + "\" does not exists!", "Not Existing");
        return;
    }
    const std::vector<std::uint8_t>& font = *read;
    if (font.size() / kBlock + 1 > 0xFFFF) {
        ConduitMessageBox("The font file \"" + path + "\" is too large for the handheld.", "Cannot install");
        return;
    }
    // A folder of its own, so that no file of the user's can be hit.
    std::string folder = (std::filesystem::temp_directory_path() / "pictsync-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        ConduitMessageBox("Cannot create file \"" + title + ".pdb\"", "Cannot create");
        return;
    }
    const std::string output = folder + "/" + title + ".pdb";
    const auto bytes = WrapFont(font, title);
    if (!win::writeFileAtomically(output, {std::span<const std::uint8_t>(bytes)}, true)) {
        ConduitMessageBox("Cannot create file \"" + title + ".pdb\"", "Cannot create");
    } else {
        PltInstallFile(user.c_str(), output.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
