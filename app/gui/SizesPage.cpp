// SizesPage.cpp: the add-font wizard's sizes page (dialog 202): the 21 point sizes of the settings
// with check marks.
#include "SizesPage.h"

#include "CheckList.h"
#include "app/ConverterSettings.h"

#include <algorithm>

SizesPage::SizesPage(ConverterSettings& settings, QWidget* parent) : QWizardPage(parent), settings_(settings) {
    setObjectName("dialog202");
    list_ = AddCheckList(*this, tr("Select font sizes to be exported"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setResizeMode(QListView::Adjust);
}

void SizesPage::initializePage() {
    if (initialised_) return;
    initialised_ = true;
    list_->clear();
    for (const auto& size : settings_.sizes)
        AddCheckItem(*list_, QString::asprintf("%d", static_cast<int>(size.size)), size.checked != 0);
}

std::vector<bool> SizesPage::Checked() const {
    std::vector<bool> checked;
    for (int row = 0; row < list_->count(); ++row) checked.push_back(list_->item(row)->checkState() == Qt::Checked);
    return checked;
}

int SizesPage::CheckedCount() const {
    const std::vector<bool> checked = Checked();
    return static_cast<int>(std::count(checked.begin(), checked.end(), true));
}
