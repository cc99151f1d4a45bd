// RunConfigurationDialog.cpp: CfgConduit's dialog step. HotSync may be a program without windows
// of its own, so the dialog brings its application object along when the process has none.
#include "ConfigurationDialog.h"

#include "ConduitConfigDlg.h"
#include "MessageWindow.h"
#include "conduit/ConduitMessages.h"
#include "conduit/ConduitSettings.h"
#include "resources/conduit/ConduitStrings.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <memory>

namespace {
QPointer<QWidget> messageOwner;

void showInWindow(const std::string& text, const std::string& caption) {
    const std::unique_ptr<QMessageBox> box(
        MakeConduitMessageBox(messageOwner, QString::fromStdString(text), QString::fromStdString(caption)));
    box->exec();
}

// Without a display the toolkit would end the process; a platform named outright is trusted.
bool haveDisplay() {
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void cannotShow(const std::string& why) {
    ConduitMessageBox(why, conduit::LoadConduitString(conduit::kStrConduitName).value_or(""));
}
}  // namespace

void RunConfigurationDialog(ConfigurationRecord& record, const std::string& modulePath) {
    std::unique_ptr<QApplication> ownApplication;
    if (QCoreApplication::instance() == nullptr) {
        if (!haveDisplay()) {
            cannotShow("The configuration dialog needs a display; nothing was changed.");
            return;
        }
        static int argc = 1;
        static char name[] = "pictsync";
        static char* argv[] = {name, nullptr};
        ownApplication = std::make_unique<QApplication>(argc, argv);
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        cannotShow("The configuration dialog needs a program with windows; nothing was changed.");
        return;
    }
    PictaroIni ini;
    ConduitConfigDlg dialog(record, ini, modulePath, QApplication::activeWindow());
    messageOwner = &dialog;
    const ConduitMessageHandler previous = SetConduitMessageHandler(&showInWindow);
    dialog.exec();
    SetConduitMessageHandler(previous);
    messageOwner = nullptr;
}
