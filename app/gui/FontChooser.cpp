// FontChooser.cpp: Qt's font dialog, narrowed to the catalog's families.
#include "FontChooser.h"

#include "app/FontCatalog.h"

#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QListView>
#include <QStringListModel>

namespace {
// Keeps the families of the dialog's family list that the catalog knows. The dialog fills that
// list from the writing-system box, which is hidden so that the list stays as it is left here.
void keepCatalogFamilies(QFontDialog& dialog, const FontCatalog& catalog) {
    for (QListView* view : dialog.findChildren<QListView*>()) {
        auto* model = qobject_cast<QStringListModel*>(view->model());
        if (!model) continue;
        // The family list is the one holding a name the catalog knows.
        QStringList known;
        for (const QString& name : model->stringList())
            if (catalog.Find(name.toStdString(), std::nullopt)) known << name;
        if (known.isEmpty()) continue;
        model->setStringList(known);
        view->clearSelection();
        break;
    }
    for (QComboBox* box : dialog.findChildren<QComboBox*>()) box->hide();
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->buddy() && qobject_cast<QComboBox*>(label->buddy())) label->hide();
}
}  // namespace

std::optional<QFont> ChooseCatalogFont(QWidget* owner, const FontCatalog& catalog) {
    QFontDialog dialog(owner);
    dialog.setOptions(QFontDialog::DontUseNativeDialog | QFontDialog::ScalableFonts);
    keepCatalogFamilies(dialog, catalog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.selectedFont();
}
