// FontChooser.cpp
#include "FontChooser.h"

#include "resources/conduit/ConduitDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>

#include <memory>

QFileDialog* MakeFontFileDialog(QWidget* owner, const QString& folder) {
    using namespace conduit::dialog_text;
    auto* dialog = new QFileDialog(owner, QStringLiteral("Open"));
    // A font folder that does not exist leaves the dialog in the current folder, with no name typed.
    dialog->setDirectory(!folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::currentPath());
    // The toolkit's own dialog on every desktop, so that the filter matches the same way everywhere.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->resize(760, 460);
    // The detail columns as wide as what they show, the names taking the rest.
    if (auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    dialog->setNameFilter(QStringLiteral("%1 (%2)").arg(QLatin1String(kFontFilter), QLatin1String(kFontPattern)));
    // The dialog's filter leaves out QDir::CaseSensitive, so the pattern also matches "Fancy.ttf".
    return dialog;
}

std::optional<std::vector<std::string>> FontChooser::choose(const std::string& folder) {
    std::unique_ptr<QFileDialog> dialog(MakeFontFileDialog(owner_, QString::fromStdString(folder)));
    if (dialog->exec() != QDialog::Accepted) return std::nullopt;
    std::vector<std::string> paths;
    for (const QString& file : dialog->selectedFiles()) paths.push_back(QDir::toNativeSeparators(file).toStdString());
    return paths;
}
