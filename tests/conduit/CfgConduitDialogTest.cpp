// Tests of CfgConduit's dialog as HotSync calls it: pictsync loaded with dlopen, driven while its
// dialog is up, in a process with no GUI application of its own (the conduit brings one for the
// dialog's lifetime) and in one that has one.
#include "palmdesk/ConduitRecords.h"
#include "platform/win/PrivateProfile.h"
#include "support/DesktopSandbox.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <optional>

namespace {
using CfgConduitFunction = std::int32_t (*)(std::int32_t, void*, std::uint32_t*);

// What to do with the dialog once it is up; taken by the first application that starts.
std::function<void(QWidget*)> driver;

// Runs step on the first modal window that `wanted` accepts.
void whenModal(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> step) {
    auto* timer = new QTimer(QCoreApplication::instance());  // gone with the application at the latest
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, wanted, step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && wanted(modal)) {
            timer->stop();
            timer->deleteLater();
            step(modal);
        }
    });
    timer->start();
}

void driveWhenModal() {
    whenModal([](QWidget*) { return true; }, [](QWidget* modal) {
        if (auto step = std::exchange(driver, {})) step(modal);
    });
}

void startDriving() {
    if (driver) driveWhenModal();
}

// Each test starts with no step left over from another, Qt on the offscreen platform, and every
// application that starts (the conduit's own included) driving the dialog. The start-up routine
// is added once: Qt keeps it for every later application of the process.
void prepare() {
    static const bool once = [] {
        qAddPreRoutine(&startDriving);
        return true;
    }();
    (void)once;
    driver = {};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// PALMDESK_ROOT pointed at a folder until the end of the scope, then as it was.
class RootPointedAt {
public:
    explicit RootPointedAt(const std::string& root) {
        if (const char* old = std::getenv("PALMDESK_ROOT")) previous_ = old;
        ::setenv("PALMDESK_ROOT", root.c_str(), 1);
    }
    ~RootPointedAt() {
        if (previous_) ::setenv("PALMDESK_ROOT", previous_->c_str(), 1);
        else ::unsetenv("PALMDESK_ROOT");
    }
    RootPointedAt(const RootPointedAt&) = delete;
    RootPointedAt& operator=(const RootPointedAt&) = delete;

private:
    std::optional<std::string> previous_;
};

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
W* control(QWidget* dialog, const char* name) {
    auto* w = dialog->findChild<W*>(name);
    EXPECT_TRUE(w) << name;
    return w;
}
}  // namespace

TEST(CfgConduitDialog, BringsItsOwnApplicationForTheDialogsLifetime) {
    prepare();
    DesktopSandbox sandbox;
    ASSERT_TRUE(win::WritePrivateProfileString("Pictaro", "SyncDir", "/srv/pictures", "Pictaro.ini"));
    Pictsync pictsync;
    ASSERT_TRUE(pictsync.handle) << dlerror();
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    std::string seen;
    driver = [&](QWidget* dialog) {
        seen = dialog->windowTitle().toStdString() + "|" +
               control<QGroupBox>(dialog, "userGroup")->title().toStdString() + "|" +
               control<QLineEdit>(dialog, "syncFolder")->text().toStdString() + "|" +
               (control<QRadioButton>(dialog, "actionHandheldOverwrites")->isChecked() ? "406" : "?");
        control<QRadioButton>(dialog, "actionDesktopOverwrites")->click();
        control<QCheckBox>(dialog, "setAsDefault")->click();
        control<QPushButton>(dialog, "ok")->click();
    };
    ConfigurationRecord record = annsRecord();
    std::uint32_t size = sizeof record;
    EXPECT_EQ(pictsync.cfg()(0, &record, &size), 0);
    EXPECT_EQ(seen, "Generic DrAw Conduit|Ann's Current Settings:|/srv/pictures|406");
    EXPECT_EQ(record.newAction, 3);
    EXPECT_EQ(record.preference, kPreferencePermanent);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);  // gone with the dialog
    // OK writes the font folder shown: the desktop's own where none was stored.
    char folder[256];
    win::GetPrivateProfileString("Pictaro", "TTFontDirectory", "", folder, sizeof folder, "Pictaro.ini");
    EXPECT_EQ(folder[0], '/') << folder;
    EXPECT_NE(std::string(folder).find("fonts"), std::string::npos) << folder;
}

TEST(CfgConduitDialog, UsesTheCallersApplicationAndCancelLeavesTheRecord) {
    prepare();
    DesktopSandbox sandbox;
    Pictsync pictsync;
    int argc = 1;
    char name[] = "host";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    driver = [](QWidget* dialog) {
        control<QRadioButton>(dialog, "actionNothing")->click();
        control<QPushButton>(dialog, "cancel")->click();
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

TEST(CfgConduitDialog, InstallFontsQueuesFontsThatTheNextSyncDelivers) {
    prepare();
    TempDir scratch;
    const auto hotsync = [&](const std::string& args) { return runTool(HOTSYNC_BIN, args, scratch.path()); };
    ASSERT_EQ(hotsync("init").exitCode, 0);
    ASSERT_EQ(hotsync("user add Ann").exitCode, 0);
    std::optional<RootPointedAt> root(std::in_place, scratch.path() + "/palmdesk");
    writeWholeFile(scratch.file("Fancy.ttf"), std::vector<std::uint8_t>(5000, 3));
    writeWholeFile(scratch.file("Plain.TTF"), std::vector<std::uint8_t>(10, 4));
    Pictsync pictsync;
    std::string told;
    driver = [&](QWidget* dialog) {
        // The message that says what was queued.
        whenModal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }, [&](QWidget* w) {
            told = static_cast<QMessageBox*>(w)->text().toStdString();
            static_cast<QMessageBox*>(w)->accept();
        });
        whenModal([](QWidget* w) { return qobject_cast<QFileDialog*>(w) != nullptr; }, [&](QWidget* w) {
            auto* chooser = static_cast<QFileDialog*>(w);
            chooser->setDirectory(QString::fromStdString(scratch.path()));
            // Typed into the name field: selectFile leaves the field alone while it has the focus.
            chooser->findChild<QLineEdit*>("fileNameEdit")->setText("\"Fancy.ttf\" \"Plain.TTF\"");
            QMetaObject::invokeMethod(chooser, "accept");
        });
        control<QPushButton>(dialog, "installFonts")->click();
        control<QPushButton>(dialog, "cancel")->click();
    };
    ConfigurationRecord record = annsRecord();
    std::uint32_t size = sizeof record;
    EXPECT_EQ(pictsync.cfg()(0, &record, &size), 0);
    root.reset();
    EXPECT_EQ(hotsync("queue --user Ann").out, "Fancy.ttf.pdb\nPlain.TTF.pdb\n");
    EXPECT_EQ(told, "2 fonts were queued for Ann's next HotSync:\nFancy.ttf\nPlain.TTF");
    ASSERT_EQ(hotsync("sync --user Ann --type nothing").exitCode, 0);
    const std::string store = hotsync("store --user Ann").out;
    EXPECT_NE(store.find("Fancy.ttf                       ttfn TTFt 0x0080      2 records"), std::string::npos) << store;
    EXPECT_NE(store.find("Plain.TTF                       ttfn TTFt 0x0080      1 records"), std::string::npos) << store;
}
