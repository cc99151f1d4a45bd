// AddFontWizard.cpp: the add-font wizard, the batch conversion and Add Group.
#include "AddFontWizard.h"

#include "AppMessageBox.h"
#include "CentreOn.h"
#include "ConverterContext.h"
#include "HiResPage.h"
#include "ProgressDlg.h"
#include "SelFontsPage.h"
#include "SizesPage.h"
#include "StylesPage.h"
#include "WaitCursor.h"
#include "app/AddGroupBatch.h"
#include "app/BatchWorker.h"
#include "app/ConverterSettings.h"
#include "core/FontList.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QShowEvent>

namespace {
constexpr const char* kFirstPageCaption = "Zero";
constexpr const char* kOtherPageCaption = "One";

WizardPage pageOf(int id) {
    switch (id) {
    case AddFontWizard::kStylesPage: return WizardPage::Styles;
    case AddFontWizard::kSizesPage: return WizardPage::Sizes;
    case AddFontWizard::kHiResPage: return WizardPage::HiRes;
    default: return WizardPage::Fonts;
    }
}
}  // namespace

AddFontWizard::AddFontWizard(ConverterSettings& settings, const FontCatalog& catalog, gdi::FontEngine& engine,
                             std::uint32_t codePage, QWidget* parent)
    : QWizard(parent), settings_(settings) {
    setObjectName("addFontWizard");
    setWizardStyle(QWizard::ModernStyle);
    setWindowTitle(QString());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setOption(QWizard::HaveHelpButton, false);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    // Each page is set up once and keeps what the user did on it when going Back.
    setOption(QWizard::IndependentPages, true);
    setButtonLayout({QWizard::Stretch, QWizard::BackButton, QWizard::NextButton, QWizard::CancelButton});

    fonts_ = new FontsPage(settings, catalog, engine, codePage);
    styles_ = new StylesPage(settings);
    sizes_ = new SizesPage(settings);
    hiRes_ = new HiResPage(settings);
    setPage(kFontsPage, fonts_);
    setPage(kStylesPage, styles_);
    setPage(kSizesPage, sizes_);
    setPage(kHiResPage, hiRes_);
    setStartId(kFontsPage);
    resize(480, 400);

    connect(this, &QWizard::currentIdChanged, this, &AddFontWizard::PageActivated);
}

void AddFontWizard::showEvent(QShowEvent* event) {
    QWizard::showEvent(event);
    if (centred_) return;
    centred_ = true;
    CentreOn(this, parentWidget());
}

void AddFontWizard::PageActivated(int id) {
    if (id < 0) return;
    // The page's caption is the wizard's title while the page is up.
    setWindowTitle(id == kFontsPage ? kFirstPageCaption : kOtherPageCaption);
    QAbstractButton* next = button(QWizard::NextButton);
    if (const auto text = nextLabel_.OnActivate(pageOf(id), next->text().toStdString()))
        setButtonText(QWizard::NextButton, QString::fromStdString(*text));
}

bool AddFontWizard::validateCurrentPage() {
    const WizardPage page = pageOf(currentId());
    if (page == WizardPage::Fonts) selected_ = fonts_->SelectedFonts();
    const NextDecision decision =
        DecideNext(page, selected_.size(), styles_->CheckedCount(), sizes_->CheckedCount());
    switch (decision.action) {
    case NextDecision::Action::Stay: AppMessageBox(decision.message, win::MB_OK); return false;
    case NextDecision::Action::Finish:
        QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
        return false;
    case NextDecision::Action::Advance: break;
    }
    return QWizard::validateCurrentPage();
}

WizardPageValues AddFontWizard::PageValues() const {
    WizardPageValues values;
    values.fontsPageInitialised = fonts_->Initialised();
    if (fonts_->Initialised()) values.selectedScript = fonts_->SelectedScript();
    if (styles_->Initialised()) values.styles = styles_->Checked();
    if (sizes_->Initialised()) values.sizes = sizes_->Checked();
    if (hiRes_->Initialised()) values.createHiRes = hiRes_->CreateHiRes()->isChecked();
    return values;
}

void AddFontWizard::done(int result) {
    if (result != QDialog::Accepted) {
        QWizard::done(result);
        return;
    }
    ApplyWizardValues(PageValues(), settings_);
    if (!ShowOutcome(settings_.ValidateForExport())) return;
    QDialog::done(QDialog::Accepted);
}

bool BatchConvert(CFontList& target, const std::vector<FontCatalogEntry>& fonts, ConverterContext& context,
                  QWidget* owner) {
    const ConverterSettings& settings = context.settings;
    if (!ShowOutcome(settings.ValidateForExport())) return false;
    std::vector<Combination> plan = PlanFromSettings(settings, fonts);
    const bool highDensity = settings.createHiRes != 0;
    // Combinations a handheld cannot take are skipped; one message names them all.
    std::vector<std::string> skipped;
    const auto showSkipped = [&] {
        if (!skipped.empty()) AppMessageBox(SkippedText(skipped, target.Count()), win::MB_OK);
    };
    if (plan.size() <= 1) {
        Outcome converted = Outcome::Done();
        {
            WaitCursor wait;
            converted = ConvertOnThisThread(context.engine, target, plan, highDensity, &skipped);
        }
        if (!ShowOutcome(converted)) return false;
        showSkipped();
        return true;
    }
    ProgressDlg progress(context.engine, target, std::move(plan), highDensity, owner, context.batchThreads);
    const bool accepted = progress.exec() == QDialog::Accepted;
    // A cancelled batch says nothing; a failed one shows its messages once its window is gone.
    BatchResult result = progress.Worker().Result();
    if (!accepted) {
        if (!progress.Worker().CancelRequested()) ShowOutcome(result.outcome);
        return false;
    }
    skipped = std::move(result.skipped);
    showSkipped();
    return true;
}
