// StylesPage.h: the add-font wizard's styles page (dialog 201): Regular, Bold, Italic and Bold
// Italic with check marks.
#pragma once

#include <QWizardPage>

#include <array>

class ConverterSettings;
class QListWidget;

class StylesPage final : public QWizardPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 201;
    static constexpr int IDC_STYLES = 1006;

    explicit StylesPage(ConverterSettings& settings, QWidget* parent = nullptr);

    // The four styles with the stored check marks, the first time only.
    void initializePage() override;
    bool Initialised() const { return initialised_; }

    QListWidget* Styles() const { return list_; }
    std::array<bool, 4> Checked() const;
    int CheckedCount() const;

private:
    ConverterSettings& settings_;
    bool initialised_ = false;
    QListWidget* list_ = nullptr;
};
