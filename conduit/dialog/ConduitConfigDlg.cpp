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
void showFolder(QWidget* box, const QString& folder) {
    auto* edit = static_cast<QLineEdit*>(box);
    edit->setText(folder);
    edit->setCursorPosition(0);
}

// The folder a browser opens in: the box's text, resolved.
QString startFolder(QWidget* box) {
    return qs(win::ResolveWindowsPath(static_cast<QLineEdit*>(box)->text().toStdString()));
}

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

constexpr int kPictures[][2] = {
    {kIdPictureSync, kBitmapSync},
    {kIdPictureDesktopOverwrites, kBitmapDesktopOverwrites},
    {kIdPictureHandheldOverwrites, kBitmapHandheldOverwrites},
    {kIdPictureNothing, kBitmapNothing},
};
}  // namespace

ConduitConfigDlg::ConduitConfigDlg(ConfigurationRecord& record, SettingsFile& file, std::string modulePath, QWidget* parent,
                                   const DesktopFolders& desktop)
    : QDialog(parent), file_(file), settings_(LoadSettings(file, desktop)), model_(record, settings_, file_, desktop),
      modulePath_(std::move(modulePath)), browseFolder_(&browseWithDialog), desktop_(desktop) {
    setObjectName(QString::number(kDialogConfigure));
    build();
    showInitial();
}

ConduitConfigDlg::~ConduitConfigDlg() = default;

QWidget* ConduitConfigDlg::item(int id) const {
    const auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

void ConduitConfigDlg::setFolderBrowser(FolderBrowser browser) { browseFolder_ = browser ? std::move(browser) : &browseWithDialog; }

void ConduitConfigDlg::setFontChooser(FontFileChooser* chooser) { chooser_ = chooser; }

void ConduitConfigDlg::setInstallQueue(InstallQueue* queue) { queue_ = queue ? queue : &instaide_; }

QWidget* ConduitConfigDlg::helpWindow() const { return help_; }

void ConduitConfigDlg::build() {
    const auto keep = [this](int id, QWidget* w) {
        w->setObjectName(QString::number(id));
        items_[id] = w;
        return w;
    };
    auto* userGroup = static_cast<QGroupBox*>(keep(kIdUserGroup, new QGroupBox(qs(kUserGroup))));
    auto* userGrid = new QGridLayout(userGroup);
    userGrid->addWidget(new QLabel(qs(kDefaultActionLabel)), 0, 0);
    userGrid->addWidget(keep(kIdPermanentAction, new QLabel(qs(kStatic))), 0, 1);
    userGrid->addWidget(new QLabel(qs(kNextActionLabel)), 1, 0);
    userGrid->addWidget(keep(kIdTemporaryAction, new QLabel(qs(kStatic))), 1, 1);
    userGrid->setColumnStretch(1, 1);

    // A folder field on the first row of grid: its label, the field and its "Set Folder" button.
    const auto folderRow = [&](QGridLayout* grid, const char* label, int editId, int buttonId) {
        auto* edit = static_cast<QLineEdit*>(keep(editId, new QLineEdit));
        edit->setMaxLength(kFolderTextLimit);
        auto* caption = new QLabel(qs(label));
        caption->setBuddy(edit);
        grid->addWidget(caption, 0, 0);
        grid->addWidget(edit, 0, 1);
        auto* button = static_cast<QPushButton*>(keep(buttonId, new QPushButton(qs(kSetFolder))));
        grid->addWidget(button, 0, 2);
        return button;
    };

    auto* syncGroup = new QGroupBox(qs(kSyncSettingsGroup));
    auto* syncGrid = new QGridLayout(syncGroup);
    QPushButton* setSync = folderRow(syncGrid, kSyncFolderLabel, kIdSyncFolder, kIdSetSyncFolder);
    auto* depth = static_cast<QCheckBox*>(keep(kIdDepth, new QCheckBox(qs(kDepth))));
    auto* density = static_cast<QCheckBox*>(keep(kIdDensity, new QCheckBox(qs(kDensity))));
    auto* compression = static_cast<QCheckBox*>(keep(kIdCompression, new QCheckBox(qs(kCompression))));
    syncGrid->addWidget(depth, 1, 0, 1, 3);
    syncGrid->addWidget(density, 2, 0, 1, 3);
    syncGrid->addWidget(compression, 3, 0, 1, 3);

    auto* fontGroup = new QGroupBox(qs(kFontsGroup));
    auto* fontGrid = new QGridLayout(fontGroup);
    QPushButton* setFont = folderRow(fontGrid, kFontFolderLabel, kIdFontFolder, kIdSetFontFolder);
    auto* install = static_cast<QPushButton*>(keep(kIdInstallFonts, new QPushButton(qs(kInstallFonts))));
    fontGrid->addWidget(install, 1, 2);

    auto* actionGroup = static_cast<QGroupBox*>(keep(kIdActionGroup, new QGroupBox(qs(kActionGroup))));
    auto* actionGrid = new QGridLayout(actionGroup);
    actions_ = new QButtonGroup(this);
    const std::pair<int, const char*> buttons[] = {
        {kIdActionSync, kActionSync},
        {kIdActionDesktopOverwrites, kActionDesktopOverwrites},
        {kIdActionHandheldOverwrites, kActionHandheldOverwrites},
        {kIdActionNothing, kActionNothing},
    };
    for (int row = 0; row < 4; ++row) {
        auto* picture = new QLabel;
        picture->setFixedSize(kActionPictureWidth, kActionPictureHeight);
        actionGrid->addWidget(keep(kPictures[row][0], picture), row, 0);
        auto* radio = new QRadioButton(qs(buttons[row].second));
        actions_->addButton(radio, buttons[row].first);
        actionGrid->addWidget(keep(buttons[row].first, radio), row, 1);
    }
    auto* setAsDefault = keep(kIdSetAsDefault, new QCheckBox(qs(kSetAsDefault)));
    actionGrid->addWidget(setAsDefault, 4, 0, 1, 2);
    actionGrid->setColumnStretch(1, 1);

    auto* ok = static_cast<QPushButton*>(keep(kIdOk, new QPushButton(qs(kOk))));
    auto* cancel = static_cast<QPushButton*>(keep(kIdCancel, new QPushButton(qs(kCancel))));
    auto* help = static_cast<QPushButton*>(keep(kIdHelp, new QPushButton(qs(kHelp))));
    ok->setDefault(true);
    auto* buttonColumn = new QVBoxLayout;
    buttonColumn->addWidget(ok);
    buttonColumn->addWidget(cancel);
    buttonColumn->addWidget(help);
    buttonColumn->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(actionGroup, 1);
    bottom->addLayout(buttonColumn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(userGroup);
    layout->addWidget(syncGroup);
    layout->addWidget(fontGroup);
    layout->addLayout(bottom);
    setMinimumWidth(400);

    // Plain clicks only: setting a box from the settings writes nothing.
    connect(depth, &QCheckBox::clicked, this, [this](bool on) { model_.depthClicked(on); });
    connect(density, &QCheckBox::clicked, this, [this](bool on) { model_.densityClicked(on); });
    connect(compression, &QCheckBox::clicked, this, [this](bool on) { model_.compressionClicked(on); });
    connect(setSync, &QPushButton::clicked, this, &ConduitConfigDlg::browseSyncFolder);
    connect(setFont, &QPushButton::clicked, this, &ConduitConfigDlg::browseFontFolder);
    connect(install, &QPushButton::clicked, this, &ConduitConfigDlg::installFonts);
    connect(ok, &QPushButton::clicked, this, &ConduitConfigDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &ConduitConfigDlg::reject);
    connect(help, &QPushButton::clicked, this, &ConduitConfigDlg::showHelp);
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, &ConduitConfigDlg::showHelp);
}

void ConduitConfigDlg::showInitial() {
    const auto s = model_.initial();
    setWindowTitle(qs(s.caption));
    static_cast<QGroupBox*>(item(kIdActionGroup))->setTitle(qs(s.actionGroup));
    showFolder(item(kIdSyncFolder), qs(s.syncFolder));
    showFolder(item(kIdFontFolder), qs(s.fontFolder));
    static_cast<QCheckBox*>(item(kIdDensity))->setChecked(s.density);
    static_cast<QCheckBox*>(item(kIdDepth))->setChecked(s.depth);
    static_cast<QCheckBox*>(item(kIdCompression))->setChecked(s.compression);
    loadPictures();
    actions_->button(s.actionButton)->setChecked(true);
    if (s.userLine) {
        static_cast<QLabel*>(item(kIdTemporaryAction))->setText(qs(*s.temporaryText));
        static_cast<QLabel*>(item(kIdPermanentAction))->setText(qs(*s.permanentText));
        static_cast<QGroupBox*>(item(kIdUserGroup))->setTitle(qs(*s.userLine));
    }
}

void ConduitConfigDlg::loadPictures() {
    for (const auto& [control, bitmap] : kPictures)
        if (auto* label = static_cast<QLabel*>(item(control))) label->setPixmap(mappedPicture(bitmap, palette()));
}

void ConduitConfigDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) loadPictures();
    QDialog::changeEvent(event);
}

void ConduitConfigDlg::browseSyncFolder() {
    const QString start = startFolder(item(kIdSyncFolder));
    const QString chosen = browseFolder_(this, qs(kBrowseSyncFolder), start);
    const std::string shown = model_.syncFolderBrowsed(QDir::toNativeSeparators(chosen).toStdString());
    showFolder(item(kIdSyncFolder), qs(shown));
}

void ConduitConfigDlg::browseFontFolder() {
    const QString start = startFolder(item(kIdFontFolder));
    const QString chosen = QDir::toNativeSeparators(browseFolder_(this, qs(kBrowseFontFolder), start));
    if (model_.fontFolderBrowsed(chosen.toStdString())) showFolder(item(kIdFontFolder), chosen);
}

void ConduitConfigDlg::installFonts() {
    FontFileChooser* chooser = chooser_;
    if (chooser == nullptr) {
        if (!ownChooser_) ownChooser_ = std::make_unique<FontChooser>(this);
        chooser = ownChooser_.get();
    }
    InstallFonts(file_, *chooser, *queue_, model_.userName(),
                 static_cast<QLineEdit*>(item(kIdFontFolder))->text().toStdString(), desktop_);
}

int ConduitConfigDlg::selectedAction() const { return actions_->checkedId(); }

void ConduitConfigDlg::accept() {
    const auto refusal = model_.ok(selectedAction(), static_cast<QCheckBox*>(item(kIdSetAsDefault))->isChecked(),
                                   static_cast<QLineEdit*>(item(kIdSyncFolder))->text().toStdString(),
                                   static_cast<QLineEdit*>(item(kIdFontFolder))->text().toStdString());
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
