// BannerBar.h: the main window's status bar, painted as the maker's banner: two black lines, the
// logo, the maker's name in bold, the slogan and the web address underlined. A click anywhere on
// it opens the web address.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QStatusBar>

class BannerBar final : public QStatusBar {
    Q_OBJECT
public:
    explicit BannerBar(QWidget* parent = nullptr);

    QSize sizeHint() const override;

signals:
    // Emitted with the address a click opens.
    void addressOpened(const QString& address);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void MakeFonts();

    QFont bold_, normal_, underlined_;
    int fontHeight_ = 0;
    QPixmap logo_;
};
