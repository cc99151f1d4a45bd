// BannerBar.h: the main window's status bar, painted as the maker's banner: two black lines, the
// logo, the maker's name in bold, the slogan and the web address underlined. A click anywhere on
// it opens the web address.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QStatusBar>

#include <vector>

class BannerBar final : public QStatusBar {
    Q_OBJECT
public:
    explicit BannerBar(QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // The right edge of the banner's last text as painted at the bar's present size: within the
    // bar unless the bar is too narrow for the smallest font.
    int LineRight() const;

signals:
    // Emitted with the address a click opens.
    void addressOpened(const QString& address);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void MakeFonts();
    // The fonts of the three texts for a normal font of pixels pixels.
    void SetFonts(int pixels);
    QRect LogoRect() const;
    // Where each text goes, left to right: its font, text and box.
    struct Piece {
        const QFont* font;
        QString text;
        QRect box;
    };
    std::vector<Piece> Layout() const;

    QFont bold_, normal_, underlined_;
    int fontHeight_ = 0;
    int fontWidth_ = 0;
    QPixmap logo_;
};
