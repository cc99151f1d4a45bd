// UserDlg.h: the user dialog (dialog 213, "Install exported fonts"): which Palm user a document
// is installed for, from a drop-down of every user in alphabetical order.
#pragma once

#include "app/PalmUser.h"

#include <QDialog>

class QComboBox;

class CUserDlg final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 213;
    CUserDlg(const PalmUserList& users, QWidget* parent = nullptr);

    // After OK: the user whose name is selected, else the first of the list.
    std::optional<PalmUser> ChosenUser() const;
    QComboBox* Users() const { return combo_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    const PalmUserList& users_;
    QComboBox* combo_ = nullptr;
};

// Asks with the user dialog, owned by the given window.
class DialogUserChooser final : public UserChooser {
public:
    explicit DialogUserChooser(QWidget* owner) : owner_(owner) {}
    std::optional<PalmUser> Choose(const PalmUserList& users) override;

private:
    QWidget* owner_;
};
