// Tests of CfgConduit's dialog as HotSync calls it: pictsync loaded with dlopen, driven while its
// dialog is up, in a process with no GUI application of its own (the conduit brings one for the
// dialog's lifetime) and in one that has one.
#include "platform/palmdesk/ConduitRecords.h"
#include "platform/win/PrivateProfile.h"
#include "support/DesktopSandbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstring>
#include <dlfcn.h>
#include <functional>

namespace {
using CfgConduitFunction = std::int32_t (*)(std::int32_t, void*, std::uint32_t*);

// What to do with the dialog once it is up; taken by the first application that starts.
std::function<void(QWidget*)> driver;

void driveWhenModal() {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            if (auto step = std::exchange(driver, {})) step(modal);
        }
    });
    timer->start();
}

void startDriving() {
    if (driver) driveWhenModal();
}

struct Pictsync {
    Pictsync() : handle(dlopen(PICTSYNC_MODULE, RTLD_NOW | RTLD_LOCAL)) {}
    ~Pictsync() {
        if (handle) dlclose(handle);
    }
    CfgConduitFunction cfg() const { return reinterpret_cast<CfgConduitFunction>(dlsym(handle, "CfgConduit")); }
    void* handle;
};

ConfigurationRecord annsRecord() {
    ConfigurationRecord r{};
    r.version = 1;
    r.size = sizeof r;
    r.creator = 0x44724177;
    std::strcpy(r.userName, "Ann");
    r.temporaryAction = 2;
    r.newAction = -7;
    return r;
}

template <typename W>
W* control(QWidget* dialog, const char* id) {
    auto* w = dialog->findChild<W*>(id);
    EXPECT_TRUE(w) << id;
    return w;
}
}  // namespace

TEST(CfgConduitDialog, BringsItsOwnApplicationForTheDialogsLifetime) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    DesktopSandbox sandbox;
    ASSERT_TRUE(win::WritePrivateProfileString("Pictaro", "SyncDir", "/srv/pictures", "Pictaro.ini"));
    Pictsync pictsync;  // loaded after the INI is in place: its settings come from there
    ASSERT_TRUE(pictsync.handle) << dlerror();
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    qAddPreRoutine(&startDriving);
    std::string seen;
    driver = [&](QWidget* dialog) {
        seen = dialog->windowTitle().toStdString() + "|" + control<QGroupBox>(dialog, "1006")->title().toStdString() + "|" +
               control<QLineEdit>(dialog, "1010")->text().toStdString() + "|" +
               (control<QRadioButton>(dialog, "406")->isChecked() ? "406" : "?");
        control<QRadioButton>(dialog, "405")->click();
        control<QCheckBox>(dialog, "411")->click();
        control<QPushButton>(dialog, "1")->click();
    };
    ConfigurationRecord record = annsRecord();
    std::uint32_t size = sizeof record;
    EXPECT_EQ(pictsync.cfg()(0, &record, &size), 0);
    EXPECT_EQ(seen, "Generic DrAw Conduit|Ann's Current Settings:|/srv/pictures|406");
    EXPECT_EQ(record.newAction, 3);
    EXPECT_EQ(record.preference, kPreferencePermanent);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);  // gone with the dialog
    char folder[64];
    win::GetPrivateProfileString("Pictaro", "TTFontDirectory", "", folder, sizeof folder, "Pictaro.ini");
    EXPECT_STREQ(folder, "c:\\program files\\ferrowind\\pictaro");
}

TEST(CfgConduitDialog, UsesTheCallersApplicationAndCancelLeavesTheRecord) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    DesktopSandbox sandbox;
    Pictsync pictsync;
    int argc = 1;
    char name[] = "host";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    driver = [](QWidget* dialog) {
        control<QRadioButton>(dialog, "407")->click();
        control<QPushButton>(dialog, "2")->click();
    };
    driveWhenModal();
    ConfigurationRecord record = annsRecord();
    std::uint32_t size = sizeof record;
    EXPECT_EQ(pictsync.cfg()(0, &record, &size), 0);
    EXPECT_FALSE(driver);  // the dialog was up
    EXPECT_EQ(QCoreApplication::instance(), &app);
    EXPECT_EQ(record.newAction, -7);
    EXPECT_EQ(record.preference, 0);
}
