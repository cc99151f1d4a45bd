// FontChooser.h: the font dialog of Add Font. It offers what the converter can make: every face
// of the font catalog (a "Light" or "Condensed" face is a face of its own), the scripts of the
// chosen face, the four styles the converter draws (Regular, Bold, Italic, Bold Italic) and a
// point size; a sample shows the choice as the converter's font engine draws it. It starts with
// no face and no size chosen.
#pragma once

#include "app/ConversionBatch.h"

#include <QDialog>

#include <optional>

class FontCatalog;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace gdi {
class FontEngine;
}

class FontChooserDlg final : public QDialog {
    Q_OBJECT
public:
    FontChooserDlg(const FontCatalog& catalog, gdi::FontEngine& engine, QWidget* owner = nullptr);

    // The face in its chosen script, the style and the size; none until all three are chosen.
    std::optional<Combination> Chosen() const;

    QListWidget* Faces() const { return faces_; }
    QComboBox* Scripts() const { return scripts_; }
    QListWidget* Styles() const { return styles_; }
    QLineEdit* SizeEdit() const { return sizeEdit_; }
    QListWidget* Sizes() const { return sizes_; }
    QPushButton* OkButton() const { return ok_; }
    QLabel* Sample() const { return sample_; }

private:
    void FaceChanged();
    void SizeTyped();
    void Update();
    std::optional<int> TypedSize() const;

    const FontCatalog& catalog_;
    gdi::FontEngine& engine_;
    QListWidget* faces_ = nullptr;
    QComboBox* scripts_ = nullptr;
    QLabel* scriptNote_ = nullptr;
    QListWidget* styles_ = nullptr;
    QLineEdit* sizeEdit_ = nullptr;
    QListWidget* sizes_ = nullptr;
    QLabel* sample_ = nullptr;
    QPushButton* ok_ = nullptr;
};

// Shows the dialog; the choice, or none for Cancel.
std::optional<Combination> ChooseCatalogFont(QWidget* owner, const FontCatalog& catalog, gdi::FontEngine& engine);
