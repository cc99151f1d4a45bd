// WizardChoices.cpp: the add-font wizard's rules apart from its windows: what Next does on each
// page, the Next button's label on the way to the last page and back, and what Finish writes into
// the settings.
#include "WizardChoices.h"

#include "ConverterSettings.h"
#include "resources/converter/ConverterStrings.h"

NextDecision DecideNext(WizardPage page, std::size_t selectedFonts, int checkedStyles, int checkedSizes) {
    using Action = NextDecision::Action;
    switch (page) {
    case WizardPage::Fonts:
        if (selectedFonts == 0) return {Action::Stay, converter::kStrSelectFontsToExport};
        break;
    case WizardPage::Styles:
        if (checkedStyles == 0) return {Action::Stay, converter::kStrNoDefaultStyles};
        break;
    case WizardPage::Sizes:
        if (checkedSizes == 0) return {Action::Stay, converter::kStrNoDefaultSizes};
        break;
    case WizardPage::HiRes: return {Action::Finish, 0};
    }
    return {Action::Advance, 0};
}

std::optional<std::string> NextButtonLabel::OnActivate(WizardPage page, const std::string& currentText) {
    switch (page) {
    case WizardPage::Sizes:
        if (saved_.empty()) return std::nullopt;
        return saved_;
    case WizardPage::HiRes:
        if (saved_.empty()) saved_ = currentText.substr(0, kBufferChars - 1);
        return converter::LoadConverterString(converter::kStrAddFonts);
    default: return std::nullopt;
    }
}

void ApplyWizardValues(const WizardPageValues& values, ConverterSettings& settings) {
    if (values.fontsPageInitialised) settings.script = values.selectedScript.value_or(ConverterSettings::kAllScripts);
    if (values.styles)
        for (std::size_t i = 0; i < settings.styles.size(); ++i) settings.styles[i] = (*values.styles)[i] ? 1 : 0;
    if (values.sizes)
        for (std::size_t i = 0; i < settings.sizes.size() && i < values.sizes->size(); ++i)
            settings.sizes[i].checked = (*values.sizes)[i] ? 1 : 0;
    if (values.createHiRes) settings.createHiRes = *values.createHiRes ? 1 : 0;
}
