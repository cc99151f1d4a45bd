// Tests of the batch behind Add Group without windows: the combinations the settings ask for,
// in conversion order, and the copy of a completed batch into the document's list.
#include "app/AddGroupBatch.h"

#include "app/BatchWorker.h"
#include "app/ConverterSettings.h"
#include "core/FontList.h"
#include "support/ScriptedDocumentUi.h"
#include "support/ScriptedFontEngine.h"

#include <gtest/gtest.h>

namespace {
ConverterSettings settingsWith(const std::vector<int>& sizes, std::array<std::uint32_t, 4> styles, bool hiRes) {
    ConverterSettings settings;
    for (auto& s : settings.sizes)
        s.checked = std::find(sizes.begin(), sizes.end(), static_cast<int>(s.size)) != sizes.end() ? 1 : 0;
    settings.styles = styles;
    settings.createHiRes = hiRes ? 1 : 0;
    return settings;
}

std::vector<FontCatalogEntry> threeFonts() {
    return {{"Alpha", "Western", 0, 0x22}, {"Beta", "Cyrillic", 204, 0x12}, {"Gamma", "Western", 0, 0x32}};
}

std::string describe(const FontEntry& e) { return e.name + "/" + std::to_string(e.size) + "/" + e.style; }
}  // namespace

TEST(AddGroupPlan, ThreeFontsTwoSizesTwoStylesMakeTwelveRecordsInOrder) {
    const ConverterSettings settings = settingsWith({12, 9}, {1, 1, 0, 0}, false);
    const auto plan = PlanFromSettings(settings, threeFonts());
    ASSERT_EQ(plan.size(), 12u);

    ScriptedFontEngine engine;
    engine.face.metrics[9] = scriptedMetrics(9, 7, 'A', 'B');
    engine.face.metrics[12] = scriptedMetrics(12, 9, 'A', 'B');
    ScriptedDocumentUi ui;
    CFontList batch;
    ASSERT_TRUE(batch.New());
    ASSERT_TRUE(ui.Show(ConvertOnThisThread(engine, batch, plan, false)));
    std::vector<std::string> made;
    for (std::size_t i = 0; i < batch.Count(); ++i) made.push_back(describe(*batch.At(i)));
    EXPECT_EQ(made, (std::vector<std::string>{"Alpha/9/", "Alpha/9/B", "Alpha/12/", "Alpha/12/B", "Beta/9/", "Beta/9/B",
                                              "Beta/12/", "Beta/12/B", "Gamma/9/", "Gamma/9/B", "Gamma/12/",
                                              "Gamma/12/B"}));
    // Each font converts with its own character set and pitch and family.
    ASSERT_EQ(engine.created.size(), 12u);
    EXPECT_EQ(engine.created[4].lfCharSet, 204);
    EXPECT_EQ(engine.created[4].lfPitchAndFamily, 0x12);
    EXPECT_EQ(engine.created[5].lfWeight, 700);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(AddGroupPlan, StylesFollowTheFixedOrderAndHighDensityMakesTwoStrikes) {
    const ConverterSettings settings = settingsWith({10}, {0, 0, 1, 1}, true);
    const auto plan = PlanFromSettings(settings, {threeFonts()[0]});
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].style, FontStyle::Italic);
    EXPECT_EQ(plan[1].style, FontStyle::BoldItalic);

    ScriptedFontEngine engine;
    engine.face.metrics[10] = scriptedMetrics(10, 8, 'A', 'A');
    engine.face.metrics[20] = scriptedMetrics(20, 16, 'A', 'A', 16);
    ScriptedDocumentUi ui;
    CFontList batch;
    ASSERT_TRUE(batch.New());
    ASSERT_TRUE(ui.Show(ConvertOnThisThread(engine, batch, plan, true)));
    ASSERT_EQ(batch.Count(), 2u);
    EXPECT_EQ(batch.At(0)->style, "I");
    EXPECT_EQ(batch.At(1)->style, "BI");
    EXPECT_NE(batch.At(0)->highDensity, 0u);
}

TEST(AddGroupPlan, SingleConversionReportsAFailureOnce) {
    const auto plan = PlanFromSettings(settingsWith({9}, {1, 0, 0, 0}, false), {threeFonts()[0]});
    ScriptedFontEngine engine;  // no heights: no font can be made
    ScriptedDocumentUi ui;
    CFontList batch;
    ASSERT_TRUE(batch.New());
    EXPECT_FALSE(ui.Show(ConvertOnThisThread(engine, batch, plan, false)));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Unknown font error");
    EXPECT_EQ(batch.Count(), 0u);
}

TEST(AddGroupCopy, AddsEveryEntryInOrderAndNamesTheFirst) {
    ScriptedFontEngine engine;
    engine.face.metrics[9] = scriptedMetrics(9, 7, 'A', 'B');
    ScriptedDocumentUi ui;
    CFontList batch, document;
    ASSERT_TRUE(batch.New());
    ASSERT_TRUE(document.New());
    ASSERT_TRUE(ui.Show(ConvertOnThisThread(engine, document, PlanFromSettings(settingsWith({9}, {1, 0, 0, 0}, false), {threeFonts()[2]}), false)));
    ASSERT_TRUE(ui.Show(ConvertOnThisThread(engine, batch, PlanFromSettings(settingsWith({9}, {1, 1, 0, 0}, false), {threeFonts()[0]}), false)));

    FontEntry* first = CopyBatchInto(batch, document);
    ASSERT_EQ(document.Count(), 3u);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(describe(*first), "Alpha/9/");
    EXPECT_EQ(describe(*document.At(2)), "Alpha/9/B");
    // The copies are the document's own: the batch can go.
    const FontEntry* batchEntry = batch.At(0);
    EXPECT_NE(first->record, batchEntry->record);
    batch.Clear();
    EXPECT_NE(document.At(2)->record, nullptr);

    CFontList empty;
    ASSERT_TRUE(empty.New());
    EXPECT_EQ(CopyBatchInto(empty, document), nullptr);
    EXPECT_EQ(document.Count(), 3u);
}
