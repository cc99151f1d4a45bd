// BannerBar.cpp: the banner's painting and its click.
#include "BannerBar.h"

#include "Artwork.h"
#include "resources/converter/ConverterStrings.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace {
constexpr int kLineRows = 2;     // the two black lines across the top
constexpr int kLogoGap = 2;      // after the logo
constexpr int kTextGap = 10;     // after each text
constexpr int kBarHeight = 24;
}  // namespace

BannerBar::BannerBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    setMinimumHeight(kBarHeight);
    showMessage(QString::fromStdString(converter::LoadConverterString(converter::kStrReady)));
    logo_ = ConverterLogo(64);
}

QSize BannerBar::sizeHint() const { return {QStatusBar::sizeHint().width(), kBarHeight}; }

void BannerBar::MakeFonts() {
    // The banner's fonts follow the bar's height: a line of text as tall as the client height less
    // two pixels.
    fontHeight_ = std::max(height() - 2, 6);
    normal_ = font();
    normal_.setWeight(QFont::Normal);
    int pixels = fontHeight_;
    do {
        normal_.setPixelSize(pixels--);
    } while (pixels > 4 && QFontMetrics(normal_).height() > fontHeight_ - kLineRows);
    bold_ = normal_;
    bold_.setWeight(QFont::Bold);
    underlined_ = normal_;
    underlined_.setUnderline(true);
}

void BannerBar::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    if (height() - 2 != fontHeight_) MakeFonts();
}

void BannerBar::paintEvent(QPaintEvent*) {
    if (fontHeight_ == 0) MakeFonts();
    QPainter p(this);
    const QRect area = rect();
    p.fillRect(area, palette().color(QPalette::Base));
    p.setPen(Qt::black);
    for (int row = 0; row < kLineRows; ++row) p.drawLine(area.left(), row, area.right(), row);

    // The logo below the lines, scaled down to the height left when it is taller.
    const int room = area.height() - kLineRows;
    QSize logoSize = logo_.size();
    if (logoSize.height() > room) logoSize = QSize(logoSize.width() * room / logoSize.height(), room);
    const QRect logoRect(area.left(), kLineRows, logoSize.width(), logoSize.height());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(logoRect, logo_);

    const QRect line(area.left(), kLineRows, area.width(), room);
    int x = logoRect.right() + 1 + kLogoGap;
    const std::pair<const QFont*, QString> texts[] = {
        {&bold_, QString::fromUtf8(converter::kMakerName)},
        {&normal_, QString::fromStdString(converter::LoadConverterString(converter::kStrAboutText))},
        {&underlined_, QString::fromStdString(converter::LoadConverterString(converter::kStrMakerAddress))},
    };
    p.setPen(palette().color(QPalette::Text));
    for (const auto& [textFont, text] : texts) {
        p.setFont(*textFont);
        const int width = QFontMetrics(*textFont).horizontalAdvance(text);
        p.drawText(QRect(x, line.top(), width, line.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
        x += width + kTextGap;
    }
}

void BannerBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QString address = QString::fromStdString(converter::LoadConverterString(converter::kStrMakerAddress));
    emit addressOpened(address);
    QDesktopServices::openUrl(QUrl(address));
}
