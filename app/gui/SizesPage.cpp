// SizesPage.cpp: the add-font wizard's sizes page (dialog 202): the 21 point sizes of the settings
// with check marks.
#include "SizesPage.h"

#include "app/ConverterSettings.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

SizesPage::SizesPage(ConverterSettings& settings, QWidget* parent) : QWizardPage(parent), settings_(settings) {
    setObjectName("dialog202");
    auto* text = new QLabel(tr("Select font sizes to be exported"), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QString::number(IDC_SIZES));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setFlow(QListView::TopToBottom);
    list_->setWrapping(true);
    list_->setResizeMode(QListView::Adjust);
    text->setBuddy(list_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(list_, 1);
}

void SizesPage::initializePage() {
    if (initialised_) return;
    initialised_ = true;
    list_->clear();
    for (const auto& size : settings_.sizes) {
        auto* item = new QListWidgetItem(QString::asprintf("%d", static_cast<int>(size.size)), list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(size.checked != 0 ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<bool> SizesPage::Checked() const {
    std::vector<bool> checked;
    for (int row = 0; row < list_->count(); ++row) checked.push_back(list_->item(row)->checkState() == Qt::Checked);
    return checked;
}

int SizesPage::CheckedCount() const {
    int count = 0;
    for (const bool c : Checked()) count += c;
    return count;
}
