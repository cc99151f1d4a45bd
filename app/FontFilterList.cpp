// FontFilterList.cpp: what the add-font wizard's first page offers: the scripts of the installed
// faces in order of first appearance, the script drop-down with the stored script selected, and the
// faces of one script (or of every script) under their display names, sorted and measured.
#include "FontFilterList.h"

#include "ConverterSettings.h"
#include "core/MultibyteCompare.h"
#include "platform/win/EqualNoCase.h"
#include "resources/converter/ConverterStrings.h"

#include <algorithm>
#include <array>
#include <string_view>

std::vector<ScriptChoice> BuildScriptList(const std::vector<FontCatalogEntry>& catalog) {
    std::array<bool, 256> seen{};
    std::vector<ScriptChoice> scripts;
    for (const auto& entry : catalog) {
        if (seen[entry.charSet]) continue;
        seen[entry.charSet] = true;
        scripts.push_back({entry.scriptName, entry.charSet});
    }
    return scripts;
}

std::vector<ScriptItem> ScriptDropDownItems(const std::vector<ScriptChoice>& scripts) {
    std::vector<ScriptItem> items{{converter::LoadConverterString(converter::kStrAll), ConverterSettings::kAllScripts}};
    for (const auto& script : scripts)
        if (!script.name.empty()) items.push_back({script.name, script.charSet});
    return items;
}

namespace {
bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return prefix.size() <= text.size() && win::EqualNoCase(text.substr(0, prefix.size()), prefix);
}
}  // namespace

std::size_t SelectScriptItem(const std::vector<ScriptItem>& items, const std::vector<ScriptChoice>& scripts,
                             std::uint32_t storedScript) {
    const auto script = std::find_if(scripts.begin(), scripts.end(),
                                     [&](const ScriptChoice& s) { return s.charSet == storedScript; });
    if (script == scripts.end()) return 0;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (startsWithNoCase(items[i].text, script->name)) return i;
    return 0;
}

std::string DisplayName(const FontCatalogEntry& font, bool allScripts) {
    if (!allScripts || font.scriptName.empty()) return font.faceName;
    return font.faceName + " (" + font.scriptName + ")";
}

void FontFilterList::Fill(const std::vector<FontCatalogEntry>& catalog, std::uint32_t code, std::uint32_t codePage,
                          const Measure& measure) {
    Clear();
    const bool all = code == ConverterSettings::kAllScripts;
    for (const auto& font : catalog)
        if (all || font.charSet == code) entries_.push_back({DisplayName(font, all), &font, {}});
    std::stable_sort(entries_.begin(), entries_.end(), [codePage](const Entry& a, const Entry& b) {
        return compareNoCase(a.displayName, b.displayName, codePage) < 0;
    });
    std::vector<Entry> kept;
    kept.reserve(entries_.size());
    for (auto& entry : entries_) {
        const std::optional<PreviewSize> size = measure ? measure(entry) : PreviewSize{};
        if (!size) continue;
        entry.preview = *size;
        kept.push_back(std::move(entry));
    }
    entries_ = std::move(kept);
}

namespace {
int largest(const std::vector<FontFilterList::Entry>& entries, int PreviewSize::*side) {
    int most = -1;
    for (const auto& entry : entries) most = std::max(most, entry.preview.*side);
    return most;
}
}  // namespace

int FontFilterList::Tallest() const { return largest(entries_, &PreviewSize::height); }
int FontFilterList::Widest() const { return largest(entries_, &PreviewSize::width); }
