// WizardScreenshots.cpp: saves pictures of the add-font wizard's four pages and of the progress
// dialog, drawn with the installed fonts, into a folder:
//   wizard_screenshots OUTPUT_FOLDER
// (on the offscreen platform unless QT_QPA_PLATFORM says otherwise).
#include "app/ConverterSettings.h"
#include "app/FontCatalog.h"
#include "app/gui/AddFontWizard.h"
#include "app/gui/ProgressDlg.h"
#include "app/gui/SelFontsPage.h"
#include "core/FontList.h"
#include "platform/gdi/FreeTypeFontEngine.h"
#include "resources/converter/ConverterStrings.h"
#include "support/ScriptedDocumentUi.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QProgressBar>

#include <cstdio>

namespace {
bool save(QWidget& window, const QDir& folder, const char* name) {
    const QString path = folder.filePath(name);
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "wizard_screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wizard_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    converter::RegisterConverterStrings();
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "wizard_screenshots: cannot make %s\n", argv[1]);
        return 1;
    }

    gdi::FreeTypeFontEngine engine;
    FontCatalog catalog;
    catalog.Enumerate(engine);
    ConverterSettings settings;
    settings.script = 1;  // every script

    AddFontWizard wizard(settings, catalog, engine, 1252);
    wizard.show();
    QApplication::processEvents();
    QListWidget* fonts = wizard.Fonts()->Fonts();
    for (int row = 0; row < fonts->count() && row < 3; row += 2) fonts->item(row)->setSelected(true);
    bool ok = save(wizard, folder, "addfont-1-fonts.png");
    const char* later[] = {"addfont-2-styles.png", "addfont-3-sizes.png", "addfont-4-hires.png"};
    for (const char* name : later) {
        wizard.button(QWizard::NextButton)->click();
        QApplication::processEvents();
        ok = save(wizard, folder, name) && ok;
    }
    wizard.hide();

    // The progress dialog a third of the way through 12 fonts; its worker is never started.
    CFontList batch;
    std::vector<Combination> plan(12);
    ProgressDlg progress(engine, batch, plan, false, nullptr);
    progress.adjustSize();
    progress.Bar()->setValue(4);
    ok = save(progress, folder, "addfont-progress.png") && ok;
    return ok ? 0 : 1;
}
