// FontWrapper.cpp: a TrueType file wrapped unchanged for the handheld, as a Palm database of type
// ttfn and creator TTFt whose records are stream blocks ("DBLK", two zero bytes, a 16-bit length,
// up to 4096 bytes of the font), queued for a user's next HotSync.
#include "FontWrapper.h"

#include "ConduitMessages.h"
#include "InstallQueue.h"
#include "PictureNames.h"
#include "core/qz_fileio/PalmDb.h"
#include "platform/bytes/ByteWriter.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/WholeFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {
using qz_gen::CPalmDb;

constexpr std::size_t kBlock = 4096;
constexpr std::size_t kRecordSize = kBlock + 8;
constexpr std::size_t kNameSize = 32;
constexpr std::uint16_t kAttrStream = 0x0080;
}  // namespace

std::string FontDatabaseName(const std::string& title) {
    const std::string whole = HandheldNameOf(title, std::string::npos);
    if (whole.size() <= kMaxDatabaseName) return whole;
    return HandheldNameOf(title, kMaxDatabaseName - 4) + ".ttf";
}

std::vector<std::uint8_t> WrapFont(const std::vector<std::uint8_t>& font, const std::string& title) {
    const std::size_t n = font.size() / kBlock + 1;
    // The records follow the list at once, with no gap.
    const std::size_t dataStart = CPalmDb::kHeaderSize + CPalmDb::kRecordEntrySize * n;
    std::vector<std::uint8_t> out;
    out.reserve(dataStart + (n - 1) * kRecordSize + 8 + font.size() % kBlock);
    bytes::ByteWriter w(out);
    const std::string name = FontDatabaseName(title);
    w.writeText(name);
    w.writeZeros(kNameSize - name.size());
    w.writeU16(kAttrStream);
    w.writeU16(0);  // version
    w.writeU32(0xBAADFDCD);  // creation date
    w.writeU32(0xBAADFDCE);  // modification date
    w.writeU32(0);  // last backup date
    w.writeU32(0x36);  // modification number
    w.writeU32(0);  // application info
    w.writeU32(0);  // sort info
    w.writeU32(0x7474666E);  // type ttfn
    w.writeU32(0x54544674);  // creator TTFt
    w.writeU32(0x6D502C20);  // unique ID seed
    w.writeU32(0);  // next record list
    w.writeU16(static_cast<std::uint16_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        w.writeU32(static_cast<std::uint32_t>(dataStart + i * kRecordSize));
        w.writeU8(CPalmDb::kRecAttrDirty);
        // The unique ID's low byte counts the records from 1.
        w.writeU24(0xD54000 | static_cast<std::uint8_t>(i + 1));
    }
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t from = std::min(font.size(), i * kBlock);
        const std::size_t length = std::min(kBlock, font.size() - from);
        w.writeText("DBLK");
        w.writeU16(0);
        w.writeU16(static_cast<std::uint16_t>(length));
        w.writeBytes(std::span(font).subspan(from, length));
    }
    return out;
}

bool MakeFontDatabase(const std::string& path, const std::string& user, InstallQueue& queue) {
    const std::string title = std::filesystem::path(path).filename().string();
    // Whatever keeps the file from being read (missing, a folder, no permission) is the one
    // "does not exists!" box.
    const auto read = std::filesystem::is_regular_file(path) ? win::ReadWholeFile(path) : std::nullopt;
    if (!read) {
        ConduitMessageBox("File \"" + path + "\" does not exists!", "Not Existing");
        return false;
    }
    const std::vector<std::uint8_t>& font = *read;
    if (font.size() / kBlock + 1 > 0xFFFF) {
        ConduitMessageBox("The font file \"" + path + "\" is too large for the handheld.", "Cannot install");
        return false;
    }
    // A folder of its own, so that no file of the user's can be hit.
    std::string folder = (std::filesystem::temp_directory_path() / "pictsync-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        ConduitMessageBox("Cannot create file \"" + title + ".pdb\"", "Cannot create");
        return false;
    }
    const std::string output = folder + "/" + title + ".pdb";
    const auto bytes = WrapFont(font, title);
    bool queued = false;
    if (!win::writeFileAtomically(output, {std::span<const std::uint8_t>(bytes)}, true)) {
        ConduitMessageBox("Cannot create file \"" + title + ".pdb\"", "Cannot create");
    } else {
        queued = queue.add(user, output);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return queued;
}
