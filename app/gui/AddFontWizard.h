// AddFontWizard.h: the add-font wizard (fonts, styles, sizes, double density) and the flow
// behind the list view's Add Group: the wizard, the settings stored, the batch converted (behind
// the progress dialog when it has more than one font) and added to the document.
#pragma once

#include "app/FontCatalog.h"
#include "app/WizardChoices.h"

#include <QWizard>

#include <vector>

class CFontList;
class ConverterSettings;
class FontsPage;
class HiResPage;
class SizesPage;
class StylesPage;
struct ConverterContext;

class AddFontWizard final : public QWizard {
    Q_OBJECT
public:
    enum PageId { kFontsPage = 0, kStylesPage = 1, kSizesPage = 2, kHiResPage = 3 };

    AddFontWizard(ConverterSettings& settings, const FontCatalog& catalog, gdi::FontEngine& engine,
                  std::uint32_t codePage, QWidget* parent = nullptr);

    // The fonts chosen on the first page, in list order, as of its last Next.
    const std::vector<FontCatalogEntry>& SelectedFonts() const { return selected_; }
    const NextButtonLabel& NextLabel() const { return nextLabel_; }

    FontsPage* Fonts() const { return fonts_; }
    StylesPage* Styles() const { return styles_; }
    SizesPage* Sizes() const { return sizes_; }
    HiResPage* HiRes() const { return hiRes_; }
    // The values of the pages as Finish takes them.
    WizardPageValues PageValues() const;

public slots:
    // Finish: the initialised pages' values go into the settings; the wizard stays open when
    // they do not validate.
    void done(int result) override;

protected:
    bool validateCurrentPage() override;
    void showEvent(QShowEvent* event) override;

private:
    void PageActivated(int id);

    ConverterSettings& settings_;
    FontsPage* fonts_ = nullptr;
    StylesPage* styles_ = nullptr;
    SizesPage* sizes_ = nullptr;
    HiResPage* hiRes_ = nullptr;
    std::vector<FontCatalogEntry> selected_;
    NextButtonLabel nextLabel_;
    bool centred_ = false;
};

// Converts every combination of fonts and the settings' sizes and styles into target (a new,
// empty list): more than one behind the progress dialog (owned by owner) on a worker thread,
// a single one at once on this thread. True when all were converted; a failure has been shown.
bool BatchConvert(CFontList& target, const std::vector<FontCatalogEntry>& fonts, ConverterContext& context,
                  QWidget* owner);

