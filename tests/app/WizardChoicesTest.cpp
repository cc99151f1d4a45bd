// Tests of the add-font wizard's rules without its window: Next on each page, the Next button's
// label, and what Finish writes into the settings.
#include "app/WizardChoices.h"

#include "app/ConverterSettings.h"
#include "resources/converter/ConverterStrings.h"

#include <gtest/gtest.h>

TEST(WizardNext, StaysWithTheMessageOfWhatIsMissing) {
    using Action = NextDecision::Action;
    struct Case {
        WizardPage page;
        std::size_t fonts;
        int styles, sizes;
        Action action;
        std::uint32_t message;
    } cases[] = {
        {WizardPage::Fonts, 0, 4, 3, Action::Stay, converter::kStrSelectFontsToExport},
        {WizardPage::Fonts, 2, 0, 0, Action::Advance, 0},  // later pages are not its business
        {WizardPage::Styles, 2, 0, 3, Action::Stay, converter::kStrNoDefaultStyles},
        {WizardPage::Styles, 2, 1, 0, Action::Advance, 0},
        {WizardPage::Sizes, 2, 1, 0, Action::Stay, converter::kStrNoDefaultSizes},
        {WizardPage::Sizes, 2, 1, 1, Action::Advance, 0},
        {WizardPage::HiRes, 2, 1, 1, Action::Finish, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.page));
        const NextDecision d = DecideNext(c.page, c.fonts, c.styles, c.sizes);
        EXPECT_EQ(d.action, c.action);
        EXPECT_EQ(d.message, c.message);
    }
}

TEST(WizardNext, LastPageRelabelsNextAndSizesPageRestoresIt) {
    converter::RegisterConverterStrings();
    NextButtonLabel label;
    EXPECT_FALSE(label.OnActivate(WizardPage::Fonts, "&Next >"));
    EXPECT_FALSE(label.OnActivate(WizardPage::Sizes, "&Next >"));  // nothing saved yet
    EXPECT_EQ(label.OnActivate(WizardPage::HiRes, "&Next >"), "Add Fonts");
    EXPECT_EQ(label.OnActivate(WizardPage::Sizes, "Add Fonts"), "&Next >");
    // Coming to the last page again keeps the first saved text, not "Add Fonts".
    EXPECT_EQ(label.OnActivate(WizardPage::HiRes, "Add Fonts"), "Add Fonts");
    EXPECT_EQ(label.Saved(), "&Next >");
    EXPECT_FALSE(label.OnActivate(WizardPage::Styles, "&Next >"));

    NextButtonLabel longText;
    longText.OnActivate(WizardPage::HiRes, std::string(150, 'x'));
    EXPECT_EQ(longText.Saved().size(), 99u);
}

TEST(WizardFinish, WritesBackOnlyPagesThatWereInitialised) {
    ConverterSettings settings;
    settings.script = 204;
    settings.createHiRes = 1;
    const auto defaults = settings.sizes;

    // Finish from the styles page: the fonts and styles pages were shown, the others not.
    WizardPageValues values;
    values.fontsPageInitialised = true;
    values.selectedScript = 238;
    values.styles = std::array<bool, 4>{false, true, false, true};
    ApplyWizardValues(values, settings);
    EXPECT_EQ(settings.script, 238u);
    EXPECT_EQ(settings.styles, (std::array<std::uint32_t, 4>{0, 1, 0, 1}));
    EXPECT_EQ(settings.createHiRes, 1u);
    for (std::size_t i = 0; i < defaults.size(); ++i) EXPECT_EQ(settings.sizes[i].checked, defaults[i].checked);

    // The sizes and high-density pages.
    WizardPageValues later;
    later.sizes = std::vector<bool>(21, false);
    (*later.sizes)[0] = true;
    (*later.sizes)[20] = true;
    later.createHiRes = false;
    ApplyWizardValues(later, settings);
    EXPECT_EQ(settings.CheckedSizes(), (std::vector<int>{6, 26}));
    EXPECT_EQ(settings.createHiRes, 0u);
    EXPECT_EQ(settings.script, 238u);  // the fonts page was not initialised this time
}

TEST(WizardFinish, ScriptIsAllWhenNoneIsSelected) {
    ConverterSettings settings;
    settings.script = 204;
    WizardPageValues values;
    values.fontsPageInitialised = true;
    ApplyWizardValues(values, settings);
    EXPECT_EQ(settings.script, ConverterSettings::kAllScripts);
}
