// ConduitConfigDlg.h: dialog 101, the conduit's configuration dialog. It shows and edits the
// settings in Pictaro.ini and the HotSync action of the record HotSync passed; what each control
// does is decided by ConduitDialogModel, the window only lays out, connects and displays.
#pragma once

#include "conduit/ConduitDialogModel.h"
#include "conduit/ConduitSettings.h"
#include "conduit/InstallQueue.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class FontFileChooser;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class ConduitConfigDlg : public QDialog {
    Q_OBJECT
public:
    // The folder browser: owner, title, folder to start in; the chosen folder, empty when cancelled.
    using FolderBrowser = std::function<QString(QWidget*, const QString&, const QString&)>;

    // record and file must outlive the dialog; the settings are read from file when it opens and
    // every change is written back to it. modulePath locates the help page. Folders are shown,
    // defaulted and taken on desktop's terms.
    ConduitConfigDlg(ConfigurationRecord& record, SettingsFile& file, std::string modulePath, QWidget* parent = nullptr,
                     const DesktopFolders& desktop = DesktopFolders::ThisDesktop());
    ~ConduitConfigDlg() override;

    // The control with this identifier (as GetDlgItem finds it), or null.
    QWidget* item(int id) const;

    void setFolderBrowser(FolderBrowser browser);
    // The chooser Install Fonts uses; null restores the open-file dialog. Not owned.
    void setFontChooser(FontFileChooser* chooser);
    // The queue Install Fonts hands the wrapped fonts to; null restores the install aide's. Not owned.
    void setInstallQueue(InstallQueue* queue);

    // The settings as the dialog holds them now.
    const PictaroSettings& settings() const { return settings_; }

    // The help window, once Help has opened it.
    QWidget* helpWindow() const;

    // OK: ends the dialog unless the model refuses, whose message is shown.
    void accept() override;
    // Cancel, Escape or closing the window: the record is left as it came.
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void build();
    void showInitial();
    void loadPictures();
    void browseSyncFolder();
    void browseFontFolder();
    void installFonts();
    void showHelp();
    int selectedAction() const;

    SettingsFile& file_;
    PictaroSettings settings_;
    ConduitDialogModel model_;
    std::string modulePath_;
    FolderBrowser browseFolder_;
    std::unique_ptr<FontFileChooser> ownChooser_;
    FontFileChooser* chooser_ = nullptr;
    InstaideQueue instaide_;
    InstallQueue* queue_ = &instaide_;
    DesktopFolders desktop_;
    QGroupBox* userGroup_ = nullptr;
    QLabel* permanentAction_ = nullptr;
    QLabel* temporaryAction_ = nullptr;
    QLineEdit* syncFolder_ = nullptr;
    QPushButton* setSyncFolder_ = nullptr;
    QCheckBox* depth_ = nullptr;
    QCheckBox* density_ = nullptr;
    QCheckBox* compression_ = nullptr;
    QLineEdit* fontFolder_ = nullptr;
    QPushButton* setFontFolder_ = nullptr;
    QPushButton* installFonts_ = nullptr;
    QGroupBox* actionGroup_ = nullptr;
    // Both in the order of the action buttons: synchronize, desktop overwrites, handheld overwrites, nothing.
    std::array<QLabel*, 4> pictures_{};
    std::array<QRadioButton*, 4> actionButtons_{};
    QCheckBox* setAsDefault_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QButtonGroup* actions_ = nullptr;
    QPointer<QWidget> help_;
};
