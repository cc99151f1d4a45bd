// FontCatalog.h: the installed TrueType faces the converter offers, one entry per face and
// character set, as the font engine enumerates them.
#pragma once

#include "platform/gdi/FontEngine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FontCatalogEntry {
    std::string faceName;    // at most 31 characters
    std::string scriptName;  // may be empty
    std::uint8_t charSet = 0;
    std::uint8_t pitchAndFamily = 0;
};

class FontCatalog {
public:
    // Enumerates every family with DEFAULT_CHARSET, keeping TrueType faces only, dropping
    // MAC_CHARSET (77) entries and the vertical "@" faces.
    void Enumerate(gdi::FontEngine& engine);
    void Clear() { entries_.clear(); }

    const std::vector<FontCatalogEntry>& Entries() const { return entries_; }
    // The entry of face (without regard to case) in charSet, or its first entry when charSet is
    // none; none when the face is not installed.
    std::optional<FontCatalogEntry> Find(const std::string& face, std::optional<std::uint8_t> charSet) const;

    // Every face once (faces that differ in case only are one), sorted without regard to case:
    // a "Light" or "Condensed" face the system enumerates under a name of its own is a face here.
    std::vector<std::string> FaceNames() const;
    // The entries of face, one per character set, in enumeration order.
    std::vector<FontCatalogEntry> ScriptsOf(const std::string& face) const;

private:
    std::vector<FontCatalogEntry> entries_;
};

// For a double-byte character set (128 Japanese, 129 Hangul, 130 Johab, 134 GB2312, 136 Big5):
// the note that a handheld font holds single-byte characters only, so that only those of the
// script's code page are made; none for any other character set.
std::optional<std::string> DoubleByteScriptNote(std::uint8_t charSet);

// A face or display name as the catalogue keeps it (in the Windows code page the faces were
// enumerated in), as UTF-8 for showing.
std::string CatalogNameToUtf8(const std::string& name);
