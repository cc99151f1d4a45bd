// WizardChoices.h: the add-font wizard's rules apart from its windows: what Next does on each
// page, the Next button's label on the way to the last page and back, and what Finish writes
// into the settings.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ConverterSettings;

enum class WizardPage { Fonts, Styles, Sizes, HiRes };

struct NextDecision {
    enum class Action { Stay, Advance, Finish };
    Action action = Action::Advance;
    std::uint32_t message = 0;  // the string to show when staying
};

// Next: the fonts page stays with message 155 without a selected font, the styles page with 157
// without a checked style, the sizes page with 158 without a checked size; Next on the last
// page finishes the wizard.
NextDecision DecideNext(WizardPage page, std::size_t selectedFonts, int checkedStyles, int checkedSizes);

// The Next button's text: the last page saves the text the button had (once, at most 99
// characters) and shows "Add Fonts"; the sizes page brings the saved text back.
class NextButtonLabel {
public:
    static constexpr std::size_t kBufferChars = 100;

    // The text to give the button when page becomes the current page; none leaves it as it is.
    std::optional<std::string> OnActivate(WizardPage page, const std::string& currentText);
    const std::string& Saved() const { return saved_; }

private:
    std::string saved_;
};

// What the pages hold when Finish is pressed; a page that was never shown holds none.
struct WizardPageValues {
    bool fontsPageInitialised = false;
    std::optional<std::uint32_t> selectedScript;  // item data of the selected script
    std::optional<std::array<bool, 4>> styles;    // Regular, Bold, Italic, Bold Italic
    std::optional<std::vector<bool>> sizes;       // check marks in list order
    std::optional<bool> createHiRes;
};

// Copies the values of the initialised pages into settings (the script is 1 when none is
// selected); the other settings stay.
void ApplyWizardValues(const WizardPageValues& values, ConverterSettings& settings);
