// FontWrapper.h: a TrueType file wrapped unchanged for the handheld, as a Palm database of type
// ttfn and creator TTFt whose records are stream blocks ("DBLK", two zero bytes, a 16-bit length,
// up to 4096 bytes of the font), queued for a user's next HotSync.
//
// Header values: attributes 0x0080, dates 0xBAADFDCD and 0xBAADFDCE, modificationNumber 0x36,
// uniqueIDSeed 0x6D502C20; record i at 78 + 8n + 4104 i (no gap after the list), attribute 0x40,
// unique ID D5 40 (i + 1).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class InstallQueue;

// The database bytes for a font of these bytes, named FontDatabaseName(title).
std::vector<std::uint8_t> WrapFont(const std::vector<std::uint8_t>& font, const std::string& title);

// The name the database gets for a font file's title (UTF-8): the title in the handheld's code
// page (see HandheldNameOf), or, when that is longer than 31 bytes, its first 27 bytes cut on a
// character boundary and ".ttf".
std::string FontDatabaseName(const std::string& title);

// Wraps the file at path and hands the result, named title + ".pdb" in a private temporary folder,
// to queue for user. Problems are shown with ConduitMessageBox and nothing is queued.
bool MakeFontDatabase(const std::string& path, const std::string& user, InstallQueue& queue);
