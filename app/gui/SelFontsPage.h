// SelFontsPage.h: the first page of the add-font wizard (dialog 209): the script drop-down and
// the installed TrueType faces of that script, each name drawn in its own typeface, several of
// which may be selected.
#pragma once

#include "app/FontFilterList.h"

#include <QFont>
#include <QWizardPage>

#include <optional>
#include <vector>

class ConverterSettings;
class FontCatalog;
class QComboBox;
class QLabel;
class QListWidget;

namespace gdi {
class FontEngine;
}

class FontsPage final : public QWizardPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 209;
    static constexpr int IDC_FONT_LIST = 1000;
    static constexpr int IDC_SCRIPT = 1001;
    // The preview font's cell height, and the icon's place and the name's indent in a row.
    static constexpr int kPreviewHeight = 20;
    static constexpr int kIconLeft = 5;
    static constexpr int kIconTop = 4;
    static constexpr int kTextIndent = 25;

    FontsPage(ConverterSettings& settings, const FontCatalog& catalog, gdi::FontEngine& engine,
              std::uint32_t codePage, QWidget* parent = nullptr);

    // Fills the script list (the stored script selected) and the font list, the first time only.
    void initializePage() override;
    bool Initialised() const { return initialised_; }

    QComboBox* Scripts() const { return scripts_; }
    QListWidget* Fonts() const { return fonts_; }
    const FontFilterList& Filter() const { return filter_; }
    // The selected faces in list order.
    std::vector<FontCatalogEntry> SelectedFonts() const;
    // The item data of the selected script; none without a selection.
    std::optional<std::uint32_t> SelectedScript() const;
    // Says, for a double-byte script chosen (or, under "All", the first such face selected), that
    // only its code page's single-byte characters can be made; hidden otherwise.
    QLabel* ScriptNote() const { return scriptNote_; }

    // The font a row's name is drawn in, made afresh for each paint.
    QFont RowFont(int row) const;
    static QFont PreviewFont(const QString& face, int fontPixels);

    int RowHeight() const { return rowHeight_; }
    int ColumnWidth() const { return columnWidth_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void WidenColumn();
    void FillFontList(std::uint32_t code);
    void UpdateScriptNote();
    std::optional<PreviewSize> MeasurePreview(const FontFilterList::Entry& entry, int wantedXHeight) const;

    ConverterSettings& settings_;
    const FontCatalog& catalog_;
    gdi::FontEngine& engine_;
    std::uint32_t codePage_;
    bool initialised_ = false;
    QComboBox* scripts_ = nullptr;
    QListWidget* fonts_ = nullptr;
    QLabel* scriptNote_ = nullptr;
    FontFilterList filter_;
    int rowHeight_ = -1;
    int columnWidth_ = -1;
};
