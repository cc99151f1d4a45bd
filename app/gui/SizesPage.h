// SizesPage.h: the add-font wizard's sizes page (dialog 202): the 21 point sizes of the settings
// with check marks; sizes can be checked and unchecked, not added or removed.
#pragma once

#include <QWizardPage>

#include <vector>

class ConverterSettings;
class QListWidget;

class SizesPage final : public QWizardPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 202;
    static constexpr int IDC_SIZES = 1004;

    explicit SizesPage(ConverterSettings& settings, QWidget* parent = nullptr);

    void initializePage() override;
    bool Initialised() const { return initialised_; }

    QListWidget* Sizes() const { return list_; }
    // The check marks in list order.
    std::vector<bool> Checked() const;
    int CheckedCount() const;

private:
    ConverterSettings& settings_;
    bool initialised_ = false;
    QListWidget* list_ = nullptr;
};
