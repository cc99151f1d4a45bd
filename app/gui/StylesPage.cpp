// StylesPage.cpp: the add-font wizard's styles page (dialog 201): Regular, Bold, Italic and Bold
// Italic with check marks.
#include "StylesPage.h"

#include "CheckList.h"
#include "app/ConverterSettings.h"
#include "resources/converter/ConverterStrings.h"

#include <algorithm>

StylesPage::StylesPage(ConverterSettings& settings, QWidget* parent) : QWizardPage(parent), settings_(settings) {
    setObjectName("dialog201");
    list_ = AddCheckList(*this, tr("Select font styles to be exported"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
}

void StylesPage::initializePage() {
    if (initialised_) return;
    initialised_ = true;
    constexpr std::uint32_t kNames[] = {converter::kStrStyleRegular, converter::kStrStyleBold,
                                        converter::kStrStyleItalic, converter::kStrStyleBoldItalic};
    list_->clear();
    for (std::size_t i = 0; i < settings_.styles.size(); ++i)
        AddCheckItem(*list_, QString::fromStdString(converter::LoadConverterString(kNames[i])),
                     settings_.styles[i] != 0);
}

std::array<bool, 4> StylesPage::Checked() const {
    std::array<bool, 4> checked{};
    for (int row = 0; row < list_->count() && row < 4; ++row)
        checked[static_cast<std::size_t>(row)] = list_->item(row)->checkState() == Qt::Checked;
    return checked;
}

int StylesPage::CheckedCount() const {
    const std::array<bool, 4> checked = Checked();
    return static_cast<int>(std::count(checked.begin(), checked.end(), true));
}
