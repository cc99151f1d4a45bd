// ConduitConfigDlg.cpp
#include "ConduitConfigDlg.h"

#include "FontChooser.h"
#include "HelpWindow.h"
#include "conduit/ConduitMessages.h"
#include "platform/win/WindowsPath.h"
#include "resources/conduit/ActionPictures.h"
#include "resources/conduit/ConduitDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
using namespace conduit;
using namespace conduit::dialog_text;

QString qs(const char* text) { return QString::fromUtf8(text); }
QString qs(const std::string& text) { return QString::fromStdString(text); }

// A folder box shows the start of its text, as a fresh edit box does.
void showFolder(QLineEdit* box, const QString& folder) {
    box->setText(folder);
    box->setCursorPosition(0);
}

// The folder a browser opens in: the box's text, resolved.
QString startFolder(const QLineEdit* box) { return qs(win::ResolveWindowsPath(box->text().toStdString())); }

// The picture with its light grey ground in the button colour of palette.
QPixmap mappedPicture(int bitmapId, const QPalette& palette) {
    const auto pixels = MapPictureColour(ActionPicture(bitmapId), kPictureGround, palette.color(QPalette::Button).rgb() & 0xFFFFFF);
    QImage image(kActionPictureWidth, kActionPictureHeight, QImage::Format_RGB32);
    for (int y = 0; y < kActionPictureHeight; ++y)
        for (int x = 0; x < kActionPictureWidth; ++x)
            image.setPixel(x, y, 0xFF000000u | pixels[std::size_t(y * kActionPictureWidth + x)]);
    return QPixmap::fromImage(image);
}

QString browseWithDialog(QWidget* owner, const QString& title, const QString& start) {
    // Only folders of the file system can be chosen.
    return QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

// The action buttons top to bottom: the picture beside each, the button and its text.
struct ActionRow {
    int pictureId;
    int bitmapId;
    int buttonId;
    const char* text;
    const char* name;
};
constexpr ActionRow kActionRows[] = {
    {kIdPictureSync, kBitmapSync, kIdActionSync, kActionSync, "actionSync"},
    {kIdPictureDesktopOverwrites, kBitmapDesktopOverwrites, kIdActionDesktopOverwrites, kActionDesktopOverwrites,
     "actionDesktopOverwrites"},
    {kIdPictureHandheldOverwrites, kBitmapHandheldOverwrites, kIdActionHandheldOverwrites, kActionHandheldOverwrites,
     "actionHandheldOverwrites"},
    {kIdPictureNothing, kBitmapNothing, kIdActionNothing, kActionNothing, "actionNothing"},
};
constexpr std::size_t kActionCount = std::size(kActionRows);
}  // namespace

ConduitConfigDlg::ConduitConfigDlg(ConfigurationRecord& record, SettingsFile& file, std::string modulePath, QWidget* parent,
                                   const DesktopFolders& desktop)
    : QDialog(parent), file_(file), settings_(LoadSettings(file, desktop)), model_(record, settings_, file_, desktop),
      modulePath_(std::move(modulePath)), browseFolder_(&browseWithDialog), desktop_(desktop) {
    build();
    showInitial();
}

ConduitConfigDlg::~ConduitConfigDlg() = default;

QWidget* ConduitConfigDlg::item(int id) const {
    for (std::size_t row = 0; row < kActionCount; ++row) {
        if (id == kActionRows[row].pictureId) return pictures_[row];
        if (id == kActionRows[row].buttonId) return actionButtons_[row];
    }
    switch (id) {
    case kIdOk: return ok_;
    case kIdCancel: return cancel_;
    case kIdHelp: return helpButton_;
    case kIdActionGroup: return actionGroup_;
    case kIdSetAsDefault: return setAsDefault_;
    case kIdPermanentAction: return permanentAction_;
    case kIdTemporaryAction: return temporaryAction_;
    case kIdUserGroup: return userGroup_;
    case kIdSetSyncFolder: return setSyncFolder_;
    case kIdSyncFolder: return syncFolder_;
    case kIdFontFolder: return fontFolder_;
    case kIdDepth: return depth_;
    case kIdDensity: return density_;
    case kIdCompression: return compression_;
    case kIdInstallFonts: return installFonts_;
    case kIdSetFontFolder: return setFontFolder_;
    default: return nullptr;
    }
}

void ConduitConfigDlg::setFolderBrowser(FolderBrowser browser) { browseFolder_ = browser ? std::move(browser) : &browseWithDialog; }

void ConduitConfigDlg::setFontChooser(FontFileChooser* chooser) { chooser_ = chooser; }

void ConduitConfigDlg::setInstallQueue(InstallQueue* queue) { queue_ = queue ? queue : &instaide_; }

QWidget* ConduitConfigDlg::helpWindow() const { return help_; }

void ConduitConfigDlg::build() {
    // Only the controls a caller outside this class looks for carry a name.
    const auto named = [](auto* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    userGroup_ = named(new QGroupBox(qs(kUserGroup)), "userGroup");
    auto* userGrid = new QGridLayout(userGroup_);
    permanentAction_ = new QLabel(qs(kStatic));
    temporaryAction_ = new QLabel(qs(kStatic));
    userGrid->addWidget(new QLabel(qs(kDefaultActionLabel)), 0, 0);
    userGrid->addWidget(permanentAction_, 0, 1);
    userGrid->addWidget(new QLabel(qs(kNextActionLabel)), 1, 0);
    userGrid->addWidget(temporaryAction_, 1, 1);
    userGrid->setColumnStretch(1, 1);

    // A folder field on the first row of grid: its label, the field and its "Set Folder" button.
    const auto folderRow = [](QGridLayout* grid, const char* label, QLineEdit* edit, QPushButton*& button) {
        edit->setMaxLength(kFolderTextLimit);
        auto* caption = new QLabel(qs(label));
        caption->setBuddy(edit);
        grid->addWidget(caption, 0, 0);
        grid->addWidget(edit, 0, 1);
        button = new QPushButton(qs(kSetFolder));
        grid->addWidget(button, 0, 2);
    };

    auto* syncGroup = new QGroupBox(qs(kSyncSettingsGroup));
    auto* syncGrid = new QGridLayout(syncGroup);
    syncFolder_ = named(new QLineEdit, "syncFolder");
    folderRow(syncGrid, kSyncFolderLabel, syncFolder_, setSyncFolder_);
    depth_ = new QCheckBox(qs(kDepth));
    density_ = new QCheckBox(qs(kDensity));
    compression_ = new QCheckBox(qs(kCompression));
    syncGrid->addWidget(depth_, 1, 0, 1, 3);
    syncGrid->addWidget(density_, 2, 0, 1, 3);
    syncGrid->addWidget(compression_, 3, 0, 1, 3);

    auto* fontGroup = new QGroupBox(qs(kFontsGroup));
    auto* fontGrid = new QGridLayout(fontGroup);
    fontFolder_ = new QLineEdit;
    folderRow(fontGrid, kFontFolderLabel, fontFolder_, setFontFolder_);
    installFonts_ = named(new QPushButton(qs(kInstallFonts)), "installFonts");
    fontGrid->addWidget(installFonts_, 1, 2);

    actionGroup_ = new QGroupBox(qs(kActionGroup));
    auto* actionGrid = new QGridLayout(actionGroup_);
    actions_ = new QButtonGroup(this);
    for (std::size_t row = 0; row < kActionCount; ++row) {
        const ActionRow& action = kActionRows[row];
        auto* picture = new QLabel;
        picture->setFixedSize(kActionPictureWidth, kActionPictureHeight);
        auto* radio = named(new QRadioButton(qs(action.text)), action.name);
        actions_->addButton(radio, action.buttonId);
        actionGrid->addWidget(picture, int(row), 0);
        actionGrid->addWidget(radio, int(row), 1);
        pictures_[row] = picture;
        actionButtons_[row] = radio;
    }
    setAsDefault_ = named(new QCheckBox(qs(kSetAsDefault)), "setAsDefault");
    actionGrid->addWidget(setAsDefault_, int(kActionCount), 0, 1, 2);
    actionGrid->setColumnStretch(1, 1);

    ok_ = named(new QPushButton(qs(kOk)), "ok");
    cancel_ = named(new QPushButton(qs(kCancel)), "cancel");
    helpButton_ = new QPushButton(qs(kHelp));
    ok_->setDefault(true);
    auto* buttonColumn = new QVBoxLayout;
    buttonColumn->addWidget(ok_);
    buttonColumn->addWidget(cancel_);
    buttonColumn->addWidget(helpButton_);
    buttonColumn->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(actionGroup_, 1);
    bottom->addLayout(buttonColumn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(userGroup_);
    layout->addWidget(syncGroup);
    layout->addWidget(fontGroup);
    layout->addLayout(bottom);
    setMinimumWidth(400);

    // Plain clicks only: setting a box from the settings writes nothing.
    connect(depth_, &QCheckBox::clicked, this, [this](bool on) { model_.depthClicked(on); });
    connect(density_, &QCheckBox::clicked, this, [this](bool on) { model_.densityClicked(on); });
    connect(compression_, &QCheckBox::clicked, this, [this](bool on) { model_.compressionClicked(on); });
    connect(setSyncFolder_, &QPushButton::clicked, this, &ConduitConfigDlg::browseSyncFolder);
    connect(setFontFolder_, &QPushButton::clicked, this, &ConduitConfigDlg::browseFontFolder);
    connect(installFonts_, &QPushButton::clicked, this, &ConduitConfigDlg::installFonts);
    connect(ok_, &QPushButton::clicked, this, &ConduitConfigDlg::accept);
    connect(cancel_, &QPushButton::clicked, this, &ConduitConfigDlg::reject);
    connect(helpButton_, &QPushButton::clicked, this, &ConduitConfigDlg::showHelp);
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, &ConduitConfigDlg::showHelp);
}

void ConduitConfigDlg::showInitial() {
    const auto s = model_.initial();
    setWindowTitle(qs(s.caption));
    actionGroup_->setTitle(qs(s.actionGroup));
    showFolder(syncFolder_, qs(s.syncFolder));
    showFolder(fontFolder_, qs(s.fontFolder));
    density_->setChecked(s.density);
    depth_->setChecked(s.depth);
    compression_->setChecked(s.compression);
    loadPictures();
    actions_->button(s.actionButton)->setChecked(true);
    if (s.userLine) {
        temporaryAction_->setText(qs(*s.temporaryText));
        permanentAction_->setText(qs(*s.permanentText));
        userGroup_->setTitle(qs(*s.userLine));
    }
}

void ConduitConfigDlg::loadPictures() {
    for (std::size_t row = 0; row < kActionCount; ++row)
        if (QLabel* picture = pictures_[row]) picture->setPixmap(mappedPicture(kActionRows[row].bitmapId, palette()));
}

void ConduitConfigDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) loadPictures();
    QDialog::changeEvent(event);
}

void ConduitConfigDlg::browseSyncFolder() {
    const QString start = startFolder(syncFolder_);
    const QString chosen = browseFolder_(this, qs(kBrowseSyncFolder), start);
    const std::string shown = model_.syncFolderBrowsed(QDir::toNativeSeparators(chosen).toStdString());
    showFolder(syncFolder_, qs(shown));
}

void ConduitConfigDlg::browseFontFolder() {
    const QString start = startFolder(fontFolder_);
    const QString chosen = QDir::toNativeSeparators(browseFolder_(this, qs(kBrowseFontFolder), start));
    if (model_.fontFolderBrowsed(chosen.toStdString())) showFolder(fontFolder_, chosen);
}

void ConduitConfigDlg::installFonts() {
    FontFileChooser* chooser = chooser_;
    if (chooser == nullptr) {
        if (!ownChooser_) ownChooser_ = std::make_unique<FontChooser>(this);
        chooser = ownChooser_.get();
    }
    InstallFonts(file_, *chooser, *queue_, model_.userName(), fontFolder_->text().toStdString(), desktop_);
}

int ConduitConfigDlg::selectedAction() const { return actions_->checkedId(); }

void ConduitConfigDlg::accept() {
    const auto refusal = model_.ok(selectedAction(), setAsDefault_->isChecked(), syncFolder_->text().toStdString(),
                                   fontFolder_->text().toStdString());
    if (refusal) {
        ConduitMessageBox(refusal->text, refusal->caption);
        return;
    }
    QDialog::accept();
}

void ConduitConfigDlg::reject() {
    model_.cancelled();
    QDialog::reject();
}

void ConduitConfigDlg::showHelp() {
    const auto file = ConduitDialogModel::helpFile(modulePath_);
    if (!file) return;
    if (help_) {
        help_->show();
        help_->raise();
        help_->activateWindow();
        return;
    }
    if (!QFileInfo(qs(*file)).isReadable()) {
        ConduitMessageBox("The help file \"" + *file + "\" cannot be opened.", "Help");
        return;
    }
    help_ = new HelpWindow(qs(*file), this);
    help_->show();
}
