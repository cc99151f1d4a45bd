// FontFilterList.h: what the add-font wizard's first page offers: the scripts of the installed
// faces in order of first appearance, the script drop-down with the stored script selected, and
// the faces of one script (or of every script) under their display names, sorted and measured.
#pragma once

#include "FontCatalog.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ScriptChoice {
    std::string name;  // may be empty
    std::uint8_t charSet = 0;
};

// The first catalog entry of every character set not seen before, in catalog order.
std::vector<ScriptChoice> BuildScriptList(const std::vector<FontCatalogEntry>& catalog);

struct ScriptItem {
    std::string text;
    std::uint32_t data = 0;  // the character set; 1 for "All"
};

// "All" (data 1), then every script with a name, its character set as data.
std::vector<ScriptItem> ScriptDropDownItems(const std::vector<ScriptChoice>& scripts);

// The item to select for the stored script setting: the first item whose text begins, without
// regard to case, with the name of the script of that character set; "All" (0) when no script
// has that character set (always so for 1).
std::size_t SelectScriptItem(const std::vector<ScriptItem>& items, const std::vector<ScriptChoice>& scripts,
                             std::uint32_t storedScript);

// A face's name in the list: under "All" the script follows in parentheses when it has a name.
std::string DisplayName(const FontCatalogEntry& font, bool allScripts);

// How large a preview of a display name is drawn, and the pixel size of the font it was drawn in.
struct PreviewSize {
    int width = 0;
    int height = 0;
    int fontPixels = 0;
};

class FontFilterList {
public:
    struct Entry {
        std::string displayName;
        const FontCatalogEntry* font = nullptr;  // into the catalog, which outlives the list
        PreviewSize preview;
    };
    // Measures the preview of an entry; none when its font cannot be made.
    using Measure = std::function<std::optional<PreviewSize>(const Entry&)>;

    // The faces of character set code (1: every face, display names with their scripts), sorted
    // by display name without regard to case, double-byte characters of codePage compared as
    // units (equal names keep catalog order). Entries whose font cannot be made are left out.
    void Fill(const std::vector<FontCatalogEntry>& catalog, std::uint32_t code, std::uint32_t codePage,
              const Measure& measure);
    // The entries point into the catalog, so it cannot be a temporary.
    void Fill(std::vector<FontCatalogEntry>&& catalog, std::uint32_t, std::uint32_t, const Measure&) = delete;
    void Clear() { entries_.clear(); }

    const std::vector<Entry>& Entries() const { return entries_; }
    // The tallest and the widest preview of the last fill; -1 when it found nothing.
    int Tallest() const;
    int Widest() const;

private:
    std::vector<Entry> entries_;
};
