// UserDlg.cpp: the user dialog.
#include "UserDlg.h"

#include "CentreOn.h"
#include "resources/converter/ConverterStrings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

CUserDlg::CUserDlg(const PalmUserList& users, QWidget* parent) : QDialog(parent), users_(users) {
    setObjectName("dialog213");
    setWindowTitle(QString::fromStdString(converter::LoadConverterString(converter::kStrInstallExported)));
    combo_ = new QComboBox(this);
    for (const std::string& name : SortedUserNames(users)) {
        const auto user = UserForChoice(users, name);
        combo_->addItem(QString::fromStdString(name), QVariant::fromValue<quint32>(user ? user->id : 0));
    }
    combo_->setCurrentIndex(combo_->count() > 0 ? 0 : -1);

    auto* form = new QFormLayout;
    form->addRow(tr("User:"), combo_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(280);
}

std::optional<PalmUser> CUserDlg::ChosenUser() const {
    return UserForChoice(users_, combo_->currentIndex() >= 0 ? combo_->currentText().toStdString() : std::string());
}

void CUserDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOn(this, parentWidget());
}

std::optional<PalmUser> DialogUserChooser::Choose(const PalmUserList& users) {
    CUserDlg dialog(users, owner_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.ChosenUser();
}
