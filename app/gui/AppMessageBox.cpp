// AppMessageBox.cpp: Win32 box types over QMessageBox, and the Open and Save dialogs.
#include "AppMessageBox.h"

#include "CentreOn.h"
#include "WholeCaption.h"
#include "app/DocumentCommands.h"
#include "app/MessageBoxStyle.h"
#include "resources/converter/ConverterStrings.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWindow>

namespace {
std::string g_caption;
QPointer<QWidget> g_owner;

QMessageBox::Icon iconOf(std::uint32_t type) {
    switch (type & win::MB_ICONMASK) {
    case win::MB_ICONHAND: return QMessageBox::Critical;
    case win::MB_ICONQUESTION: return QMessageBox::Question;
    case win::MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case win::MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton escape;
};

ButtonSet buttonsOf(std::uint32_t type) {
    switch (type & win::MB_TYPEMASK) {
    case win::MB_OKCANCEL: return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel};
    case win::MB_ABORTRETRYIGNORE: return {QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::NoButton};
    case win::MB_YESNOCANCEL: return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel};
    case win::MB_YESNO: return {QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton};
    case win::MB_RETRYCANCEL: return {QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Cancel};
    default: return {QMessageBox::Ok, QMessageBox::Ok};
    }
}

int idOf(int button) {
    switch (button) {
    case QMessageBox::Ok: return win::IDOK;
    case QMessageBox::Cancel: return win::IDCANCEL;
    case QMessageBox::Abort: return win::IDABORT;
    case QMessageBox::Retry: return win::IDRETRY;
    case QMessageBox::Ignore: return win::IDIGNORE;
    case QMessageBox::Yes: return win::IDYES;
    case QMessageBox::No: return win::IDNO;
    default: return win::IDCANCEL;
    }
}

std::string captionNow() {
    if (!g_caption.empty()) return g_caption;
    return QCoreApplication::applicationFilePath().toStdString();
}
}  // namespace

void SetMessageBoxCaption(const std::string& caption) { g_caption = caption; }
void SetMessageBoxOwner(QWidget* owner) { g_owner = owner; }

int AppMessageBox(const std::string& text, std::uint32_t type) { return AppMessageBox(text, type, std::string()); }

int AppMessageBox(const std::string& text, std::uint32_t type, const std::string& informative) {
    type = WithConverterIcon(type);
    const ButtonSet set = buttonsOf(type);
    // The box is a window of its own, so that disabling the owner leaves the box usable; it stays
    // above the owner and in its middle.
    QMessageBox box(iconOf(type), QString::fromStdString(captionNow()), QString::fromStdString(text), set.buttons);
    box.setWindowModality(Qt::ApplicationModal);
    if (!informative.empty()) box.setInformativeText(QString::fromStdString(informative));
    if (set.escape != QMessageBox::NoButton) box.setEscapeButton(set.escape);
    KeepCaptionWhole(box);
    QWidget* owner = g_owner.data();
    if (owner) {
        box.winId();
        if (box.windowHandle() && owner->window()->windowHandle())
            box.windowHandle()->setTransientParent(owner->window()->windowHandle());
        box.adjustSize();
        CentreOn(&box, owner);
        owner->setEnabled(false);
    }
    const int pressed = box.exec();
    if (owner && g_owner) owner->setEnabled(true);
    return idOf(pressed);
}

int AppMessageBox(std::uint32_t stringId, std::uint32_t type) {
    return AppMessageBox(converter::LoadConverterString(stringId), type);
}

std::optional<std::string> AskTypeholdPath(QWidget* owner, FileDialogKind kind, const std::string& proposedName,
                                           std::size_t bufferChars) {
    const bool save = kind == FileDialogKind::Save;
    const QString extension = QString::fromStdString(converter::LoadConverterString(converter::kStrFileExtension));
    const QString filterName = QString::fromStdString(converter::LoadConverterString(converter::kStrFileFilterName));
    QFileDialog dialog(owner, QString(), QString(), filterName + " (*." + extension + ")");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(extension);
    if (!proposedName.empty()) dialog.selectFile(QString::fromStdString(proposedName));
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        const std::string chosen = dialog.selectedFiles().front().toStdString();
        // The path must exist: a file cannot be saved into a folder that is not there.
        const auto missing = save ? MissingFolderText(chosen) : std::nullopt;
        if (!missing) return PathFittingBuffer(chosen, bufferChars);
        AppMessageBox(*missing, win::MB_OK);
        dialog.selectFile(dialog.selectedFiles().front());
    }
}

bool ShowOutcome(const Outcome& outcome) {
    for (const OutcomeMessage& message : outcome.Messages()) AppMessageBox(message.Text(), win::MB_OK, message.details);
    return outcome.Ok();
}

SaveChoice ConverterDocumentUi::AskSaveChanges(const std::string& question) {
    switch (AppMessageBox(question, win::MB_YESNOCANCEL | win::MB_ICONWARNING)) {
    case win::IDYES: return SaveChoice::Save;
    case win::IDNO: return SaveChoice::Discard;
    default: return SaveChoice::Cancel;
    }
}

bool ConverterDocumentUi::AskOverwriteChanged(const std::string& question) {
    return AppMessageBox(question, win::MB_OKCANCEL | win::MB_ICONWARNING) == win::IDOK;
}

std::optional<std::string> ConverterDocumentUi::AskSavePath(const std::string& proposedName) {
    return AskTypeholdPath(g_owner.data(), FileDialogKind::Save, proposedName, kSaveDialogBuffer);
}

void ConverterDocumentUi::ShowWaitCursor(bool on) {
    if (on) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}
