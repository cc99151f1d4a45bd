// ConduitShots.cpp: renders the conduit's windows offscreen into PNG files of a folder, on a
// desktop of its own in a temporary folder, with settings in memory: the configuration dialog with
// the default settings, with a density of 100 and with a user line; the font chooser; the
// "Invalid path" box; the help window.
// Usage: conduit_shots OUT_DIR
#include "conduit/ConduitSettings.h"
#include "conduit/dialog/ConduitConfigDlg.h"
#include "conduit/dialog/FontChooser.h"
#include "conduit/dialog/HelpWindow.h"
#include "conduit/dialog/MessageWindow.h"
#include "palmdesk/ConduitRecords.h"
#include "platform/win/DesktopRoot.h"
#include "resources/conduit/ConduitDialog.h"
#include "support/FakeDesktopFolders.h"
#include "support/FakeSettingsFile.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {
QString outDir;

bool save(QWidget& window, const char* name) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return false;
    QTest::qWait(50);
    const QString path = outDir + "/" + name;
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "conduit_shots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    window.close();
    return true;
}

ConfigurationRecord record(std::uint32_t creator, const char* user, std::int32_t permanent, std::int32_t temporary) {
    ConfigurationRecord r{};
    r.version = 1;
    r.size = sizeof r;
    r.creator = creator;
    std::strncpy(r.userName, user, sizeof r.userName - 1);
    r.permanentAction = permanent;
    r.temporaryAction = temporary;
    return r;
}

bool dialogShot(ConfigurationRecord r, SettingsFile& settings, const DesktopFolders& desktop, const char* name) {
    ConduitConfigDlg dialog(r, settings, "", nullptr, desktop);
    return save(dialog, name);
}
}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: conduit_shots OUT_DIR\n");
        return 2;
    }
    outDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "conduit_shots: cannot make %s\n", argv[1]);
        return 1;
    }
    const TempDir dir;
    const DesktopFolders desktop = DesktopFoldersIn(dir.path());
    FakeSettingsFile settings;
    bool ok = dialogShot(record(0, "", 0, 0), settings, desktop, "pictsync-dialog-defaults.png");
    settings.values["AcceptedDensity"] = "100";
    ok = dialogShot(record(0, "", 0, 0), settings, desktop, "pictsync-dialog-density100.png") && ok;
    settings.values.erase("AcceptedDensity");
    ok = dialogShot(record(0x44724177, "Demo User", 0, 3), settings, desktop, "pictsync-dialog-user.png") && ok;

    const std::string fonts = desktop.windowsPath("c:\\program files\\ferrowind\\pictaro");
    win::MakeFolders(fonts + "/Extra");
    for (const char* name : {"Bitstream.ttf", "DejaVuSans.ttf", "GARAMOND.TTF", "readme.txt"})
        writeWholeFile(fonts + "/" + name, std::vector<std::uint8_t>(1000, 0));
    std::unique_ptr<QFileDialog> chooser(MakeFontFileDialog(nullptr, QString::fromStdString(fonts)));
    if (auto* model = chooser->findChild<QFileSystemModel*>())
        (void)QTest::qWaitFor([&] { return model->rowCount(model->index(QString::fromStdString(fonts))) >= 4; }, 3000);
    ok = save(*chooser, "pictsync-font-chooser.png") && ok;

    std::unique_ptr<QMessageBox> box(MakeConduitMessageBox(nullptr, conduit::dialog_text::kInvalidFontPath,
                                                           conduit::dialog_text::kInvalidPathCaption));
    ok = save(*box, "pictsync-invalid-path.png") && ok;

    HelpWindow help(QStringLiteral(CONDUIT_HELP_PAGE), nullptr);
    ok = save(help, "pictsync-help.png") && ok;
    return ok ? 0 : 1;
}
