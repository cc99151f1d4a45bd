// Tests of the converter's stored settings, their validation and the window placement text.
#include "app/ConverterSettings.h"

#include "app/RegistryStore.h"
#include "app/WindowPlacement.h"
#include "platform/bytes/ByteWriter.h"
#include "support/FakeRegistryStore.h"
#include "support/ScriptedDocumentUi.h"

#include <gtest/gtest.h>

TEST(ConverterSettings, FreshProfileGivesTheDefaults) {
    FakeRegistryStore store;
    ConverterSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.CheckedSizes(), (std::vector<int>{9, 12, 14}));
    EXPECT_EQ(settings.sizes.front().size, 6u);
    EXPECT_EQ(settings.sizes.back().size, 26u);
    EXPECT_EQ(settings.CheckedStyleCount(), 4);
    EXPECT_EQ(settings.script, 0u);
    EXPECT_EQ(settings.createHiRes, 1u);
}

TEST(ConverterSettings, SaveAndLoadRoundTrip) {
    FakeRegistryStore store;
    ConverterSettings saved;
    saved.script = 204;
    saved.createHiRes = 0;
    saved.styles = {0, 1, 0, 1};
    for (auto& s : saved.sizes) s.checked = s.size % 2;
    saved.Save(store);
    ConverterSettings loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.script, 204u);
    EXPECT_EQ(loaded.createHiRes, 0u);
    EXPECT_EQ(loaded.styles, saved.styles);
    EXPECT_EQ(loaded.CheckedSizes(), saved.CheckedSizes());
}

TEST(ConverterSettings, ValuesOfAnotherLengthAreIgnoredWhole) {
    for (const std::uint32_t length : {200u, 100u}) {
        SCOPED_TRACE(length);
        FakeRegistryStore store;
        ASSERT_TRUE(store.OpenSection("Preferences"));
        const std::vector<std::uint8_t> junk(length, 1);
        store.SetBinary("L-R Sizes", junk.data(), length);
        store.SetBinary("Styles", junk.data(), 8);
        store.CloseSection();
        ConverterSettings settings;
        settings.Load(store);
        EXPECT_EQ(settings.CheckedSizes(), (std::vector<int>{9, 12, 14}));
        EXPECT_EQ(settings.styles, (std::array<std::uint32_t, 4>{1, 1, 1, 1}));
    }
}

TEST(ConverterSettings, StoredSizesOutsideTheListAreIgnored) {
    FakeRegistryStore store;
    ASSERT_TRUE(store.OpenSection("Preferences"));
    // Pairs of size and checked; the rest of the 21 are (0, 0).
    const std::uint32_t pairs[][2] = {{3000, 1}, {0, 1}, {0xFFFFFFFF, 1}, {10, 1}, {9, 0}, {26, 7}, {12, 0}};
    std::vector<std::uint8_t> value;
    bytes::ByteWriter w(value, std::endian::little);
    for (const auto& pair : pairs) {
        w.writeU32(pair[0]);
        w.writeU32(pair[1]);
    }
    w.writeZeros(168 - value.size());
    store.SetBinary("L-R Sizes", value.data(), 168);
    store.CloseSection();
    ConverterSettings settings;
    settings.Load(store);
    for (std::size_t i = 0; i < settings.sizes.size(); ++i) EXPECT_EQ(settings.sizes[i].size, 6 + i);
    // 10 and 26 checked, 9 and 12 unchecked as stored; 14 keeps its default.
    EXPECT_EQ(settings.CheckedSizes(), (std::vector<int>{10, 14, 26}));
    EXPECT_EQ(settings.sizes[20].checked, 1u);
}

TEST(ConverterSettings, StyleMessageComesBeforeSizeMessage) {
    ConverterSettings settings;
    settings.styles = {0, 0, 0, 0};
    for (auto& s : settings.sizes) s.checked = 0;
    ScriptedDocumentUi ui;
    EXPECT_FALSE(ui.Show(settings.ValidateForExport()));
    settings.styles[2] = 1;
    EXPECT_FALSE(ui.Show(settings.ValidateForExport()));
    settings.sizes[0].checked = 1;
    EXPECT_TRUE(ui.Show(settings.ValidateForExport()));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text.substr(0, 38), "There are no default font styles to be");
    EXPECT_EQ(ui.messages[1].text.substr(0, 37), "There are no default font sizes to be");
}

TEST(WindowPlacement, OnlyTenNumbersOnTheScreenAreApplied) {
    const WindowPlacement p{1, 0, -1, -1, -8, -8, 100, 900, 50, 700};
    EXPECT_EQ(FormatPlacement(p), "1,0,-1,-1,-8,-8,100,900,50,700");
    const auto back = ParsePlacement(FormatPlacement(p));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->right, 900);
    EXPECT_EQ(back->top, 50);
    EXPECT_TRUE(PlacementFitsScreen(*back, 1024, 768));
    EXPECT_FALSE(ParsePlacement("1,0,-1,-1,-8,-8,100,900,50"));
    EXPECT_FALSE(ParsePlacement("garbage"));
    const WindowPlacement offRight{1, 0, 0, 0, 0, 0, 1100, 1500, 50, 700};
    EXPECT_FALSE(PlacementFitsScreen(offRight, 1024, 768));
}
