// StylesPage.cpp: the add-font wizard's styles page (dialog 201): Regular, Bold, Italic and Bold
// Italic with check marks.
#include "StylesPage.h"

#include "app/ConverterSettings.h"
#include "resources/converter/ConverterStrings.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

StylesPage::StylesPage(ConverterSettings& settings, QWidget* parent) : QWizardPage(parent), settings_(settings) {
    setObjectName("dialog201");
    auto* text = new QLabel(tr("Select font styles to be exported"), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QString::number(IDC_STYLES));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setFlow(QListView::TopToBottom);
    list_->setWrapping(true);
    text->setBuddy(list_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(list_, 1);
}

void StylesPage::initializePage() {
    if (initialised_) return;
    initialised_ = true;
    constexpr std::uint32_t kNames[] = {converter::kStrStyleRegular, converter::kStrStyleBold,
                                        converter::kStrStyleItalic, converter::kStrStyleBoldItalic};
    list_->clear();
    for (std::size_t i = 0; i < settings_.styles.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(converter::LoadConverterString(kNames[i])), list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(settings_.styles[i] != 0 ? Qt::Checked : Qt::Unchecked);
    }
}

std::array<bool, 4> StylesPage::Checked() const {
    std::array<bool, 4> checked{};
    for (int row = 0; row < list_->count() && row < 4; ++row)
        checked[static_cast<std::size_t>(row)] = list_->item(row)->checkState() == Qt::Checked;
    return checked;
}

int StylesPage::CheckedCount() const {
    int count = 0;
    for (const bool c : Checked()) count += c;
    return count;
}
