// FontChooser.cpp: the font dialog of Add Font, over the font catalog and the font engine.
#include "FontChooser.h"

#include "app/FontCatalog.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/FontEngine.h"
#include "resources/converter/ConverterStrings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QImage>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kFaceRole = Qt::UserRole;

std::string faceOf(const QListWidgetItem* item) { return item->data(kFaceRole).toByteArray().toStdString(); }

// A list that, taking the focus with nothing chosen, leaves its first row unmarked: a list view
// makes that row current and draws it framed, which reads as a face chosen for the user. The
// arrow keys still start at the top.
class UnchosenList final : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void focusInEvent(QFocusEvent* event) override {
        const bool nothingCurrent = !currentIndex().isValid();
        QListWidget::focusInEvent(event);
        if (nothingCurrent && selectedItems().isEmpty()) selectionModel()->clearCurrentIndex();
    }
};
constexpr int kLargestSize = 999;
// Sizes a handheld's screens are read at, as the wizard offers them; any other can be typed.
constexpr int kListedSizes[] = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 20, 22, 24, 26, 28, 36};
// The sample is drawn at most this many pixels high, so that a large size cannot grow the
// dialog; small sizes are magnified whole pixels at a time to about kReadableRows, so that the
// handheld's pixels can be seen.
constexpr int kSampleCap = 40;
constexpr int kReadableRows = 24;
constexpr int kSampleHeight = 2 * kSampleCap;

QString text(std::uint32_t id) { return QString::fromStdString(converter::LoadConverterString(id)); }

// The sample's characters: letters, and for a script other than Western four of its own (the
// upper half of its code page holds its letters).
std::string sampleText(std::uint8_t charSet) {
    std::string sample = "AaBbYyZz";
    if (charSet != gdi::ANSI_CHARSET) sample += " \xC0\xC1\xE0\xE1";
    return sample;
}

// text as the converter's engine draws it in description, or a null image when the face
// cannot be made.
QImage drawSample(gdi::FontEngine& engine, const gdi::LOGFONT& description, const std::string& text) {
    const auto font = engine.CreateFontIndirect(description);
    if (!font) return {};
    const gdi::TEXTMETRIC metrics = font->GetTextMetrics();
    int width = 2;
    for (unsigned char c : text) {
        std::int32_t advance = 0;
        if (font->GetCharWidth32(c, advance)) width += std::max(0, advance);
    }
    // Room for the overhang of a slanted last letter.
    width += metrics.tmHeight / 2;
    const auto bitmap = gdi::Bitmap::Create(width, std::max(1, metrics.tmHeight));
    if (!bitmap) return {};
    int x = 1;
    for (unsigned char c : text) {
        font->TextOut(*bitmap, x, metrics.tmAscent, c);
        std::int32_t advance = 0;
        if (font->GetCharWidth32(c, advance)) x += std::max(0, advance);
    }
    QImage image(bitmap->Width(), bitmap->Height(), QImage::Format_Grayscale8);
    for (int y = 0; y < bitmap->Height(); ++y) {
        uchar* line = image.scanLine(y);
        // Black ink on white: any one channel is the grey.
        for (int column = 0; column < bitmap->Width(); ++column)
            line[column] = static_cast<uchar>(gdi::GetRValue(bitmap->GetPixel(column, y)));
    }
    return image;
}
}  // namespace

FontChooserDlg::FontChooserDlg(const FontCatalog& catalog, gdi::FontEngine& engine, QWidget* owner)
    : QDialog(owner), catalog_(catalog), engine_(engine) {
    setObjectName("fontChooser");
    setWindowTitle(tr("Font"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    faces_ = new UnchosenList(this);
    faces_->setObjectName("faces");
    for (const std::string& face : catalog_.FaceNames()) {
        // The item shows the name and keeps the catalogue's bytes to look the face up by.
        auto* item = new QListWidgetItem(QString::fromStdString(CatalogNameToUtf8(face)), faces_);
        item->setData(kFaceRole, QByteArray(face.data(), qsizetype(face.size())));
    }
    faces_->setCurrentRow(-1);
    faces_->clearSelection();

    styles_ = new QListWidget(this);
    styles_->setObjectName("styles");
    for (std::uint32_t id : {converter::kStrStyleRegular, converter::kStrStyleBold, converter::kStrStyleItalic,
                             converter::kStrStyleBoldItalic})
        styles_->addItem(text(id));
    // A font description that is all zero asks for neither weight nor slant: Regular.
    styles_->setCurrentRow(0);

    sizeEdit_ = new QLineEdit(this);
    sizeEdit_->setObjectName("size");
    sizeEdit_->setValidator(new QIntValidator(1, kLargestSize, sizeEdit_));
    sizes_ = new UnchosenList(this);
    sizes_->setObjectName("sizes");
    for (int size : kListedSizes) sizes_->addItem(QString::number(size));
    sizes_->setCurrentRow(-1);
    sizes_->clearSelection();

    scripts_ = new QComboBox(this);
    scripts_->setObjectName("scripts");
    scripts_->setEnabled(false);
    scriptNote_ = new QLabel(this);
    scriptNote_->setObjectName("scriptNote");
    scriptNote_->setWordWrap(true);
    scriptNote_->hide();

    sample_ = new QLabel(this);
    sample_->setObjectName("sample");
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumHeight(kSampleHeight);
    auto* sampleBox = new QGroupBox(tr("Sample (as the converter draws it)"), this);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(sample_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const auto label = [this](const QString& caption, QWidget* buddy) {
        auto* l = new QLabel(caption, this);
        l->setBuddy(buddy);
        return l;
    };
    auto* grid = new QGridLayout;
    grid->addWidget(label(tr("&Font:"), faces_), 0, 0);
    grid->addWidget(label(tr("Font st&yle:"), styles_), 0, 1);
    grid->addWidget(label(tr("&Size:"), sizeEdit_), 0, 2);
    grid->addWidget(faces_, 1, 0, 2, 1);
    grid->addWidget(styles_, 1, 1, 2, 1);
    grid->addWidget(sizeEdit_, 1, 2);
    grid->addWidget(sizes_, 2, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
    auto* scriptRow = new QHBoxLayout;
    scriptRow->addWidget(label(tr("Sc&ript:"), scripts_));
    scriptRow->addWidget(scripts_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(sampleBox);
    layout->addLayout(scriptRow);
    layout->addWidget(scriptNote_);
    layout->addWidget(buttons);
    // Wide enough for the longest face names, tall enough for a dozen of them.
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(QLatin1Char('M')) * 48, metrics.height() * 30);

    connect(faces_, &QListWidget::itemSelectionChanged, this, &FontChooserDlg::FaceChanged);
    connect(styles_, &QListWidget::itemSelectionChanged, this, &FontChooserDlg::Update);
    connect(scripts_, &QComboBox::currentIndexChanged, this, &FontChooserDlg::Update);
    connect(sizes_, &QListWidget::itemSelectionChanged, this, [this] {
        const auto selected = sizes_->selectedItems();
        if (!selected.isEmpty() && sizeEdit_->text() != selected.front()->text()) sizeEdit_->setText(selected.front()->text());
    });
    connect(sizeEdit_, &QLineEdit::textChanged, this, &FontChooserDlg::SizeTyped);
    Update();
}

void FontChooserDlg::FaceChanged() {
    // The script stays when the new face has it; else Western, else the face's first.
    const int kept = scripts_->currentIndex() >= 0 ? static_cast<int>(scripts_->currentData().toUInt()) : -1;
    const QSignalBlocker quiet(scripts_);
    scripts_->clear();
    const auto selected = faces_->selectedItems();
    if (!selected.isEmpty()) {
        const auto scripts = catalog_.ScriptsOf(faceOf(selected.front()));
        for (const FontCatalogEntry& entry : scripts) {
            const QString name = entry.scriptName.empty() ? tr("Character set %1").arg(entry.charSet)
                                                          : QString::fromStdString(entry.scriptName);
            scripts_->addItem(name, QVariant::fromValue(static_cast<unsigned>(entry.charSet)));
        }
        int index = kept >= 0 ? scripts_->findData(static_cast<unsigned>(kept)) : -1;
        if (index < 0) index = scripts_->findData(static_cast<unsigned>(gdi::ANSI_CHARSET));
        scripts_->setCurrentIndex(std::max(0, index));
    }
    scripts_->setEnabled(scripts_->count() > 1);
    Update();
}

void FontChooserDlg::SizeTyped() {
    // The list follows what is typed: its item when it lists that size, nothing otherwise.
    const QSignalBlocker quiet(sizes_);
    const auto matching = sizes_->findItems(sizeEdit_->text(), Qt::MatchExactly);
    sizes_->clearSelection();
    if (!matching.isEmpty()) {
        sizes_->setCurrentItem(matching.front());
        sizes_->scrollToItem(matching.front());
    }
    Update();
}

std::optional<int> FontChooserDlg::TypedSize() const {
    bool ok = false;
    const int size = sizeEdit_->text().toInt(&ok);
    if (!ok || size < 1 || size > kLargestSize) return std::nullopt;
    return size;
}

std::optional<Combination> FontChooserDlg::Chosen() const {
    const auto faces = faces_->selectedItems();
    const auto styles = styles_->selectedItems();
    const auto size = TypedSize();
    if (faces.isEmpty() || styles.isEmpty() || !size || scripts_->currentIndex() < 0) return std::nullopt;
    const auto entry = catalog_.Find(faceOf(faces.front()),
                                     static_cast<std::uint8_t>(scripts_->currentData().toUInt()));
    if (!entry) return std::nullopt;
    return Combination{*entry, *size, static_cast<FontStyle>(styles_->row(styles.front()))};
}

void FontChooserDlg::Update() {
    const std::optional<Combination> chosen = Chosen();
    ok_->setEnabled(chosen.has_value());

    // The chosen script's character set, or -1 before a face is chosen.
    const int charSet = scripts_->currentIndex() >= 0 ? static_cast<int>(scripts_->currentData().toUInt()) : -1;
    const auto note = charSet >= 0 ? DoubleByteScriptNote(static_cast<std::uint8_t>(charSet)) : std::nullopt;
    scriptNote_->setText(note ? tr("Only part of this script can be made: %1.").arg(QString::fromStdString(*note))
                              : QString());
    scriptNote_->setVisible(note.has_value());

    // The sample needs a face; before a size is chosen it is drawn at a middling one.
    const auto faces = faces_->selectedItems();
    const auto styles = styles_->selectedItems();
    if (faces.isEmpty() || charSet < 0) {
        sample_->setPixmap(QPixmap());
        sample_->setText(tr("Choose a font to see a sample."));
        return;
    }
    const int size = std::min(TypedSize().value_or(16), kSampleCap);
    const auto entry =
        catalog_.Find(faceOf(faces.front()), static_cast<std::uint8_t>(charSet));
    if (!entry) return;
    const FontStyle style = styles.isEmpty() ? FontStyle::Regular : static_cast<FontStyle>(styles_->row(styles.front()));
    QImage image = drawSample(engine_, RequestFor({*entry, size, style}).DescriptionAt(size), sampleText(entry->charSet));
    if (image.isNull()) {
        sample_->setPixmap(QPixmap());
        sample_->setText(tr("This font cannot be drawn."));
        return;
    }
    const int zoom = std::clamp(kReadableRows / std::max(1, image.height()), 1, 4);
    if (zoom > 1) image = image.scaled(image.size() * zoom);
    sample_->setPixmap(QPixmap::fromImage(image));
}

std::optional<Combination> ChooseCatalogFont(QWidget* owner, const FontCatalog& catalog, gdi::FontEngine& engine) {
    FontChooserDlg dialog(catalog, engine, owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Chosen();
}
