// Tests of the add-font wizard's first page without its window: the script list, the script
// selected for the stored setting, the display names and their order.
#include "app/FontFilterList.h"

#include "app/FontCatalog.h"
#include "resources/converter/ConverterStrings.h"

#include <gtest/gtest.h>

namespace {
constexpr std::uint8_t kWestern = 0, kEastEurope = 238, kCyrillic = 204, kGreek = 161, kSymbol = 2, kShiftJis = 128;

// A catalog as the enumeration gives it: each family once per character set it supports.
std::vector<FontCatalogEntry> sampleCatalog() {
    return {
        {"Verdana", "Western", kWestern, 0},     {"Verdana", "Cyrillic", kCyrillic, 0},
        {"arial", "Western", kWestern, 0},       {"Arial", "Central European", kEastEurope, 0},
        {"Arial", "Cyrillic", kCyrillic, 0},     {"Wingbats", "", kSymbol, 0},
        {"Bodoni", "Greek", kGreek, 0},          {"Courier", "Western", kWestern, 0},
    };
}

std::vector<std::string> names(const FontFilterList& list) {
    std::vector<std::string> out;
    for (const auto& e : list.Entries()) out.push_back(e.displayName);
    return out;
}

FontFilterList::Measure fixedSize(int width, int height) {
    return [=](const FontFilterList::Entry&) { return PreviewSize{width, height, 16}; };
}
}  // namespace

TEST(ScriptList, TakesEachCharacterSetOnceInOrderOfFirstAppearance) {
    const auto scripts = BuildScriptList(sampleCatalog());
    ASSERT_EQ(scripts.size(), 5u);
    const std::uint8_t order[] = {kWestern, kCyrillic, kEastEurope, kSymbol, kGreek};
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(scripts[i].charSet, order[i]) << i;
    EXPECT_EQ(scripts[0].name, "Western");
    EXPECT_EQ(scripts[3].name, "");  // the symbol set has no script name
}

TEST(ScriptList, DropDownStartsWithAllAndSkipsNamelessScripts) {
    converter::RegisterConverterStrings();
    const auto items = ScriptDropDownItems(BuildScriptList(sampleCatalog()));
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].text, "All");
    EXPECT_EQ(items[0].data, 1u);
    EXPECT_EQ(items[1].text, "Western");
    EXPECT_EQ(items[2].text, "Cyrillic");
    EXPECT_EQ(items[2].data, kCyrillic);
    EXPECT_EQ(items[4].text, "Greek");
}

TEST(ScriptList, StoredScriptSelectsByNamePrefix) {
    const auto scripts = BuildScriptList(sampleCatalog());
    const auto items = ScriptDropDownItems(scripts);
    struct Case {
        std::uint32_t stored;
        std::size_t expected;
    } cases[] = {
        {kWestern, 1}, {kCyrillic, 2}, {kGreek, 4},
        {1, 0},         // "All"
        {kShiftJis, 0}, // no face has that script
        {kSymbol, 0},   // a script without a name matches the first item
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(SelectScriptItem(items, scripts, c.stored), c.expected);
    }
    // The prefix rule takes the first item that begins with the name, without regard to case.
    const std::vector<ScriptChoice> prefixed{{"Arabic", 178}, {"arabic (Traditional)", 179}};
    const std::vector<ScriptItem> prefixedItems{{"All", 1}, {"ARABIC (Traditional)", 179}, {"Arabic", 178}};
    EXPECT_EQ(SelectScriptItem(prefixedItems, prefixed, 178), 1u);
}

TEST(FontFilter, AllListsEveryFaceWithItsScriptSortedWithoutRegardToCase) {
    const auto catalog = sampleCatalog();
    FontFilterList list;
    list.Fill(catalog, 1, 1252, fixedSize(10, 12));
    EXPECT_EQ(names(list), (std::vector<std::string>{"Arial (Central European)", "Arial (Cyrillic)", "arial (Western)",
                                                     "Bodoni (Greek)", "Courier (Western)", "Verdana (Cyrillic)",
                                                     "Verdana (Western)", "Wingbats"}));
    // A face that supports two scripts converts with each one's character set.
    EXPECT_EQ(list.Entries()[0].font->charSet, kEastEurope);
    EXPECT_EQ(list.Entries()[1].font->charSet, kCyrillic);
}

TEST(FontFilter, OneScriptListsBareFaceNames) {
    const auto catalog = sampleCatalog();
    FontFilterList list;
    list.Fill(catalog, kCyrillic, 1252, fixedSize(10, 12));
    EXPECT_EQ(names(list), (std::vector<std::string>{"Arial", "Verdana"}));
    for (const auto& e : list.Entries()) EXPECT_EQ(e.font->charSet, kCyrillic);
    list.Fill(catalog, kShiftJis, 1252, fixedSize(10, 12));
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_EQ(list.Tallest(), -1);
    EXPECT_EQ(list.Widest(), -1);
}

TEST(FontFilter, DoubleByteNamesSortByTheirCharacters) {
    // In code page 932 the two bytes of a character compare as one unit: the trail bytes 0x41
    // and 0x61 are "A" and "a" in ASCII, but these are two different characters, not one
    // character in two cases (sorting them as equal would keep the catalog's order).
    const std::vector<FontCatalogEntry> catalog{
        {"\x82\x61 Gothic", "Japanese", kShiftJis, 0},
        {"\x82\x41 Gothic", "Japanese", kShiftJis, 0},
        {"b", "Japanese", kShiftJis, 0},
        {"A", "Japanese", kShiftJis, 0},
    };
    FontFilterList list;
    list.Fill(catalog, kShiftJis, 932, fixedSize(1, 1));
    EXPECT_EQ(names(list), (std::vector<std::string>{"A", "b", "\x82\x41 Gothic", "\x82\x61 Gothic"}));
}

TEST(FontFilter, FacesWithoutAFontAreLeftOutAndSizesComeFromTheRest) {
    const auto catalog = sampleCatalog();
    FontFilterList list;
    list.Fill(catalog, 1, 1252, [](const FontFilterList::Entry& e) -> std::optional<PreviewSize> {
        if (e.font->faceName == "Arial" || e.font->faceName == "arial") return std::nullopt;
        return PreviewSize{static_cast<int>(e.displayName.size()) * 7, e.font->faceName == "Bodoni" ? 27 : 19, 16};
    });
    EXPECT_EQ(names(list), (std::vector<std::string>{"Bodoni (Greek)", "Courier (Western)", "Verdana (Cyrillic)",
                                                     "Verdana (Western)", "Wingbats"}));
    EXPECT_EQ(list.Tallest(), 27);
    EXPECT_EQ(list.Widest(), 18 * 7);  // "Verdana (Cyrillic)"
    EXPECT_EQ(list.Entries()[0].preview.height, 27);
}

// A double-byte script gets a note; single-byte ones, symbol and OEM do not.
TEST(DoubleByteScriptNote, NamesTheCodePageOfEachDoubleByteScriptOnly) {
    const struct {
        std::uint8_t charSet;
        const char* codePage;  // null: no note
    } cases[] = {{128, "932"}, {129, "949"}, {130, "1361"}, {134, "936"}, {136, "950"},
                 {0, nullptr},  {2, nullptr},   {204, nullptr},  {222, nullptr}, {255, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.charSet));
        const auto note = DoubleByteScriptNote(c.charSet);
        ASSERT_EQ(note.has_value(), c.codePage != nullptr);
        if (note) {
            EXPECT_NE(note->find(std::string("code page ") + c.codePage + " "), std::string::npos) << *note;
        }
    }
}
