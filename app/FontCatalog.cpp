// FontCatalog.cpp: the installed TrueType faces the converter offers, one entry per face and
// character set, as the font engine enumerates them.
#include "FontCatalog.h"

#include "platform/gdi/CodePages.h"
#include "platform/win/EqualNoCase.h"

#include <algorithm>
#include <cctype>
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

std::vector<std::string> FontCatalog::FaceNames() const {
    const auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    std::vector<std::pair<std::string, std::string>> keyed;  // (lower-case key, face as enumerated)
    for (const auto& e : entries_) keyed.emplace_back(lower(e.faceName), e.faceName);
    // Stable, so that of faces equal but for case the first enumerated one stays.
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    keyed.erase(std::unique(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                keyed.end());
    std::vector<std::string> names;
    for (auto& [key, face] : keyed) names.push_back(std::move(face));
    return names;
}

std::vector<FontCatalogEntry> FontCatalog::ScriptsOf(const std::string& face) const {
    std::vector<FontCatalogEntry> scripts;
    for (const auto& e : entries_)
        if (win::EqualNoCase(e.faceName, face)) scripts.push_back(e);
    return scripts;
}

std::optional<std::string> DoubleByteScriptNote(std::uint8_t charSet) {
    int codePage = 0;
    switch (charSet) {
    case 128: codePage = 932; break;
    case 129: codePage = 949; break;
    case 130: codePage = 1361; break;
    case 134: codePage = 936; break;
    case 136: codePage = 950; break;
    default: return std::nullopt;
    }
    return "character set " + std::to_string(charSet) + " is a double-byte script: a handheld font holds " +
           "single-byte characters only, so only those of code page " + std::to_string(codePage) +
           " (ASCII and a few more) are made, none of its double-byte characters";
}

std::string CatalogNameToUtf8(const std::string& name) {
    constexpr std::uint32_t kCatalogCodePage = 1252;
    return gdi::CodePageToUtf8(name, kCatalogCodePage);
}
