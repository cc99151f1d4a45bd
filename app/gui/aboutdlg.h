// aboutdlg.h: the About box (dialog 100): the version line, the maker as a link to its web
// address, the logo centred over OK.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 100;
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CentreLogoOnOk();

    QLabel* logo_ = nullptr;
    QPushButton* ok_ = nullptr;
};
