// UserDlg.cpp: the user dialog.
#include "UserDlg.h"

#include "CentreOn.h"
#include "resources/converter/ConverterStrings.h"

#include <QCollator>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

CUserDlg::CUserDlg(const PalmUserList& users, QWidget* parent) : QDialog(parent), users_(users) {
    setObjectName("dialog213");
    setWindowTitle(QString::fromStdString(converter::LoadConverterString(converter::kStrInstallExported)));
    combo_ = new QComboBox(this);
    // Names as people read them: without regard to case, "User 2" before "User 10".
    std::vector<std::string> names = SortedUserNames(users);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        return collator.compare(QString::fromStdString(a), QString::fromStdString(b)) < 0;
    });
    for (const std::string& name : names) {
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
