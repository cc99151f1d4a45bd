// FontDetailsDlg.cpp: the font details dialog.
#include "FontDetailsDlg.h"

#include "AppMessageBox.h"
#include "CentreOn.h"
#include "resources/converter/ConverterStrings.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

FontDetailsDlg::FontDetailsDlg(const FontDetails& details, QWidget* parent) : QDialog(parent), details_(details) {
    setObjectName("dialog133");
    setWindowTitle(tr("Font details"));

    name_ = new QLineEdit(this);
    style_ = new QLineEdit(this);
    size_ = new QLineEdit(this);
    size_->setReadOnly(true);
    // A field that cannot be typed into looks it: the window's ground rather than an edit box's.
    QPalette readOnly = size_->palette();
    readOnly.setColor(QPalette::Base, readOnly.color(QPalette::Window));
    size_->setPalette(readOnly);
    size_->setValidator(new QIntValidator(0, 9999, size_));
    highDensity_ = new QCheckBox(tr("High-density"), this);

    auto* form = new QFormLayout;
    form->addRow(tr("Name:"), name_);
    form->addRow(tr("Style:"), style_);
    form->addRow(tr("Size:"), size_);
    form->addRow(QString(), highDensity_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &FontDetailsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(320);

    // Into the controls in the order High-density box, size, name, style.
    highDensity_->setChecked(details_.highDensity == 1 || details_.highDensity == 2);
    size_->setText(QString::fromStdString(details_.size));
    name_->setText(QString::fromStdString(details_.name));
    style_->setText(QString::fromStdString(details_.style));
    highDensity_->setEnabled(details_.canChange);
}

void FontDetailsDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOn(this, parentWidget());
}

void FontDetailsDlg::accept() {
    FontDetails back = details_;
    back.highDensity = highDensity_->isChecked() ? 1 : 0;
    back.size = size_->text().toStdString();
    back.name = name_->text().toStdString();
    back.style = style_->text().toStdString();
    const DetailsCheck check = CheckDetails(back.name, back.style, back.codePage);
    switch (check.problem) {
    case DetailsProblem::NameTooLong: AppMessageBox(converter::kStrNameTooLong, win::MB_OK); break;
    case DetailsProblem::StyleTooLong: AppMessageBox(converter::kStrStyleTooLong, win::MB_OK); break;
    case DetailsProblem::NameCharacter:
    case DetailsProblem::StyleCharacter: AppMessageBox(MissingCharacterText(check, back.codePage), win::MB_OK); break;
    case DetailsProblem::None: break;
    }
    if (check.problem != DetailsProblem::None) {
        QApplication::beep();
        const bool name = check.problem == DetailsProblem::NameTooLong || check.problem == DetailsProblem::NameCharacter;
        (name ? name_ : style_)->setFocus();
        return;
    }
    details_ = back;
    QDialog::accept();
}
