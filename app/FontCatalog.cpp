// FontCatalog.cpp: the installed TrueType faces the converter offers, one entry per face and
// character set, as the font engine enumerates them.
#include "FontCatalog.h"

#include "platform/win/EqualNoCase.h"

#include <cstring>


void FontCatalog::Enumerate(gdi::FontEngine& engine) {
    entries_.clear();
    for (const auto& font : engine.EnumFontFamiliesEx()) {
        if ((font.fontType & gdi::TRUETYPE_FONTTYPE) == 0) continue;
        if (font.logFont.lfCharSet == gdi::MAC_CHARSET) continue;
        const std::string face(font.logFont.lfFaceName, strnlen(font.logFont.lfFaceName, gdi::LF_FACESIZE));
        if (!face.empty() && face[0] == '@') continue;
        entries_.push_back({face, font.script, font.logFont.lfCharSet, font.logFont.lfPitchAndFamily});
    }
}

std::optional<FontCatalogEntry> FontCatalog::Find(const std::string& face, std::optional<std::uint8_t> charSet) const {
    for (const auto& e : entries_)
        if (win::EqualNoCase(e.faceName, face) && (!charSet || e.charSet == *charSet)) return e;
    return std::nullopt;
}
