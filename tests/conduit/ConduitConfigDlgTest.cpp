// Tests of the configuration dialog's window under QTest on the offscreen platform: what it shows
// for its settings and a record, what its clicks write, OK's refusals, the pictures' ground, Help,
// and Install Fonts through the real open-file dialog. The settings file and the install queue are
// in memory, and the desktop's folders lie in the test's own folder.
#include "conduit/ConduitMessages.h"
#include "conduit/ConduitSettings.h"
#include "conduit/dialog/ConduitConfigDlg.h"
#include "conduit/dialog/FontChooser.h"
#include "palmdesk/ConduitRecords.h"
#include "platform/win/DesktopRoot.h"
#include "resources/conduit/ConduitDialog.h"
#include "support/FakeDesktopFolders.h"
#include "support/FakeInstallQueue.h"
#include "support/FakeSettingsFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QPointer>
#include <QTimer>

#include <cstring>
#include <functional>
#include <set>

using namespace conduit;

namespace {
constexpr std::uint32_t kDrAw = 0x44724177;

std::vector<std::string> shown;
void recordMessage(const std::string& text, const std::string& caption) { shown.push_back(caption + "|" + text); }

// Runs `step` once the next modal window is up (a dialog opened by a click).
void whenModal(std::function<void(QWidget*)> step) {
    auto* timer = new QTimer(QCoreApplication::instance());  // gone with the application at the latest
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            const QPointer<QWidget> window(modal);
            step(modal);
            // A step that stopped early (a failed assertion) must not leave the test waiting.
            if (window && window->isVisible() && QApplication::activeModalWidget() == window) {
                ADD_FAILURE() << "the window was left open";
                if (auto* dialog = qobject_cast<QDialog*>(window.data())) dialog->reject();
                else window->close();
            }
        }
    });
    timer->start();
}

class ConduitDialogWindow : public ::testing::Test {
protected:
    void SetUp() override {
        record.version = 1;
        record.size = sizeof record;
        record.creator = kDrAw;
        std::strcpy(record.userName, "Ann");
        record.newAction = -7;
        record.preference = -7;
        shown.clear();
        previous = SetConduitMessageHandler(&recordMessage);
    }
    void TearDown() override { SetConduitMessageHandler(previous); }

    // The dialog over the settings as they are now, shown.
    ConduitConfigDlg& open(const std::string& modulePath = "") {
        dialog = std::make_unique<ConduitConfigDlg>(record, ini, modulePath, nullptr, desktop);
        dialog->setInstallQueue(&queue);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    template <typename W>
    W* item(int id) {
        auto* w = qobject_cast<W*>(dialog->item(id));
        EXPECT_TRUE(w) << id;
        return w;
    }
    // Near the left edge, where a check box or radio button has its mark.
    void click(int id) {
        QWidget* w = dialog->item(id);
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
    }

    std::string iniValue(const char* key) const { return ini.read(key, "(none)"); }
    void setIni(const char* key, const char* value) { ASSERT_TRUE(ini.write(key, value)); }

    TempDir dir;
    const DesktopFolders desktop = DesktopFoldersIn(dir.path());
    FakeSettingsFile ini;
    FakeInstallQueue queue;
    ConfigurationRecord record{};
    std::unique_ptr<ConduitConfigDlg> dialog;
    ConduitMessageHandler previous = nullptr;
};
}  // namespace

TEST_F(ConduitDialogWindow, NoIniShowsTheDefaultsAndTheRecordsActions) {
    record.permanentAction = 3;
    record.temporaryAction = 2;
    std::strcpy(record.userName, "Demo User");
    open();
    EXPECT_EQ(dialog->windowTitle(), "Generic DrAw Conduit");
    EXPECT_EQ(item<QLineEdit>(kIdSyncFolder)->text(), QString::fromStdString(desktop.home + "/Pictures/Pictaro"));
    EXPECT_EQ(item<QLineEdit>(kIdFontFolder)->text(), QString::fromStdString(DefaultFontFolder(desktop)));
    for (const int box : {kIdDepth, kIdDensity, kIdCompression}) EXPECT_TRUE(item<QCheckBox>(box)->isChecked()) << box;
    EXPECT_TRUE(item<QRadioButton>(kIdActionHandheldOverwrites)->isChecked());
    EXPECT_FALSE(item<QCheckBox>(kIdSetAsDefault)->isChecked());
    EXPECT_EQ(item<QGroupBox>(kIdUserGroup)->title(), "Demo User's Current Settings:");
    EXPECT_EQ(item<QLabel>(kIdPermanentAction)->text(), "Desktop overwrites Palm organizer.");
    EXPECT_EQ(item<QLabel>(kIdTemporaryAction)->text(), "Palm organizer overwrites Desktop.");
    EXPECT_EQ(item<QGroupBox>(kIdActionGroup)->title(), "HotSync Action for Pictaro");
    EXPECT_EQ(item<QRadioButton>(kIdActionNothing)->text(), "Do &nothing");
    EXPECT_EQ(iniValue("SyncDir"), "(none)");  // opening writes nothing
}

// Every control the dialog declares is found by its ID, each as its own widget of its kind.
TEST_F(ConduitDialogWindow, EachControlIdFindsItsOwnControl) {
    open();
    const std::pair<int, const char*> controls[] = {
        {kIdOk, "QPushButton"}, {kIdCancel, "QPushButton"}, {kIdHelp, "QPushButton"},
        {kIdActionGroup, "QGroupBox"}, {kIdActionSync, "QRadioButton"}, {kIdActionDesktopOverwrites, "QRadioButton"},
        {kIdActionHandheldOverwrites, "QRadioButton"}, {kIdActionNothing, "QRadioButton"},
        {kIdSetAsDefault, "QCheckBox"}, {kIdPictureSync, "QLabel"}, {kIdPictureDesktopOverwrites, "QLabel"},
        {kIdPictureHandheldOverwrites, "QLabel"}, {kIdPictureNothing, "QLabel"}, {kIdPermanentAction, "QLabel"},
        {kIdTemporaryAction, "QLabel"}, {kIdUserGroup, "QGroupBox"}, {kIdSetSyncFolder, "QPushButton"},
        {kIdSyncFolder, "QLineEdit"}, {kIdFontFolder, "QLineEdit"}, {kIdDepth, "QCheckBox"}, {kIdDensity, "QCheckBox"},
        {kIdCompression, "QCheckBox"}, {kIdInstallFonts, "QPushButton"}, {kIdSetFontFolder, "QPushButton"},
    };
    std::set<QWidget*> seen;
    for (const auto& [id, kind] : controls) {
        QWidget* w = dialog->item(id);
        ASSERT_TRUE(w) << id;
        EXPECT_STREQ(w->metaObject()->className(), kind) << id;
        EXPECT_TRUE(seen.insert(w).second) << id << " shares its widget";
        EXPECT_TRUE(dialog->isAncestorOf(w)) << id;
    }
    EXPECT_EQ(dialog->item(0), nullptr);
    EXPECT_EQ(dialog->item(kDialogConfigure), nullptr);
}

// Folders stored in Windows form keep working and are shown as the folder they map to.
TEST_F(ConduitDialogWindow, WindowsFormFoldersAreShownAsTheirLinuxFolders) {
    setIni("SyncDir", "C:\\Pictaro");
    setIni("TTFontDirectory", "c:\\program files\\ferrowind\\pictaro");
    open();
    EXPECT_EQ(item<QLineEdit>(kIdSyncFolder)->text(), QString::fromStdString(dir.path() + "/drive_c/Pictaro"));
    EXPECT_EQ(item<QLineEdit>(kIdFontFolder)->text(),
              QString::fromStdString(dir.path() + "/drive_c/program files/ferrowind/pictaro"));
    item<QLineEdit>(kIdSyncFolder)->setText("pictures");
    click(kIdOk);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(shown, std::vector<std::string>{"Invalid path|Please enter a valid path!"});
    item<QLineEdit>(kIdSyncFolder)->setText("~/Pictaro");
    click(kIdOk);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(iniValue("SyncDir"), desktop.home + "/Pictaro");
}

TEST_F(ConduitDialogWindow, SlowSyncSelectsSynchronizeAndCreatorZeroKeepsTheTemplate) {
    record.creator = 0;
    record.temporaryAction = 1;
    open();
    EXPECT_TRUE(item<QRadioButton>(kIdActionSync)->isChecked());
    EXPECT_EQ(item<QRadioButton>(kIdActionSync)->text(), "&Synchronize the files");
    EXPECT_EQ(item<QGroupBox>(kIdUserGroup)->title(), "<User's Current Settings Place Holder>");
    EXPECT_EQ(item<QLabel>(kIdPermanentAction)->text(), "Static");
    EXPECT_EQ(item<QLabel>(kIdTemporaryAction)->text(), "Static");
}

TEST_F(ConduitDialogWindow, HandEditedDensityIsKeptUnlessClicked) {
    setIni("AcceptedDensity", "100");
    open();
    EXPECT_FALSE(item<QCheckBox>(kIdDensity)->isChecked());
    click(kIdOk);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(iniValue("AcceptedDensity"), "100");
    EXPECT_EQ(iniValue("SyncDir"), desktop.home + "/Pictures/Pictaro");
    EXPECT_EQ(iniValue("TTFontDirectory"), DefaultFontFolder(desktop));

    open();
    click(kIdDensity);
    EXPECT_EQ(iniValue("AcceptedDensity"), "144");
    click(kIdDensity);
    EXPECT_EQ(iniValue("AcceptedDensity"), "72");
    EXPECT_EQ(dialog->settings().acceptedDensity, 72);
}

TEST_F(ConduitDialogWindow, CancelKeepsWhatTheBoxesWroteAndLeavesTheRecord) {
    open();
    click(kIdDepth);
    click(kIdCompression);
    click(kIdActionNothing);
    click(kIdSetAsDefault);
    click(kIdCancel);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(iniValue("AcceptedDepth"), "8");
    EXPECT_EQ(iniValue("AcceptedCompression"), "0");
    EXPECT_EQ(iniValue("AcceptedDensity"), "(none)");
    EXPECT_EQ(iniValue("SyncDir"), "(none)");
    EXPECT_EQ(record.newAction, -7);
    EXPECT_EQ(record.preference, -7);
}

TEST_F(ConduitDialogWindow, OkStoresTheActionAndTheFolders) {
    open();
    click(kIdActionDesktopOverwrites);
    click(kIdSetAsDefault);
    item<QLineEdit>(kIdSyncFolder)->clear();
    QTest::keyClicks(item<QLineEdit>(kIdSyncFolder), "/home/ann/pictures");
    click(kIdOk);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(record.newAction, 3);
    EXPECT_EQ(record.preference, kPreferencePermanent);
    EXPECT_EQ(iniValue("SyncDir"), "/home/ann/pictures");
    EXPECT_EQ(dialog->settings().syncDir, "/home/ann/pictures");
    EXPECT_TRUE(shown.empty());
}

TEST_F(ConduitDialogWindow, OkWithAnEmptyFolderIsRefusedWithTheRecordAlreadySet) {
    struct Case {
        int emptied;
        const char* message;
    };
    const Case cases[] = {
        {kIdSyncFolder, "Invalid path|Please enter a valid path!"},
        {kIdFontFolder, "Invalid path|Please enter a valid path for font folder!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        shown.clear();
        open();
        click(kIdActionHandheldOverwrites);
        item<QLineEdit>(c.emptied)->clear();
        click(kIdOk);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(shown, std::vector<std::string>{c.message});
        EXPECT_EQ(record.newAction, 2);
        EXPECT_EQ(record.preference, kPreferenceTemporary);
        EXPECT_EQ(iniValue("SyncDir"), "(none)");
        EXPECT_EQ(iniValue("TTFontDirectory"), "(none)");
    }
}

TEST_F(ConduitDialogWindow, CancelAfterARefusedOkLeavesTheRecordAsItCame) {
    struct Case {
        const char* what;
        std::function<void(ConduitConfigDlg&)> leave;
    };
    const Case cases[] = {
        {"Cancel", [this](ConduitConfigDlg&) { click(kIdCancel); }},
        {"Escape", [](ConduitConfigDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        shown.clear();
        open();
        const std::string depth = iniValue("AcceptedDepth");
        click(kIdActionDesktopOverwrites);
        click(kIdSetAsDefault);
        click(kIdDepth);  // writes at once, and stays
        item<QLineEdit>(kIdFontFolder)->clear();
        click(kIdOk);
        ASSERT_EQ(shown, std::vector<std::string>{"Invalid path|Please enter a valid path for font folder!"});
        EXPECT_EQ(record.newAction, 3);  // the refused OK set it
        c.leave(*dialog);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_EQ(record.newAction, -7);
        EXPECT_EQ(record.preference, -7);
        EXPECT_EQ(iniValue("AcceptedDepth"), depth == "8" ? "16" : "8");
        EXPECT_EQ(iniValue("TTFontDirectory"), "(none)");
    }
}

TEST_F(ConduitDialogWindow, SetFolderButtons) {
    open();
    std::vector<QString> titles;
    QString answer;
    dialog->setFolderBrowser([&](QWidget* owner, const QString& title, const QString& start) {
        EXPECT_EQ(owner, dialog.get());
        titles.push_back(title + " " + start);
        return answer;
    });
    item<QLineEdit>(kIdSyncFolder)->setText("typed, not kept");
    click(kIdSetSyncFolder);  // cancelled: the unchanged folder is written and shown
    const std::string pictures = desktop.home + "/Pictures/Pictaro";
    EXPECT_EQ(iniValue("SyncDir"), pictures);
    EXPECT_EQ(item<QLineEdit>(kIdSyncFolder)->text(), QString::fromStdString(pictures));
    answer = "/srv/pictures";
    click(kIdSetSyncFolder);
    EXPECT_EQ(iniValue("SyncDir"), "/srv/pictures");
    EXPECT_EQ(item<QLineEdit>(kIdSyncFolder)->text(), "/srv/pictures");

    answer.clear();
    click(kIdSetFontFolder);  // cancelled: nothing at all
    EXPECT_EQ(iniValue("TTFontDirectory"), "(none)");
    answer = "/srv/fonts";
    click(kIdSetFontFolder);
    EXPECT_EQ(iniValue("TTFontDirectory"), "/srv/fonts");
    EXPECT_EQ(item<QLineEdit>(kIdFontFolder)->text(), "/srv/fonts");
    EXPECT_EQ(dialog->settings().fontDir, DefaultFontFolder(desktop));  // until OK
    const std::vector<QString> expected = {
        "Select sync folder typed, not kept",
        "Select sync folder " + QString::fromStdString(pictures),
        "Select fonts folder " + QString::fromStdString(DefaultFontFolder(desktop)),
        "Select fonts folder " + QString::fromStdString(DefaultFontFolder(desktop)),
    };
    EXPECT_EQ(titles.size(), 4u);
    EXPECT_EQ(titles[1], expected[1]);
    EXPECT_EQ(titles[2], expected[2]);
}

TEST_F(ConduitDialogWindow, PicturesTakeTheButtonColourAndFollowItsChanges) {
    open();
    const auto corner = [&](int id) { return item<QLabel>(id)->pixmap().toImage().pixel(0, 0) & 0xFFFFFF; };
    for (const int id : {kIdPictureSync, kIdPictureDesktopOverwrites, kIdPictureHandheldOverwrites, kIdPictureNothing}) {
        EXPECT_EQ(item<QLabel>(id)->pixmap().size(), QSize(48, 24));
        EXPECT_EQ(corner(id), dialog->palette().color(QPalette::Button).rgb() & 0xFFFFFF);
    }
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
    dialog->setPalette(palette);
    for (const int id : {kIdPictureSync, kIdPictureNothing}) EXPECT_EQ(corner(id), 0x123456u);
}

TEST_F(ConduitDialogWindow, HelpOpensThePageBesideTheModuleOnly) {
    open("pictsync.so");
    click(kIdHelp);
    EXPECT_EQ(dialog->helpWindow(), nullptr);
    EXPECT_TRUE(shown.empty());

    open(dir.file("pictsync.so"));
    click(kIdHelp);
    EXPECT_EQ(dialog->helpWindow(), nullptr);
    EXPECT_EQ(shown, std::vector<std::string>{"Help|The help file \"" + dir.file("hotsync.html") + "\" cannot be opened."});

    const std::string page = "<html><head><title>Conduit help</title></head><body>Sync Folder</body></html>";
    writeWholeFile(dir.file("hotsync.html"), std::vector<std::uint8_t>(page.begin(), page.end()));
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    ASSERT_NE(dialog->helpWindow(), nullptr);
    EXPECT_TRUE(dialog->helpWindow()->isVisible());
    EXPECT_EQ(dialog->helpWindow()->windowTitle(), "Conduit help");
    QWidget* first = dialog->helpWindow();
    click(kIdHelp);
    EXPECT_EQ(dialog->helpWindow(), first);  // one window, brought forward
}

TEST_F(ConduitDialogWindow, InstallFontsQueuesTheFilesChosenInTheOpenDialog) {
    const std::string fonts = dir.path() + "/drive_c/program files/ferrowind/pictaro";
    ASSERT_TRUE(win::MakeFolders(fonts));
    for (const char* name : {"Alpha.ttf", "BETA.TTF", "notes.txt"})
        writeWholeFile(fonts + "/" + name, std::vector<std::uint8_t>(5000, 9));
    setIni("TTFontDirectory", "c:\\program files\\ferrowind\\pictaro");
    open();
    QStringList listed;
    whenModal([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_TRUE(chooser);
        EXPECT_EQ(chooser->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(chooser->nameFilters(), QStringList{"TTF (*.TTF)"});
        auto* model = chooser->findChild<QFileSystemModel*>();
        ASSERT_TRUE(model);
        const QModelIndex root = model->index(QString::fromStdString(fonts));
        EXPECT_TRUE(QTest::qWaitFor([&] { return model->rowCount(root) >= 2; }, 20000));
        for (int row = 0; row < model->rowCount(root); ++row) listed << model->index(row, 0, root).data().toString();
        // Typed into the name field: selectFile leaves the field alone while it has the focus.
        chooser->findChild<QLineEdit*>("fileNameEdit")->setText("\"Alpha.ttf\" \"BETA.TTF\"");
        QMetaObject::invokeMethod(chooser, "accept");
    });
    click(kIdInstallFonts);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"Alpha.ttf", "BETA.TTF"}));
    EXPECT_EQ(queue.names("Ann"), (std::vector<std::string>{"Alpha.ttf.pdb", "BETA.TTF.pdb"}));
    EXPECT_EQ(shown, std::vector<std::string>{"Install Fonts|2 fonts were queued for Ann's next HotSync:\nAlpha.ttf\nBETA.TTF"});
}

TEST_F(ConduitDialogWindow, CancellingTheOpenDialogQueuesNothing) {
    open();
    FontChooser chooser(dialog.get());
    const struct {
        std::string folder;
        QString shown;
    } cases[] = {
        {dir.path(), QString::fromStdString(dir.path())},
        {dir.path() + "/missing", QDir::currentPath()},  // no name typed for the user either
    };
    for (const auto& c : cases) {
        whenModal([&](QWidget* modal) {
            auto* files = qobject_cast<QFileDialog*>(modal);
            ASSERT_TRUE(files);
            EXPECT_EQ(files->directory().absolutePath(), c.shown);
            auto* name = files->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_TRUE(name);
            EXPECT_EQ(name->text(), "");
            files->reject();
        });
        EXPECT_EQ(chooser.choose(c.folder), std::nullopt);
    }
}

int main(int argc, char** argv) {
    // Listing the tests needs no display either.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
