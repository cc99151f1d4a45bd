// HiResPage.h: the add-font wizard's last page (dialog 203): whether double-density strikes are
// made too.
#pragma once

#include <QWizardPage>

class ConverterSettings;
class QCheckBox;

class HiResPage final : public QWizardPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 203;
    static constexpr int IDC_CREATE_HIRES = 1002;

    explicit HiResPage(ConverterSettings& settings, QWidget* parent = nullptr);

    void initializePage() override;
    bool Initialised() const { return initialised_; }
    // Next stays on offer here: on this page it finishes the wizard.
    int nextId() const override;

    QCheckBox* CreateHiRes() const { return box_; }

private:
    ConverterSettings& settings_;
    bool initialised_ = false;
    QCheckBox* box_ = nullptr;
};
