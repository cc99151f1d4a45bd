// Tests of the converter's windows on the offscreen platform: the start-up refusals, the main
// window's menus, toolbar, Save state and close question, the font list's double click, and the
// details dialog's limits.
#include "app/gui/ConverterApp.h"
#include "app/ConversionBatch.h"
#include "app/gui/AppMessageBox.h"
#include "app/gui/BannerBar.h"
#include "app/gui/FontChooser.h"
#include "app/gui/FontDetailsDlg.h"
#include "app/gui/FontPreviewPane.h"
#include "app/gui/MainFrm.h"
#include "app/gui/ProgressDlg.h"
#include "app/gui/SDI_THView.h"
#include "app/gui/WhenModal.h"
#include "app/gui/WholeCaption.h"
#include "core/FontBuilder.h"
#include "core/FontDoc.h"
#include "core/FontList.h"
#include "core/FontEntry.h"
#include "core/qz_fileio/DbRecord.h"
#include "palmdesk/UserStore.h"
#include "platform/win/Registry.h"
#include "support/SampleFonts.h"
#include "support/DesktopSandbox.h"
#include "support/ScriptedDocumentUi.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTextBrowser>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>

namespace {
// Answers the next message box with button, keeping its text and caption.
struct BoxAnswer {
    QString text, caption, informative;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int width = 0, captionWidth = 0;  // the box's width and the width its whole caption needs
};
std::shared_ptr<BoxAnswer> answerNextBox(QMessageBox::StandardButton button) {
    auto answer = std::make_shared<BoxAnswer>();
    WhenModal([answer, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {  // not the box the test waits for: close it rather than hang
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            return;
        }
        answer->text = box->text();
        answer->caption = box->windowTitle();
        answer->informative = box->informativeText();
        answer->icon = box->icon();
        answer->width = box->width();
        answer->captionWidth = WholeCaptionWidth(*box);
        box->button(button)->click();
    });
    return answer;
}

// A desktop root of its own for the length of a test.
struct Desktop {
    DesktopSandbox sandbox;
    void setHotSyncPath(const std::string& folder = PALMDESK_BIN_DIR) const {
        DesktopSandbox::RecordHotSyncPath(folder + "/hotsync");
    }
    void addUser(const char* name) const { palmdesk::UserStore().Add(name, false); }
};

// The application started on a desktop with the user Ann.
std::unique_ptr<ConverterApp> startedApp(const Desktop& desktop) {
    desktop.setHotSyncPath();
    desktop.addUser("Ann");
    auto app = std::make_unique<ConverterApp>();
    if (!app->Start()) return nullptr;
    return app;
}

// Lets the event loop wait for events once, which is when the window updates its commands.
void idle() {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

QStringList menuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) texts << (action->isSeparator() ? QString("-") : action->text());
    return texts;
}
}  // namespace

class ConverterWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void startupRefusesWithoutTheInstallAide() {
        Desktop desktop;
        auto box = answerNextBox(QMessageBox::Ok);
        ConverterApp app;
        app.SetHotSyncCandidates({desktop.sandbox.root() + "/nowhere/hotsync"});
        QVERIFY(!app.Start());
        QCOMPARE(box->text, QString("Can not load the Instaide.dll. The program can not run. Please contact your "
                                    "program vendor. "));
        QCOMPARE(box->caption, QString("Typehold Converter"));
        QCOMPARE(box->icon, QMessageBox::Warning);
        QVERIFY(!app.MainWindow());
    }

    void startupRefusesWithoutPalmUsers() {
        Desktop desktop;
        desktop.setHotSyncPath();
        auto box = answerNextBox(QMessageBox::Ok);
        ConverterApp app;
        QVERIFY(!app.Start());
        QCOMPARE(box->text,
                 QString("There are no any Palm users. Please check the users in your Palm desktop manager."));
        QVERIFY2(box->informative.contains("hotsync&nbsp;user&nbsp;add"), qPrintable(box->informative));
    }

    // A fresh account after an install: no HotSyncPath yet. The converter records the hotsync
    // installed with it and goes on to the Palm user check.
    void firstStartRecordsTheHotSyncInstalledBeside() {
        Desktop desktop;
        auto box = answerNextBox(QMessageBox::Ok);
        ConverterApp app;
        app.SetHotSyncCandidates({desktop.sandbox.root() + "/nowhere/hotsync", std::string(PALMDESK_BIN_DIR) + "/hotsync"});
        QVERIFY(!app.Start());
        QVERIFY2(box->text.startsWith("There are no any Palm users."), qPrintable(box->text));
        win::HKEY key = nullptr;
        QCOMPARE(win::RegOpenKeyEx(win::HKEY_CURRENT_USER, "Software\\U.S. Robotics\\Pilot Desktop\\Core", 0,
                                   win::KEY_READ, &key),
                 win::ERROR_SUCCESS);
        char value[1024] = {};
        win::DWORD size = sizeof value - 1;
        QCOMPARE(win::RegQueryValueEx(key, "HotSyncPath", nullptr, nullptr, reinterpret_cast<win::BYTE*>(value), &size),
                 win::ERROR_SUCCESS);
        win::RegCloseKey(key);
        QVERIFY2(QString(value).endsWith("/hotsync"), value);

        // With a user the next start goes through, and a recorded path is never replaced.
        desktop.addUser("Ann");
        ConverterApp second;
        second.SetHotSyncCandidates({});
        QVERIFY(second.Start());
    }

    void commandLineIsReadAsQtProgramsDo() {
        const struct {
            std::vector<const char*> args;
            ConverterArguments::Action action;
            const char* file;
            const char* textStart;
        } cases[] = {
            {{"glyphsmith"}, ConverterArguments::Action::Run, nullptr, ""},
            {{"glyphsmith", "fonts.pdb"}, ConverterArguments::Action::Run, "fonts.pdb", ""},
            {{"glyphsmith", "-platform", "offscreen", "a.pdb"}, ConverterArguments::Action::Run, "a.pdb", ""},
            {{"glyphsmith", "--", "--help"}, ConverterArguments::Action::Run, "--help", ""},
            {{"glyphsmith", "--help"}, ConverterArguments::Action::Help, nullptr, "Usage: glyphsmith [FILE.pdb]"},
            {{"glyphsmith", "a.pdb", "-h"}, ConverterArguments::Action::Help, nullptr, "Usage: "},
            {{"glyphsmith", "--version"}, ConverterArguments::Action::Version, nullptr, "glyphsmith "},
            {{"glyphsmith", "a.pdb", "b.pdb"}, ConverterArguments::Action::Wrong, nullptr, "glyphsmith: give one file"},
        };
        for (const auto& c : cases) {
            const ConverterArguments parsed = ParseConverterArguments(int(c.args.size()), c.args.data());
            QCOMPARE(int(parsed.action), int(c.action));
            if (c.action == ConverterArguments::Action::Run)
                QCOMPARE(parsed.file.value_or("(none)"), std::string(c.file ? c.file : "(none)"));
            QVERIFY2(QString::fromStdString(parsed.text).startsWith(c.textStart), parsed.text.c_str());
        }
    }

    // glyphsmith FILE opens the file; the caption names the document from New on and shows
    // whether it is modified.
    void fileOnTheCommandLineIsOpenedAndTheTitleFollows() {
        Desktop desktop;
        TempDir dir;
        const std::string path = dir.file("Travel.pdb");
        {
            ScriptedDocumentUi ui;
            CFontDoc other(ui);
            other.OnNewDocument("x");
            other.Fonts().AddConverted(tinyFont(false, "Alpha"));
            QVERIFY(other.DoSave(path, true));
        }
        const auto app = startedApp(desktop);
        QVERIFY(app);
        MainFrm* frame = app->MainWindow();
        QCOMPARE(frame->windowTitle(), QString("Untitled[*] - Typehold Converter"));
        QVERIFY(!frame->isWindowModified());
        QVERIFY(app->OpenInitialFile(path));
        QCOMPARE(frame->Document()->GetPathName(), path);
        QCOMPARE(frame->View()->List()->topLevelItemCount(), 1);
        QCOMPARE(frame->windowTitle(), QString("Travel[*] - Typehold Converter"));
        frame->Document()->MarkModified(true);
        idle();
        QVERIFY(frame->isWindowModified());
        frame->Document()->MarkModified(false);
        frame->RunCommand(MainFrm::ID_FILE_NEW);
        QCOMPARE(frame->windowTitle(), QString("Untitled[*] - Typehold Converter"));

        auto box = answerNextBox(QMessageBox::Ok);
        QVERIFY(!app->OpenInitialFile(dir.file("missing.pdb")));
        QCOMPARE(box->text, QString::fromStdString("The file " + dir.file("missing.pdb") + " does not exist."));
    }

    // Delete, Enter, F2 and the context menu act on the list; Ctrl+Q, Ctrl+Shift+S and F1 on the
    // window; the toolbar's own menu and View > Toolbar stay in step.
    void keysAndMenusActAsInOtherQtPrograms() {
        Desktop desktop;
        const auto app = startedApp(desktop);
        QVERIFY(app);
        MainFrm* frame = app->MainWindow();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        CFontDoc* doc = frame->Document();
        for (const char* name : {"Alpha", "Beta"}) QVERIFY(doc->Fonts().AddConverted(tinyFont(true, name, "", 12)) >= 0);
        SDI_THView* view = frame->View();
        view->RefreshList();
        QTreeWidget* list = view->List();
        list->setFocus();
        list->topLevelItem(0)->setSelected(true);

        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_F2}) {
            bool edited = false;
            WhenModal([&](QWidget* modal) {
                edited = qobject_cast<FontDetailsDlg*>(modal) != nullptr;
                if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            });
            QTest::keyClick(list, key);
            QVERIFY2(edited, qPrintable(QString::number(key, 16)));
        }

        QMenu* menu = view->ContextMenu();
        QCOMPARE(menuTexts(menu), (QStringList{"&Edit", "&Delete", "-", "&Install..."}));
        delete menu;

        auto yes = answerNextBox(QMessageBox::Yes);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(yes->text, QString("The font(s) will be deleted. Are you sure?"));
        QCOMPARE(int(doc->Fonts().Count()), 1);

        QCOMPARE(frame->Action(MainFrm::ID_FILE_SAVE_AS)->shortcut(), QKeySequence("Ctrl+Shift+S"));
        QCOMPARE(frame->Action(MainFrm::ID_APP_EXIT)->shortcut(), QKeySequence("Ctrl+Q"));
        QCOMPARE(frame->Action(MainFrm::ID_HELP_CONTENTS)->shortcut(), QKeySequence(Qt::Key_F1));
        frame->Action(MainFrm::ID_HELP_CONTENTS)->trigger();
        QVERIFY(frame->HelpWindow());
        QVERIFY(frame->HelpWindow()->isVisible());
        QCOMPARE(frame->HelpWindow()->windowTitle(), QString("Typehold Converter Help"));
        frame->HelpWindow()->close();

        // The toolbar's context menu names it and hides it as View > Toolbar does.
        QCOMPARE(frame->ToolBar()->toggleViewAction()->text(), QString("Toolbar"));
        frame->ToolBar()->toggleViewAction()->trigger();
        QVERIFY(!frame->Action(MainFrm::ID_VIEW_TOOLBAR)->isChecked());
        frame->RunCommand(MainFrm::ID_VIEW_TOOLBAR);
        QVERIFY(frame->ToolBar()->toggleViewAction()->isChecked());

        // Ctrl+Q goes through the save question.
        auto cancel = answerNextBox(QMessageBox::Cancel);
        // An untitled document is named after its first font once it changes; the caption follows.
        idle();
        QCOMPARE(frame->windowTitle(), QString("Beta[*] - Typehold Converter"));
        QVERIFY(frame->isWindowModified());
        frame->Action(MainFrm::ID_APP_EXIT)->trigger();
        QTRY_COMPARE(cancel->text, QString("Save changes to Beta?"));
        QVERIFY(frame->isVisible());
        doc->MarkModified(false);
    }

    // A file error keeps the system's text and says, as informative text, what happened to which
    // file and what to do.
    void fileErrorsSayTheCauseInWords() {
        Desktop desktop;
        const auto app = startedApp(desktop);
        QVERIFY(app);
        MainFrm* frame = app->MainWindow();
        TempDir dir;
        const std::string readOnly = dir.file("locked.pdb");
        writeWholeFile(readOnly, {1, 2, 3});
        ::chmod(readOnly.c_str(), 0444);
        ::mkdir(dir.file("folder.pdb").c_str(), 0755);
        const bool root = ::access(readOnly.c_str(), W_OK) == 0;
        const struct {
            std::function<bool()> act;
            const char* text;
            QString informative;
        } cases[] = {
            {[&] { return ShowOutcome(frame->Commands().OpenDocumentFile(dir.file("folder.pdb"))); }, "accessDenied",
             QString::fromStdString("You may not write to " + dir.file("folder.pdb") + ", or not read it.")},
            {[&] { return ShowOutcome(frame->Document()->DoSave(dir.file("missing/fonts.pdb"), true)); }, "badPath",
             QString::fromStdString("The folder " + dir.file("missing") + " does not exist.")},
            {[&] { return ShowOutcome(frame->Document()->DoSave(readOnly, true)); }, "accessDenied",
             QString::fromStdString("You may not write to " + readOnly)},
        };
        for (const auto& c : cases) {
            if (root && c.informative.contains("locked.pdb")) continue;  // root may write anywhere
            auto box = answerNextBox(QMessageBox::Ok);
            QVERIFY(!c.act());
            QCOMPARE(box->text, QString(c.text));
            QVERIFY2(box->informative.startsWith(c.informative), qPrintable(box->informative));
        }
    }

    void columnsFollowTheWidthOfTheList() {
        Desktop desktop;
        const auto app = startedApp(desktop);
        QVERIFY(app);
        MainFrm* frame = app->MainWindow();
        frame->showNormal();
        QTreeWidget* list = frame->View()->List();
        for (const QSize size : {QSize(900, 600), QSize(500, 400), QSize(1200, 700)}) {
            frame->resize(size);
            QTRY_VERIFY(std::abs(list->columnWidth(0) - list->viewport()->width() * 4 / 10) <= 4);
            QCOMPARE(list->columnWidth(1), list->columnWidth(0));
            QVERIFY(list->columnWidth(0) + list->columnWidth(1) < list->viewport()->width());
        }
    }

    // The banner's web address stays whole in a narrow window: the text shrinks to fit, and in a
    // wide one keeps the size the bar's height gives it.
    void bannerTextFitsTheWindowWidth() {
        Desktop desktop;
        const auto app = startedApp(desktop);
        QVERIFY(app);
        MainFrm* frame = app->MainWindow();
        frame->showNormal();
        BannerBar* banner = frame->Banner();
        frame->resize(1600, 600);
        QTRY_COMPARE(banner->width(), frame->width());
        const int wideRight = banner->LineRight();
        QVERIFY(wideRight < banner->width());
        for (const int width : {wideRight - 40, 700, 560}) {
            frame->resize(width, 600);
            QTRY_COMPARE(banner->width(), frame->width());
            QVERIFY2(banner->LineRight() <= banner->width(),
                     qPrintable(QString("%1 > %2").arg(banner->LineRight()).arg(banner->width())));
        }
        frame->resize(1600, 600);
        QTRY_COMPARE(banner->LineRight(), wideRight);
    }

    void startupShowsTheAidesFailureAndEnds() {
        Desktop desktop;
        desktop.setHotSyncPath(BROKEN_AIDE_DIR);
        auto box = answerNextBox(QMessageBox::Ok);
        ConverterApp app;
        QVERIFY(!app.Start());
        QVERIFY2(box->text.startsWith("The function ") && box->text.contains(" is missing in the Instaide.dll."),
                 qPrintable(box->text));
        QVERIFY(!app.MainWindow());
    }

    void storedPlacementIsRestoredUnlessItLiesOffScreen() {
        const struct {
            const char* stored;
            bool maximized;
        } cases[] = {{"1,0,-1,-1,-1,-1,40,680,30,510", false},
                     {"1,0,-1,-1,-1,-1,40,680,30", true},           // nine numbers
                     {"1,0,-1,-1,-1,-1,9000,9600,30,510", true},    // right of the screen
                     {"3,0,-1,-1,-1,-1,40,680,30,510", true}};      // stored maximized
        for (const auto& c : cases) {
            Desktop desktop;
            RegistryStore("Corvane", "Typehold").SetString("App Window", c.stored);
            const auto app = startedApp(desktop);
            QVERIFY(app);
            QCOMPARE(app->MainWindow()->isMaximized(), c.maximized);
            if (!c.maximized) QCOMPARE(app->MainWindow()->geometry(), QRect(40, 30, 640, 480));
        }
    }

    void mainWindowHasTheMenusToolbarAndSaveState() {
        Desktop desktop;
        const auto app = startedApp(desktop);
        QVERIFY(app);
        MainFrm* frame = app->MainWindow();
        QCOMPARE(frame->windowTitle(), QString("Untitled[*] - Typehold Converter"));

        const QList<QAction*> menus = frame->menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(menus[0]->text(), QString("&File"));
        QCOMPARE(menuTexts(menus[0]->menu()), (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S",
                                                           "Save &As...", "-", "Recent &Files", "-", "E&xit"}));
        QCOMPARE(menuTexts(menus[1]->menu()), QStringList{"&Toolbar"});
        QCOMPARE(menuTexts(menus[2]->menu()), (QStringList{"&Contents", "-", "&About Typehold..."}));
        const std::pair<unsigned, const char*> ids[] = {{0xE100, "New"}, {0xE101, "Open"}, {0xE103, "Save"},
                                                        {0xE104, nullptr}, {0xE141, nullptr}, {0xE800, nullptr},
                                                        {0xE140, "About"}};
        for (const auto& [id, tip] : ids) {
            QVERIFY2(frame->Action(id), qPrintable(QString::number(id, 16)));
            QCOMPARE(frame->Action(id)->data().toUInt(), id);
            if (tip) QCOMPARE(frame->Action(id)->toolTip(), QString(tip));
        }

        // The recent files: "(empty)", grayed, until the registry holds a path.
        QMenu* recent = menus[0]->menu()->actions()[5]->menu();
        QCOMPARE(menuTexts(recent), QStringList{"(empty)"});
        QVERIFY(!recent->actions()[0]->isEnabled());

        // View > Toolbar hides and shows the toolbar and follows with its check mark.
        QAction* toolbar = frame->Action(MainFrm::ID_VIEW_TOOLBAR);
        QVERIFY(toolbar->isChecked());
        frame->RunCommand(MainFrm::ID_VIEW_TOOLBAR);
        QVERIFY(!frame->ToolBar()->isVisible());
        QVERIFY(!toolbar->isChecked());
        frame->RunCommand(MainFrm::ID_VIEW_TOOLBAR);
        QVERIFY(frame->ToolBar()->isVisible());
        QVERIFY(toolbar->isChecked());
        QCOMPARE(frame->ToolBar()->actions().size(), 5);

        // Save is enabled exactly when the document is modified.
        QVERIFY(!frame->Action(MainFrm::ID_FILE_SAVE)->isEnabled());
        frame->Document()->MarkModified(true);
        idle();
        QVERIFY(frame->Action(MainFrm::ID_FILE_SAVE)->isEnabled());

        // Closing with a modified document: Cancel keeps the window, No closes it and stores the
        // placement.
        auto cancel = answerNextBox(QMessageBox::Cancel);
        QVERIFY(!frame->close());
        QCOMPARE(cancel->text, QString("Save changes to Untitled?"));
        QVERIFY(frame->isVisible());
        answerNextBox(QMessageBox::No);
        QVERIFY(frame->close());
        RegistryStore store("Corvane", "Typehold");
        std::string placement;
        QVERIFY(store.GetString("App Window", placement));
        QCOMPARE(std::count(placement.begin(), placement.end(), ','), 9);
    }

    void doubleClickEditsTheFontWithHighDensityLocked() {
        Desktop desktop;
        const auto app = startedApp(desktop);
        QVERIFY(app);
        MainFrm* frame = app->MainWindow();
        CFontDoc* doc = frame->Document();
        QVERIFY(doc->Fonts().AddConverted(tinyFont(true, "Alpha", "B", 12)) >= 0);
        SDI_THView* view = frame->View();
        view->RefreshList();
        QTreeWidget* list = view->List();
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(0), QString("Alpha"));
        QCOMPARE(list->topLevelItem(0)->text(1), QString("B"));
        QCOMPARE(list->topLevelItem(0)->text(2), QString("12"));

        bool locked = false, readOnly = false;
        WhenModal([&](QWidget* modal) {
            auto* details = qobject_cast<FontDetailsDlg*>(modal);
            if (!details) {
                if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
                return;
            }
            locked = !details->HighDensityBox()->isEnabled() && details->HighDensityBox()->isChecked();
            readOnly = details->SizeEdit()->isReadOnly();
            details->NameEdit()->setText("Beta");
            details->accept();
        });
        const QRect rect = list->visualItemRect(list->topLevelItem(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QVERIFY(locked);
        QVERIFY(readOnly);
        QCOMPARE(doc->Fonts().At(0)->name, std::string("Beta"));
        QVERIFY(doc->IsModified());
        QCOMPARE(list->topLevelItem(0)->text(0), QString("Beta"));
        QVERIFY(list->topLevelItem(0)->isSelected());
        // The selected font is previewed in both of its densities.
        QVERIFY(!view->Preview()->IsEmpty());
        QVERIFY(view->Preview()->HasDoubleDensity());
        doc->MarkModified(false);
    }

    // Removing the rows one by one used to show a deleted font in the preview; under the
    // sanitizer build that is a read of freed memory.
    void deleteRemovesEverySelectedFont() {
        const struct {
            int selected;  // the first this many of four fonts
        } cases[] = {{2}, {3}, {4}};
        for (const auto& c : cases) {
            Desktop desktop;
            const auto app = startedApp(desktop);
            QVERIFY(app);
            MainFrm* frame = app->MainWindow();
            CFontDoc* doc = frame->Document();
            for (const char* name : {"Alpha", "Beta", "Gamma", "Delta"})
                QVERIFY(doc->Fonts().AddConverted(tinyFont(true, name, "", 12)) >= 0);
            SDI_THView* view = frame->View();
            view->RefreshList();
            QTreeWidget* list = view->List();
            for (int i = 0; i < c.selected; ++i) list->topLevelItem(i)->setSelected(true);
            QVERIFY(!view->Preview()->IsEmpty());

            auto yes = answerNextBox(QMessageBox::Yes);
            QTest::mouseClick(view->Button(SDI_THView::IDC_DELETE), Qt::LeftButton);
            QCOMPARE(yes->text, QString("The font(s) will be deleted. Are you sure?"));
            const int left = 4 - c.selected;
            QCOMPARE(int(doc->Fonts().Count()), left);
            QCOMPARE(list->topLevelItemCount(), left);
            QCOMPARE(view->Preview()->IsEmpty(), view->SelectedEntries().empty());
            if (left > 0) QCOMPARE(list->topLevelItem(0)->text(0), QString::fromStdString(doc->Fonts().At(0)->name));
            QVERIFY(doc->IsModified());
            doc->MarkModified(false);
        }
    }

    // A name in the handheld's code page is shown as text, and comes back byte for byte after
    // Edit changes only the style; the list shows it as text too.
    void editKeepsACodePageNameByteForByte() {
        Desktop desktop;
        const auto app = startedApp(desktop);
        QVERIFY(app);
        MainFrm* frame = app->MainWindow();
        CFontDoc* doc = frame->Document();
        const std::string name = "Cr\xE8me Br\xFBl\xE9" "e \x80";
        QVERIFY(doc->Fonts().AddConverted(tinyFont(true, name, "", 12)) >= 0);
        SDI_THView* view = frame->View();
        view->RefreshList();
        QTreeWidget* list = view->List();
        QCOMPARE(list->topLevelItem(0)->text(0), QString::fromUtf8("Crème Brûlée €"));

        QString shown;
        WhenModal([&](QWidget* modal) {
            auto* details = qobject_cast<FontDetailsDlg*>(modal);
            if (!details) {
                if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
                return;
            }
            shown = details->NameEdit()->text();
            details->StyleEdit()->setText("Gras");
            details->accept();
        });
        list->topLevelItem(0)->setSelected(true);
        view->OnEdit();
        QCOMPARE(shown, QString::fromUtf8("Crème Brûlée €"));

        TempDir dir;
        const std::string path = dir.file("fonts.pdb");
        QVERIFY(doc->OnSaveDocument(path));
        CFontList back;
        QVERIFY(back.Load(path));
        QCOMPARE(back.Count(), std::size_t(1));
        QCOMPARE(back.At(0)->name, name);
        QCOMPARE(back.At(0)->style, std::string("Gras"));
    }

    // A character the code page lacks is refused with a message naming it; nothing is replaced.
    void detailsDialogRefusesACharacterOutsideTheCodePage() {
        FontDetails details;
        details.size = "12";
        FontDetailsDlg dialog(details);
        dialog.show();
        dialog.NameEdit()->setText(QString::fromUtf8("日本"));
        auto box = answerNextBox(QMessageBox::Ok);
        dialog.accept();
        QCOMPARE(box->text, QString::fromUtf8("The font name can not hold the character \"日\" (U+65E5): the handheld's "
                                              "code page 1252 has no such character."));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.NameEdit()->text(), QString::fromUtf8("日本"));
    }

    // Save over a file another window or program changed since it was opened asks first.
    void saveAsksBeforeOverwritingAFileChangedOnDisk() {
        Desktop desktop;
        const auto app = startedApp(desktop);
        QVERIFY(app);
        MainFrm* frame = app->MainWindow();
        TempDir dir;
        const std::string path = dir.file("fonts.pdb");
        const auto writeFile = [&](std::initializer_list<const char*> names) {
            ScriptedDocumentUi ui;
            CFontDoc other(ui);
            other.OnNewDocument("x");
            for (const char* name : names) other.Fonts().AddConverted(tinyFont(false, name));
            return other.DoSave(path, true).Ok();
        };
        QVERIFY(writeFile({"Alpha", "Beta"}));
        QVERIFY(frame->Commands().OpenDocumentFile(path));
        CFontDoc* doc = frame->Document();
        QCOMPARE(doc->Fonts().Count(), std::size_t(2));
        doc->Fonts().Delete(doc->Fonts().At(0));
        doc->MarkModified(true);
        QVERIFY(writeFile({"Gamma"}));  // another program saves meanwhile
        const auto changed = readWholeFile(path);

        auto cancel = answerNextBox(QMessageBox::Cancel);
        QVERIFY(!frame->RunCommand(MainFrm::ID_FILE_SAVE));
        QVERIFY(cancel->text.startsWith("fonts.pdb has been changed on disk since this document was opened"));
        QCOMPARE(readWholeFile(path), changed);
        QVERIFY(doc->IsModified());

        auto ok = answerNextBox(QMessageBox::Ok);
        QVERIFY(frame->RunCommand(MainFrm::ID_FILE_SAVE));
        QVERIFY(!ok->text.isEmpty());
        QVERIFY(readWholeFile(path) != changed);
        QVERIFY(!doc->IsModified());
    }

    // A record that parses but that no handheld could hold (a cell 0xFFFF rows tall) is not drawn:
    // the pane names the file and the font and says why; a sound record is drawn again after it.
    void previewRefusesARecordNoHandheldHolds() {
        FontPreviewPane pane;
        auto* caption = pane.findChild<QLabel*>("caption");
        QVERIFY(caption);
        std::vector<std::uint8_t> bytes = Serialise(tinyFont(false, "Tall")).value();
        bytes[24] = 0xFF;  // fRectHeight
        bytes[25] = 0xFF;
        bytes[34] = 0x00;  // rowWords 0: no strike for the rows to need
        bytes[35] = 0x00;
        qz_gen::CDbRecord bad, good;
        bad.AdoptData(bytes);
        good.AdoptData(Serialise(tinyFont(true)).value());
        FontEntry badEntry, goodEntry;
        badEntry.record = &bad;
        goodEntry.record = &good;
        pane.ShowEntry(&badEntry, "fonts.pdb");
        QVERIFY(pane.IsEmpty());
        QVERIFY2(caption->text().contains("fonts.pdb: font \"Tall\" (9 pt): cell height 65535"), qPrintable(caption->text()));
        pane.ShowEntry(&goodEntry, "fonts.pdb");
        QVERIFY(!pane.IsEmpty());
        QVERIFY(pane.HasDoubleDensity());
    }

    // A window manager elides a title wider than its window; short messages made boxes narrower
    // than "Typehold Converter".
    void messageBoxesAndTheProgressDialogShowWholeCaptions() {
        Desktop desktop;
        const auto app = startedApp(desktop);
        QVERIFY(app);
        for (const char* text : {"No.", "Please select a font record first!"}) {
            auto box = answerNextBox(QMessageBox::Ok);
            AppMessageBox(text, win::MB_OK);
            QCOMPARE(box->caption, QString("Typehold Converter"));
            QVERIFY(box->captionWidth > 0);
            QVERIFY2(box->width >= box->captionWidth, qPrintable(QString("%1 < %2").arg(box->width).arg(box->captionWidth)));
        }
        CFontList batch;
        ProgressDlg progress(app->MainWindow()->Context().engine, batch, std::vector<Combination>(3), false,
                             app->MainWindow());
        progress.adjustSize();
        QVERIFY(progress.width() >= WholeCaptionWidth(progress));
    }

    // Add Font offers a family's light face as a face of its own, and the record is made from it.
    void addFontConvertsTheFaceChosen() {
        Desktop desktop;
        const auto app = startedApp(desktop);
        QVERIFY(app);
        MainFrm* frame = app->MainWindow();
        ConverterContext& context = frame->Context();
        const auto light = context.catalog.Find("DejaVu Sans Light", std::nullopt);
        if (!light) QSKIP("DejaVu Sans Light is not installed");
        bool chooserSeen = false, detailsSeen = false;
        QString proposedName;
        WhenModal([&](QWidget* modal) {
            auto* chooser = qobject_cast<FontChooserDlg*>(modal);
            if (!chooser) {
                if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
                return;
            }
            chooserSeen = true;
            const auto found = chooser->Faces()->findItems("DejaVu Sans Light", Qt::MatchExactly);
            if (!found.isEmpty()) chooser->Faces()->setCurrentItem(found.front());
            chooser->SizeEdit()->setText("12");
            WhenModal([&](QWidget* next) {
                auto* details = qobject_cast<FontDetailsDlg*>(next);
                detailsSeen = details != nullptr;
                if (details) proposedName = details->NameEdit()->text();
                if (auto* dialog = qobject_cast<QDialog*>(next)) dialog->accept();
            });
            chooser->OkButton()->click();
        });
        frame->View()->OnAddFont();
        QVERIFY(chooserSeen);
        QVERIFY(detailsSeen);
        QCOMPARE(proposedName, QString("DejaVu Sans Light"));
        CFontDoc* doc = frame->Document();
        QCOMPARE(doc->Fonts().Count(), std::size_t(1));
        QCOMPARE(doc->Fonts().At(0)->name, std::string("DejaVu Sans Light"));
        QCOMPARE(int(doc->Fonts().At(0)->size), 12);

        // The same bytes as the light face converted directly.
        ScriptedDocumentUi ui;
        CFontList direct;
        QVERIFY(direct.New());
        QVERIFY(ui.Show(ConvertOne(context.engine, direct, true, RequestFor({*light, 12, FontStyle::Regular}))));
        const auto made = doc->Fonts().At(0)->record->Bytes(), expected = direct.At(0)->record->Bytes();
        QVERIFY(std::equal(made.begin(), made.end(), expected.begin(), expected.end()));
        doc->MarkModified(false);
    }

    void detailsDialogKeepsTooLongNamesAndStyles() {
        FontDetails details;
        details.size = "12";
        FontDetailsDlg dialog(details);
        dialog.show();
        dialog.NameEdit()->setText(QString(64, 'n'));
        dialog.StyleEdit()->setText(QString(32, 's'));
        auto first = answerNextBox(QMessageBox::Ok);
        dialog.accept();
        QCOMPARE(first->text, QString("The font name can not exceed 63 characters!"));
        QCOMPARE(dialog.result(), 0);
        QVERIFY(dialog.isVisible());

        dialog.NameEdit()->setText(QString(63, 'n'));
        auto second = answerNextBox(QMessageBox::Ok);
        dialog.accept();
        QCOMPARE(second->text, QString("The font style can not exceed 31 characters!"));
        QVERIFY(dialog.isVisible());

        dialog.StyleEdit()->setText(QString(31, 's'));
        dialog.HighDensityBox()->setChecked(false);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Details().name, std::string(63, 'n'));
        QCOMPARE(dialog.Details().style, std::string(31, 's'));
        QCOMPARE(dialog.Details().highDensity, 0);
        QVERIFY(dialog.SizeEdit()->isReadOnly());
        QVERIFY(dialog.HighDensityBox()->isEnabled());
    }
};

QTEST_MAIN(ConverterWindowsTest)
#include "ConverterWindowsTest.moc"
