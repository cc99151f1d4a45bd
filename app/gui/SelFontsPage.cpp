// SelFontsPage.cpp: the fonts page, its owner-drawn list and the icon strip's image.
#include "SelFontsPage.h"

#include "app/ConverterSettings.h"
#include "app/FontCatalog.h"
#include "platform/gdi/FontEngine.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kEntryRole = Qt::UserRole;
// What a row's font is made of when the row is drawn: the face and its pixel size.
constexpr int kFaceRole = Qt::UserRole + 1;
constexpr int kPixelsRole = Qt::UserRole + 2;
constexpr int kMinimumRowHeight = 15;

// Image 0 of the icon strip: a page with a bold "T", 15 pixels wide, on a transparent ground.
const QPixmap& FontIcon() {
    static const QPixmap icon = [] {
        QPixmap pixmap(15, 13);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.setBrush(Qt::white);
        p.drawRect(1, 0, 12, 12);
        p.fillRect(4, 3, 7, 2, QColor(0x00, 0x50, 0x9e));
        p.fillRect(6, 3, 3, 7, QColor(0x00, 0x50, 0x9e));
        return pixmap;
    }();
    return icon;
}

// Each name in its own typeface: the focus rectangle, the selection, the icon and the name.
class FontItemDelegate final : public QStyledItemDelegate {
public:
    explicit FontItemDelegate(const FontsPage& page) : QStyledItemDelegate(nullptr), page_(page) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        painter->save();
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.rect = option.rect;
            focus.state = option.state;
            focus.backgroundColor = selected ? palette.highlight().color() : palette.base().color();
            QWidget* widget = const_cast<QWidget*>(option.widget);
            (widget ? widget->style() : QApplication::style())->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
        }
        painter->drawPixmap(option.rect.left() + FontsPage::kIconLeft, option.rect.top() + FontsPage::kIconTop, FontIcon());
        // Made for this paint only: a list of many faces loads just those it shows.
        painter->setFont(page_.RowFont(index.row()));
        painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        const QRect text = option.rect.adjusted(FontsPage::kTextIndent, 0, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {page_.ColumnWidth(), page_.RowHeight()};
    }

private:
    const FontsPage& page_;
};

QString FromCatalog(const std::string& text) { return QString::fromStdString(CatalogNameToUtf8(text)); }

}  // namespace

QFont FontsPage::PreviewFont(const QString& face, int fontPixels) {
    QFont font(face);
    font.setPixelSize(std::max(1, fontPixels));
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::PreferMatch);
    return font;
}

QFont FontsPage::RowFont(int row) const {
    const QListWidgetItem* item = fonts_->item(row);
    if (!item) return fonts_->font();
    return PreviewFont(item->data(kFaceRole).toString(), item->data(kPixelsRole).toInt());
}

FontsPage::FontsPage(ConverterSettings& settings, const FontCatalog& catalog, gdi::FontEngine& engine,
                     std::uint32_t codePage, QWidget* parent)
    : QWizardPage(parent), settings_(settings), catalog_(catalog), engine_(engine), codePage_(codePage) {
    setObjectName("dialog209");
    auto* scriptLabel = new QLabel(tr("Script:"), this);
    scripts_ = new QComboBox(this);
    scripts_->setMinimumWidth(180);
    scriptLabel->setBuddy(scripts_);

    fonts_ = new QListWidget(this);
    fonts_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fonts_->setUniformItemSizes(true);
    fonts_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    fonts_->setItemDelegate(new FontItemDelegate(*this));
    fonts_->itemDelegate()->setParent(fonts_);

    auto* hint = new QLabel(tr("Hold the Ctrl key down while clicking to select multiple items. Hold the Shift key "
                               "down to select a range of items."),
                            this);
    hint->setWordWrap(true);

    scriptNote_ = new QLabel(this);
    scriptNote_->setObjectName("scriptNote");
    scriptNote_->setWordWrap(true);
    scriptNote_->hide();

    auto* scriptRow = new QHBoxLayout;
    scriptRow->addWidget(scriptLabel);
    scriptRow->addWidget(scripts_);
    scriptRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(scriptRow);
    layout->addWidget(scriptNote_);
    layout->addWidget(fonts_, 1);
    layout->addWidget(hint);

    connect(scripts_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0) FillFontList(scripts_->itemData(index).toUInt());
    });
    connect(fonts_, &QListWidget::itemSelectionChanged, this, &FontsPage::UpdateScriptNote);
}

void FontsPage::initializePage() {
    if (initialised_) return;
    initialised_ = true;
    const std::vector<ScriptChoice> scripts = BuildScriptList(catalog_.Entries());
    const std::vector<ScriptItem> items = ScriptDropDownItems(scripts);
    scripts_->clear();
    for (const auto& item : items) scripts_->addItem(QString::fromStdString(item.text), QVariant::fromValue(item.data));
    const std::size_t selected = SelectScriptItem(items, scripts, settings_.script);
    scripts_->setCurrentIndex(static_cast<int>(selected));
    FillFontList(items[selected].data);
}

std::optional<PreviewSize> FontsPage::MeasurePreview(const FontFilterList::Entry& entry, int wantedXHeight) const {
    // Measured by the font engine alone: the face must be one it can open, or it could not be
    // converted either, and it reads no more of the face than its metrics and these glyphs.
    const gdi::LOGFONT description =
        gdi::makeLogFont(entry.font->faceName, kPreviewHeight, gdi::FW_NORMAL, false, entry.font->charSet);
    const auto font = engine_.CreateFontIndirect(description);
    if (!font) return std::nullopt;
    const gdi::TEXTMETRIC metrics = font->GetTextMetrics();
    // A positive height is the character cell's; the typeface's pixel size leaves out the
    // internal leading.
    PreviewSize size;
    size.fontPixels = metrics.tmHeight - metrics.tmInternalLeading;
    if (size.fontPixels <= 0) size.fontPixels = kPreviewHeight;
    size.width = font->GetLineWidth(entry.displayName);
    // The names are drawn by the screen's text layout, which sets a line by the horizontal
    // header where GDI's cell takes the Windows metrics; a row must hold that line.
    const gdi::Font::ScreenLine line = font->GetScreenLine();
    size.height = std::max(line.height, 1);
    // A face whose cell is tall for its letters (a mathematics face's is) comes out tiny at the
    // cell height: its pixel size grows until its x-height is the list font's, so that every
    // name reads at least as well as the list's own text.
    if (line.xHeight > 0 && line.xHeight < wantedXHeight) {
        const auto grow = [&](int n) { return (n * wantedXHeight + line.xHeight - 1) / line.xHeight; };
        size.fontPixels = grow(size.fontPixels);
        size.width = grow(size.width);
        size.height = grow(size.height);
    }
    return size;
}

void FontsPage::FillFontList(std::uint32_t code) {
    const int wantedXHeight = QFontMetrics(fonts_->font()).xHeight();
    filter_.Fill(catalog_.Entries(), code, codePage_,
                 [&](const FontFilterList::Entry& entry) { return MeasurePreview(entry, wantedXHeight); });
    if (rowHeight_ < 0) {
        // The first fill sets the rows and the column for good.
        rowHeight_ = std::max(kMinimumRowHeight, filter_.Tallest());
        columnWidth_ = filter_.Widest() + kTextIndent;
    }
    fonts_->setUpdatesEnabled(false);
    fonts_->clear();
    for (std::size_t i = 0; i < filter_.Entries().size(); ++i) {
        const auto& entry = filter_.Entries()[i];
        auto* item = new QListWidgetItem(FromCatalog(entry.displayName), fonts_);
        item->setData(kEntryRole, QVariant::fromValue(static_cast<qulonglong>(i)));
        item->setData(kFaceRole, FromCatalog(entry.font->faceName));
        item->setData(kPixelsRole, entry.preview.fontPixels);
    }
    WidenColumn();
    fonts_->setUpdatesEnabled(true);
    if (fonts_->count() > 0) {
        fonts_->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        fonts_->scrollToTop();
    }
    UpdateScriptNote();
}

void FontsPage::UpdateScriptNote() {
    std::optional<std::string> note;
    if (const auto script = SelectedScript(); script && *script != ConverterSettings::kAllScripts) {
        note = DoubleByteScriptNote(static_cast<std::uint8_t>(*script));
    } else {
        for (const auto& font : SelectedFonts())
            if ((note = DoubleByteScriptNote(font.charSet))) break;
    }
    if (!note) {
        scriptNote_->hide();
        return;
    }
    // The note is a clause as the command line prints it; here it stands as a sentence.
    QString text = QString::fromStdString(*note);
    text[0] = text[0].toUpper();
    scriptNote_->setText(text + '.');
    scriptNote_->show();
}

void FontsPage::WidenColumn() {
    // The column reaches at least to the list's right edge.
    columnWidth_ = std::max(columnWidth_, fonts_->viewport()->width() - 1);
    fonts_->doItemsLayout();
}

void FontsPage::showEvent(QShowEvent* event) {
    QWizardPage::showEvent(event);
    // The list has its real size only now.
    WidenColumn();
}

std::vector<FontCatalogEntry> FontsPage::SelectedFonts() const {
    std::vector<FontCatalogEntry> selected;
    for (int row = 0; row < fonts_->count(); ++row) {
        const QListWidgetItem* item = fonts_->item(row);
        if (!item->isSelected()) continue;
        const auto index = static_cast<std::size_t>(item->data(kEntryRole).toULongLong());
        if (index < filter_.Entries().size()) selected.push_back(*filter_.Entries()[index].font);
    }
    return selected;
}

std::optional<std::uint32_t> FontsPage::SelectedScript() const {
    if (scripts_->currentIndex() < 0) return std::nullopt;
    return scripts_->currentData().toUInt();
}
