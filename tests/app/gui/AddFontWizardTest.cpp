// Tests of the add-font wizard, the progress dialog and Add Group in their windows, on the
// offscreen platform, with a scripted font engine.
#include "app/gui/AddFontWizard.h"

#include "../GatedFontEngine.h"
#include "app/ConverterSettings.h"
#include "app/FontCatalog.h"
#include "app/PalmUser.h"
#include "app/RegistryStore.h"
#include "app/gui/AppMessageBox.h"
#include "app/gui/ConverterContext.h"
#include "app/gui/HiResPage.h"
#include "app/gui/MainFrm.h"
#include "app/gui/ProgressDlg.h"
#include "app/gui/SDI_THView.h"
#include "app/gui/SelFontsPage.h"
#include "app/gui/SizesPage.h"
#include "app/gui/StylesPage.h"
#include "core/FontDoc.h"
#include "resources/converter/ConverterStrings.h"
#include "support/DesktopSandbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <thread>

namespace {
gdi::EnumeratedFont listed(const char* face, std::uint8_t charSet, const char* script) {
    gdi::EnumeratedFont font;
    font.logFont = gdi::makeLogFont(face, 0, gdi::FW_NORMAL, false, charSet, 0x22);
    font.script = script;
    font.fontType = gdi::TRUETYPE_FONTTYPE;
    return font;
}

// A desktop of its own with the settings, a scripted font engine and its catalog.
struct Desk {
    Desk() {
        auto& face = engine.inner.face;
        face.metrics[20] = scriptedMetrics(20, 16, 32, 126, 12);  // the list's previews
        face.metrics[9] = scriptedMetrics(9, 7, 'A', 'C');
        face.metrics[12] = scriptedMetrics(12, 9, 'A', 'C');
        engine.inner.families = {
            listed("DejaVu Sans", 0, "Western"),   listed("DejaVu Sans", 204, "Cyrillic"),
            listed("DejaVu Serif", 0, "Western"),  listed("Missing Face", 0, "Western"),
            listed("DejaVu Serif", 161, "Greek"),  listed("DejaVu Sans Mono", 0, "Western"),
        };
        engine.unopenable = {"Missing Face"};
        catalog.Enumerate(engine);
        // Low density at 9 and 12 points, Regular only, unless a test says otherwise.
        for (auto& s : settings.sizes) s.checked = s.size == 9 || s.size == 12;
        settings.styles = {1, 0, 0, 0};
        settings.createHiRes = 0;
    }
    // Installs one more face and chooses script for the next wizard.
    void install(const char* face, std::uint8_t charSet, const char* scriptName, int script) {
        engine.inner.families.push_back(listed(face, charSet, scriptName));
        catalog.Enumerate(engine);
        settings.script = script;
    }

    DesktopSandbox sandbox;
    RegistryStore store{"Corvane", "Typehold"};
    ConverterSettings settings;
    PalmUserList users;
    GatedFontEngine engine;
    FontCatalog catalog;
    ConverterContext context{store, settings, nullptr, users, engine, catalog, 1252};
};

QString text(std::uint32_t id) { return QString::fromStdString(converter::LoadConverterString(id)); }

QStringList itemTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}
}  // namespace

class AddFontWizardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { converter::RegisterConverterStrings(); }

    void init() {
        desk = std::make_unique<Desk>();
        boxes.clear();
        onWizard = nullptr;
        onProgress = nullptr;
        progressSeen = false;
        // Stands in for the user at every modal window: message boxes are answered OK.
        watcher.setInterval(10);
        QObject::connect(&watcher, &QTimer::timeout, this, &AddFontWizardTest::WatchModal, Qt::UniqueConnection);
        watcher.start();
    }

    void cleanup() {
        watcher.stop();
        desk.reset();
    }

    void walksThroughThePagesWithItsRules() {
        desk->settings.script = 204;  // Cyrillic
        AddFontWizard wizard(desk->settings, desk->catalog, desk->engine, 1252);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        QCOMPARE(wizard.currentId(), int(AddFontWizard::kFontsPage));
        QCOMPARE(wizard.windowTitle(), QString("Zero"));
        QVERIFY(!wizard.button(QWizard::BackButton)->isVisible() || !wizard.button(QWizard::BackButton)->isEnabled());

        // The stored script is selected and only its faces are listed, by bare name.
        FontsPage* fonts = wizard.Fonts();
        QCOMPARE(fonts->Scripts()->count(), 4);
        QCOMPARE(fonts->Scripts()->itemText(0), QString("All"));
        QCOMPARE(fonts->Scripts()->currentText(), QString("Cyrillic"));
        QCOMPARE(itemTexts(fonts->Fonts()), QStringList{"DejaVu Sans"});

        // "All": every face that can be opened, with its script.
        fonts->Scripts()->setCurrentIndex(0);
        emit fonts->Scripts()->activated(0);
        QCOMPARE(itemTexts(fonts->Fonts()),
                 (QStringList{"DejaVu Sans (Cyrillic)", "DejaVu Sans (Western)", "DejaVu Sans Mono (Western)",
                              "DejaVu Serif (Greek)", "DejaVu Serif (Western)"}));
        QVERIFY(fonts->Fonts()->item(0)->isSelected());
        QVERIFY(fonts->RowHeight() >= 15);

        QAbstractButton* next = wizard.button(QWizard::NextButton);
        const QString nextText = next->text();
        fonts->Fonts()->clearSelection();
        next->click();
        QCOMPARE(boxes, QStringList{text(converter::kStrSelectFontsToExport)});
        QCOMPARE(wizard.currentId(), int(AddFontWizard::kFontsPage));

        fonts->Fonts()->item(1)->setSelected(true);
        fonts->Fonts()->item(3)->setSelected(true);
        next->click();
        QCOMPARE(wizard.currentId(), int(AddFontWizard::kStylesPage));
        QCOMPARE(wizard.windowTitle(), QString("One"));
        QCOMPARE(wizard.SelectedFonts().size(), std::size_t(2));
        QCOMPARE(wizard.SelectedFonts()[1].charSet, std::uint8_t(161));
        QVERIFY(wizard.button(QWizard::BackButton)->isEnabled());

        // Styles: the four in order with the stored marks; none checked keeps the page.
        QListWidget* styles = wizard.Styles()->Styles();
        QCOMPARE(itemTexts(styles), (QStringList{"Regular", "Bold", "Italic", "Bold Italic"}));
        QCOMPARE(styles->item(0)->checkState(), Qt::Checked);
        styles->item(0)->setCheckState(Qt::Unchecked);
        next->click();
        QCOMPARE(boxes.last(), text(converter::kStrNoDefaultStyles));
        QCOMPARE(wizard.currentId(), int(AddFontWizard::kStylesPage));
        styles->item(1)->setCheckState(Qt::Checked);
        next->click();
        QCOMPARE(wizard.currentId(), int(AddFontWizard::kSizesPage));

        // Sizes: the 21 stored sizes, checked as stored.
        QListWidget* sizes = wizard.Sizes()->Sizes();
        QCOMPARE(sizes->count(), 21);
        QCOMPARE(sizes->item(0)->text(), QString("6"));
        QCOMPARE(sizes->item(20)->text(), QString("26"));
        QCOMPARE(sizes->item(3)->checkState(), Qt::Checked);  // 9
        sizes->item(4)->setCheckState(Qt::Checked);           // 10
        next->click();
        QCOMPARE(wizard.currentId(), int(AddFontWizard::kHiResPage));
        QCOMPARE(next->text(), QString("Add Fonts"));
        QVERIFY(next->isVisible() && next->isEnabled());

        // Back restores the Next button's own text; forward again relabels it.
        wizard.back();
        QCOMPARE(wizard.currentId(), int(AddFontWizard::kSizesPage));
        QCOMPARE(next->text(), nextText);
        next->click();
        QCOMPARE(next->text(), QString("Add Fonts"));

        QCheckBox* hiRes = wizard.HiRes()->CreateHiRes();
        QCOMPARE(hiRes->text(), QString("Create Hi-Res fonts"));
        QVERIFY(!hiRes->isChecked());
        hiRes->setChecked(true);
        next->click();  // finishes
        QTRY_VERIFY(!wizard.isVisible());
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QCOMPARE(boxes.size(), 2);

        QCOMPARE(desk->settings.script, 1u);
        QCOMPARE(desk->settings.styles, (std::array<std::uint32_t, 4>{0, 1, 0, 0}));
        QCOMPARE(desk->settings.CheckedSizes(), (std::vector<int>{9, 10, 12}));
        QCOMPARE(desk->settings.createHiRes, 1u);
        // The wizard itself stores nothing; Add Group does after OK.
        ConverterSettings stored;
        stored.Load(desk->store);
        QCOMPARE(stored.createHiRes, 1u);  // the default, not a stored value
        QCOMPARE(stored.CheckedSizes(), (std::vector<int>{9, 12, 14}));
    }

    void finishThatDoesNotValidateKeepsTheWizardOpen() {
        for (auto& s : desk->settings.sizes) s.checked = 0;
        AddFontWizard wizard(desk->settings, desk->catalog, desk->engine, 1252);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        wizard.button(QWizard::NextButton)->click();
        QCOMPARE(wizard.currentId(), int(AddFontWizard::kStylesPage));
        wizard.Styles()->Styles()->item(2)->setCheckState(Qt::Checked);
        wizard.accept();  // Finish from the styles page
        QCOMPARE(boxes, QStringList{text(converter::kStrNoDefaultSizes)});
        QVERIFY(wizard.isVisible());
        // The shown pages' values stay in the settings; the pages never shown wrote nothing.
        QCOMPARE(desk->settings.styles, (std::array<std::uint32_t, 4>{1, 0, 1, 0}));
        QCOMPARE(desk->settings.createHiRes, 0u);
        QCOMPARE(desk->settings.script, 0u);  // the stored 0 is the Western character set
    }

    void fontInstalledLaterIsNotOffered() {
        desk->settings.script = 1;
        desk->engine.inner.families.push_back(listed("Installed Later", 0, "Western"));
        AddFontWizard wizard(desk->settings, desk->catalog, desk->engine, 1252);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        QCOMPARE(wizard.Fonts()->Fonts()->count(), 5);
        QVERIFY(wizard.Fonts()->Fonts()->findItems("Installed", Qt::MatchStartsWith).isEmpty());
    }

    void doubleByteScriptSaysOnlyItsSingleByteCharactersAreMade() {
        desk->install("WenQuanYi Zen Hei", 134, "Chinese", 134);
        AddFontWizard wizard(desk->settings, desk->catalog, desk->engine, 1252);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        FontsPage* fonts = wizard.Fonts();
        QCOMPARE(fonts->Scripts()->currentText(), QString("Chinese"));
        QVERIFY(fonts->ScriptNote()->isVisible());
        QVERIFY(fonts->ScriptNote()->text().startsWith("Character set 134 is a double-byte script"));
        QVERIFY(fonts->ScriptNote()->text().contains("code page 936"));

        const auto choose = [&](const QString& script) {
            const int index = fonts->Scripts()->findText(script);
            fonts->Scripts()->setCurrentIndex(index);
            emit fonts->Scripts()->activated(index);
        };
        choose("Western");
        QVERIFY(!fonts->ScriptNote()->isVisible());
        // Under "All" the note follows the faces selected.
        choose("All");
        QVERIFY(!fonts->ScriptNote()->isVisible());
        const auto chinese = fonts->Fonts()->findItems("WenQuanYi", Qt::MatchStartsWith);
        QCOMPARE(chinese.size(), 1);
        chinese[0]->setSelected(true);
        QVERIFY(fonts->ScriptNote()->isVisible());
        fonts->Fonts()->clearSelection();
        QVERIFY(!fonts->ScriptNote()->isVisible());
    }

    // The catalogue keeps names in the Windows code page: an accented face is shown, and drawn,
    // by its own name.
    void facesWithAccentedNamesAreListedByTheirNames() {
        desk->install("Caf\xe9 Sans", 0, "Western", 0);
        AddFontWizard wizard(desk->settings, desk->catalog, desk->engine, 1252);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        const QListWidget* list = wizard.Fonts()->Fonts();
        const auto found = list->findItems(QString::fromUtf8("Caf\u00e9 Sans"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QCOMPARE(wizard.Fonts()->RowFont(list->row(found[0])).family(), QString::fromUtf8("Caf\u00e9 Sans"));
    }

    // A face whose cell is mostly leading (a mathematics face) would be drawn a few pixels high.
    void everyFaceIsListedAtLeastAsReadableAsTheListsOwnText() {
        auto metrics = scriptedMetrics(20, 16, 32, 126, 12);
        metrics.tmInternalLeading = 14;
        desk->engine.inner.face.metrics[20] = metrics;
        // Its small letters rise 2 of the 6 pixels of its em.
        desk->engine.inner.face.glyphs[20]['x'] = ScriptedGlyph{{0, 4, 1}, true, 2, 0};
        desk->settings.script = 1;
        AddFontWizard wizard(desk->settings, desk->catalog, desk->engine, 1252);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        const QListWidget* list = wizard.Fonts()->Fonts();
        const int listXHeight = QFontMetrics(list->font()).xHeight();
        QVERIFY(list->count() > 0);
        for (int row = 0; row < list->count(); ++row) {
            const QFont font = wizard.Fonts()->RowFont(row);
            QVERIFY2(QFontMetrics(font).xHeight() >= listXHeight, qPrintable(list->item(row)->text()));
            QVERIFY(QFontMetrics(font).height() <= wizard.Fonts()->RowHeight());
        }
    }

    void oneCombinationConvertsWithoutTheProgressDialog() {
        for (auto& s : desk->settings.sizes) s.checked = s.size == 12;
        CFontList target;
        QVERIFY(target.New());
        QVERIFY(BatchConvert(target, {desk->catalog.Entries()[0]}, desk->context, nullptr));
        QVERIFY(!progressSeen);
        QCOMPARE(target.Count(), std::size_t(1));
        QCOMPARE(target.At(0)->size, std::uint8_t(12));
    }

    void severalCombinationsGoThroughTheProgressDialog() {
        desk->settings.styles = {1, 1, 0, 0};
        CFontList target;
        QVERIFY(target.New());
        int barMaximum = 0;
        onProgress = [&](ProgressDlg* dlg) {
            barMaximum = dlg->Bar()->maximum();
            QCOMPARE(dlg->windowTitle(), QString());
        };
        QVERIFY(BatchConvert(target, {desk->catalog.Entries()[0], desk->catalog.Entries()[2]}, desk->context, nullptr));
        QVERIFY(progressSeen);
        QCOMPARE(barMaximum, 8);
        QCOMPARE(target.Count(), std::size_t(8));
        QVERIFY(boxes.isEmpty());
    }

    // A font too large for a handheld record in the middle of a batch is skipped: the others are
    // made, and one message names the one left out.
    void tooLargeCombinationIsSkippedWithOneMessage() {
        desk->engine.inner.face.metrics[10] = scriptedMetrics(10, 96, 32, 255, 120);
        for (int c = 32; c <= 255; ++c) desk->engine.inner.face.glyphs[10][c] = {{0, 249, 1}, true};
        for (auto& s : desk->settings.sizes) s.checked = s.size == 9 || s.size == 10 || s.size == 12;
        desk->settings.createHiRes = 0;
        CFontList target;
        QVERIFY(target.New());
        QVERIFY(BatchConvert(target, {desk->catalog.Entries()[0]}, desk->context, nullptr));
        QVERIFY(progressSeen);
        QCOMPARE(target.Count(), std::size_t(2));
        QCOMPARE(target.At(0)->size, std::uint8_t(9));
        QCOMPARE(target.At(1)->size, std::uint8_t(12));
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith("The other fonts were added.") && boxes[0].contains(" Regular 10 pt: the record would be "),
                 qPrintable(boxes[0]));

        // The only combination too large: converted on this thread, nothing added, one message.
        for (auto& s : desk->settings.sizes) s.checked = s.size == 10;
        boxes.clear();
        CFontList single;
        QVERIFY(single.New());
        QVERIFY(BatchConvert(single, {desk->catalog.Entries()[0]}, desk->context, nullptr));
        QCOMPARE(single.Count(), std::size_t(0));
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith("No font was added."), qPrintable(boxes[0]));
    }

    void failedConversionShowsOneMessageAndFails() {
        for (auto& s : desk->settings.sizes) s.checked = s.size == 9 || s.size == 10;  // no font at 10
        CFontList target;
        QVERIFY(target.New());
        QVERIFY(!BatchConvert(target, {desk->catalog.Entries()[0]}, desk->context, nullptr));
        QVERIFY(progressSeen);
        QCOMPARE(boxes, QStringList{text(converter::kStrUnknownFontError)});
    }

    void closingTheProgressDialogCancels() {
        desk->engine.gateAt = 1;  // the second combination waits at the gate
        std::thread opener;
        onProgress = [&](ProgressDlg* dlg) {
            if (!desk->engine.WaitUntilEntered()) return;
            // Once Cancel has been asked for, the font in hand may finish.
            const BatchWorker* worker = &dlg->Worker();
            opener = std::thread([this, worker] {
                while (!worker->CancelRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                desk->engine.Open();
            });
            dlg->close();  // as the window manager's close button does
        };
        CFontList target;
        QVERIFY(target.New());
        const bool converted = BatchConvert(target, {desk->catalog.Entries()[0]}, desk->context, nullptr);
        if (opener.joinable()) opener.join();
        QVERIFY(progressSeen);
        QVERIFY(!converted);
        QVERIFY(boxes.isEmpty());
        QCOMPARE(desk->engine.inner.created.size(), std::size_t(2));  // the third never began
    }

    void addGroupAddsTheCompletedBatchToTheDocument() {
        MainFrm frame(desk->context);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        CFontDoc* doc = frame.Document();
        QVERIFY(doc);
        onWizard = [](AddFontWizard* wizard) {
            wizard->Fonts()->Fonts()->item(0)->setSelected(true);
            wizard->Fonts()->Fonts()->item(1)->setSelected(true);
            for (int page = 0; page < 4; ++page) wizard->button(QWizard::NextButton)->click();
        };
        frame.View()->Button(SDI_THView::IDC_ADD_GROUP)->click();
        QVERIFY(progressSeen);
        QCOMPARE(doc->Fonts().Count(), std::size_t(4));
        QVERIFY(doc->IsModified());
        QVERIFY(frame.Action(MainFrm::ID_FILE_SAVE)->isEnabled());
        QCOMPARE(frame.View()->List()->topLevelItemCount(), 4);
        const auto selected = frame.View()->SelectedEntries();
        QCOMPARE(selected.size(), std::size_t(1));
        QCOMPARE(selected[0]->name, std::string("DejaVu Sans"));
        QCOMPARE(selected[0]->size, std::uint8_t(9));
        // The choices were stored once the wizard ended with OK.
        ConverterSettings stored;
        stored.Load(desk->store);
        QCOMPARE(stored.CheckedSizes(), (std::vector<int>{9, 12}));
        QCOMPARE(stored.styles, (std::array<std::uint32_t, 4>{1, 0, 0, 0}));

        // Cancel in the wizard stores nothing and adds nothing.
        desk->settings.createHiRes = 1;
        onWizard = [](AddFontWizard* wizard) { wizard->reject(); };
        frame.View()->Button(SDI_THView::IDC_ADD_GROUP)->click();
        QCOMPARE(doc->Fonts().Count(), std::size_t(4));
        stored.Load(desk->store);
        QCOMPARE(stored.createHiRes, 0u);
        doc->MarkModified(false);  // no save prompt as the window goes
    }

private:
    void WatchModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxes << box->text();
            box->button(QMessageBox::Ok)->click();
        } else if (auto* wizard = qobject_cast<AddFontWizard*>(modal); wizard && onWizard) {
            auto action = std::move(onWizard);
            onWizard = nullptr;
            action(wizard);
        } else if (auto* progress = qobject_cast<ProgressDlg*>(modal); progress && !progressSeen) {
            progressSeen = true;
            if (onProgress) onProgress(progress);
        }
    }

    std::unique_ptr<Desk> desk;
    QTimer watcher;
    QStringList boxes;
    std::function<void(AddFontWizard*)> onWizard;
    std::function<void(ProgressDlg*)> onProgress;
    bool progressSeen = false;
};

QTEST_MAIN(AddFontWizardTest)
#include "AddFontWizardTest.moc"
