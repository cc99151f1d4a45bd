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
constexpr int kSmallestPixels = 8;  // the least the banner's text shrinks to in a narrow window
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

void BannerBar::SetFonts(int pixels) {
    normal_.setPixelSize(pixels);
    bold_ = normal_;
    bold_.setWeight(QFont::Bold);
    underlined_ = normal_;
    underlined_.setUnderline(true);
}

void BannerBar::MakeFonts() {
    // The banner's fonts follow the bar's height: a line of text as tall as the client height less
    // two pixels.
    fontHeight_ = std::max(height() - 2, 6);
    fontWidth_ = width();
    normal_ = font();
    normal_.setWeight(QFont::Normal);
    int pixels = fontHeight_;
    do {
        normal_.setPixelSize(pixels--);
    } while (pixels > 4 && QFontMetrics(normal_).height() > fontHeight_ - kLineRows);
    SetFonts(normal_.pixelSize());
    // In a window too narrow for the line (a small screen, a large scale) the text gets smaller
    // rather than losing the web address off the bar's end, down to a size still read.
    while (normal_.pixelSize() > kSmallestPixels && LineRight() > width()) SetFonts(normal_.pixelSize() - 1);
}

void BannerBar::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    if (height() - 2 != fontHeight_ || width() != fontWidth_) MakeFonts();
}

QRect BannerBar::LogoRect() const {
    // The logo below the lines, scaled down to the height left when it is taller.
    const int room = height() - kLineRows;
    QSize logoSize = logo_.size();
    if (logoSize.height() > room) logoSize = QSize(logoSize.width() * room / logoSize.height(), room);
    return QRect(0, kLineRows, logoSize.width(), logoSize.height());
}

std::vector<BannerBar::Piece> BannerBar::Layout() const {
    const QRect line(0, kLineRows, width(), height() - kLineRows);
    int x = LogoRect().right() + 1 + kLogoGap;
    std::vector<Piece> pieces = {
        {&bold_, QString::fromUtf8(converter::kMakerName), {}},
        {&normal_, QString::fromStdString(converter::LoadConverterString(converter::kStrAboutText)), {}},
        {&underlined_, QString::fromStdString(converter::LoadConverterString(converter::kStrMakerAddress)), {}},
    };
    for (auto& piece : pieces) {
        const int textWidth = QFontMetrics(*piece.font).horizontalAdvance(piece.text);
        piece.box = QRect(x, line.top(), textWidth, line.height());
        x += textWidth + kTextGap;
    }
    return pieces;
}

int BannerBar::LineRight() const { return Layout().back().box.right() + 1; }

void BannerBar::paintEvent(QPaintEvent*) {
    if (fontHeight_ == 0) MakeFonts();
    QPainter p(this);
    const QRect area = rect();
    p.fillRect(area, palette().color(QPalette::Base));
    p.setPen(Qt::black);
    for (int row = 0; row < kLineRows; ++row) p.drawLine(area.left(), row, area.right(), row);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(LogoRect(), logo_);
    p.setPen(palette().color(QPalette::Text));
    for (const auto& piece : Layout()) {
        p.setFont(*piece.font);
        p.drawText(piece.box, Qt::AlignLeft | Qt::AlignVCenter, piece.text);
    }
}

void BannerBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QString address = QString::fromStdString(converter::LoadConverterString(converter::kStrMakerAddress));
    emit addressOpened(address);
    QDesktopServices::openUrl(QUrl(address));
}
