// HiResPage.cpp: the add-font wizard's last page (dialog 203): whether double-density strikes are
// made too.
#include "HiResPage.h"

#include "app/ConverterSettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>
#include <QWizard>

HiResPage::HiResPage(ConverterSettings& settings, QWidget* parent) : QWizardPage(parent), settings_(settings) {
    setObjectName("dialog203");
    box_ = new QCheckBox(tr("Create Hi-Res fonts"), this);
    auto* text = new QLabel(tr("Selecting Hi-resolution will make the fonts look better on hi-resolution screens on "
                               "Palm OS 5 devices. However, it will also increase the amount of memory used by the "
                               "font."),
                            this);
    text->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box_);
    layout->addWidget(text);
    layout->addStretch();
}

void HiResPage::initializePage() {
    if (initialised_) return;
    initialised_ = true;
    box_->setChecked(settings_.createHiRes != 0);
}

int HiResPage::nextId() const {
    // The wizard never moves on from here (its Next finishes), but a page with a next page keeps
    // the Next button shown and enabled.
    if (const QWizard* sheet = wizard())
        for (const int id : sheet->pageIds())
            if (sheet->page(id) == this) return id;
    return -1;
}
