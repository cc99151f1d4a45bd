// FontPreviewPane.cpp: the handheld preview under the font list.
#include "FontPreviewPane.h"

#include "app/FontPreview.h"
#include "core/FontEntry.h"
#include "core/FontRecord.h"
#include "core/qz_fileio/DbRecord.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <new>

namespace {
// Small fonts are drawn twice as large again, so that a 6-point font can still be read.
constexpr int kSmallRows = 12;

QPixmap pixmapOf(const GreyImage& image) {
    const QImage view(image.pixels.data(), image.width, image.height, image.width, QImage::Format_Grayscale8);
    return QPixmap::fromImage(view.copy());
}
}  // namespace

FontPreviewPane::FontPreviewPane(QWidget* parent) : QWidget(parent) {
    setObjectName("preview");
    caption_ = new QLabel(this);
    caption_->setObjectName("caption");
    // The lines scroll sideways, so that a wide font never widens the window.
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* lines = new QWidget(scroll_);
    single_ = new QLabel(lines);
    single_->setObjectName("singleDensity");
    twice_ = new QLabel(lines);
    twice_->setObjectName("doubleDensity");
    auto* linesLayout = new QVBoxLayout(lines);
    linesLayout->setContentsMargins(0, 0, 0, 0);
    linesLayout->addWidget(single_);
    linesLayout->addWidget(twice_);
    scroll_->setWidget(lines);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->addWidget(caption_);
    layout->addWidget(scroll_);
    ShowEntry(nullptr);
}

void FontPreviewPane::ShowEntry(const FontEntry* entry, const QString& file) {
    const auto clear = [&](const QString& caption) {
        caption_->setText(caption);
        single_->clear();
        twice_->clear();
        twice_->hide();
        scroll_->hide();
    };
    std::optional<CFontRecord> font;
    if (entry && entry->record) font = Parse(entry->record->Bytes());
    if (!font || font->header.headerOnly != 0 || font->Count() == 0)
        return clear(tr("Select a font to see it as the handheld shows it."));
    const QString subject = file.isEmpty() ? QString() : file + ": ";
    if (const auto fault = HandheldLimitFault(*font))
        return clear(tr("Cannot show this font: %1%2").arg(subject, QString::fromStdString(*fault)));
    const int rows = font->font.fRectHeight;
    const int zoom = rows < kSmallRows ? 2 : 1;
    try {
        single_->setPixmap(pixmapOf(DrawFontText(*font, 1, 2 * zoom)));
        if (font->IsHighDensity()) twice_->setPixmap(pixmapOf(DrawFontText(*font, 2, zoom)));
    } catch (const std::bad_alloc&) {
        return clear(tr("Cannot show this font: %1out of memory").arg(subject));
    }
    caption_->setText(tr("On the handheld (single density x%1%2):")
                          .arg(2 * zoom)
                          .arg(font->IsHighDensity() ? tr(", double density x%1").arg(zoom) : QString()));
    if (font->IsHighDensity()) {
        twice_->show();
    } else {
        twice_->clear();
        twice_->hide();
    }
    scroll_->show();
    const int linesHeight = single_->pixmap().height() + (font->IsHighDensity() ? twice_->pixmap().height() + 6 : 0);
    scroll_->setFixedHeight(linesHeight + scroll_->horizontalScrollBar()->sizeHint().height() + 2);
}

bool FontPreviewPane::HasDoubleDensity() const { return !twice_->isHidden() && !twice_->pixmap().isNull(); }
bool FontPreviewPane::IsEmpty() const { return single_->pixmap().isNull(); }
