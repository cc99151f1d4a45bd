// FontDetailsDlg.h: the font details dialog (dialog 133): a record's name and style, which the
// user may change, its point size, read-only, and its High-density box, which only a new font
// may change.
#pragma once

#include "app/FontListActions.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

class FontDetailsDlg final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 133;
    static constexpr int IDC_HIGH_DENSITY = 1002;
    static constexpr int IDC_NAME = 1003;
    static constexpr int IDC_STYLE = 1004;
    static constexpr int IDC_SIZE = 1005;

    FontDetailsDlg(const FontDetails& details, QWidget* parent = nullptr);

    // What the dialog holds after OK.
    const FontDetails& Details() const { return details_; }

    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* StyleEdit() const { return style_; }
    QLineEdit* SizeEdit() const { return size_; }
    QCheckBox* HighDensityBox() const { return highDensity_; }

public slots:
    // Keeps the dialog open with message 148 or 149 while the name or the style is too long.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    FontDetails details_;
    QLineEdit* name_ = nullptr;
    QLineEdit* style_ = nullptr;
    QLineEdit* size_ = nullptr;
    QCheckBox* highDensity_ = nullptr;
};
