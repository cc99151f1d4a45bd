// Artwork.cpp: the converter's pictures, drawn with QPainter so that every size stays sharp.
#include "Artwork.h"

#include <QPainter>

namespace {
const QColor kInk(0x1f, 0x2a, 0x44);
const QColor kCase(0x3b, 0x5b, 0x8c);
const QColor kScreen(0xc8, 0xd8, 0xa8);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kAccent(0xe0, 0x8a, 0x1e);

// The letter T as a 5 x 7 bitmap glyph, the kind of font the converter makes.
constexpr const char* kGlyphT[] = {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."};

// A handheld in the square (0, 0, s, s): case, screen, the glyph on the screen, four buttons.
void drawHandheld(QPainter& p, qreal s) {
    p.setPen(Qt::NoPen);
    p.setBrush(kCase);
    p.drawRoundedRect(QRectF(s * 0.18, 0, s * 0.64, s), s * 0.08, s * 0.08);
    const QRectF screen(s * 0.25, s * 0.08, s * 0.50, s * 0.56);
    p.setBrush(kScreen);
    p.drawRect(screen);
    const qreal cell = screen.width() / 7.0;
    const QPointF origin(screen.left() + cell, screen.top() + (screen.height() - 7 * cell) / 2);
    p.setBrush(kInk);
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
            if (kGlyphT[row][col] == '#') p.drawRect(QRectF(origin.x() + col * cell, origin.y() + row * cell, cell, cell));
    p.setBrush(kScreen);
    for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(s * (0.30 + i * 0.133), s * 0.82), s * 0.045, s * 0.045);
}
}  // namespace

QPixmap ConverterLogo(int height) {
    const int h = std::max(height, 8);
    QPixmap pixmap(h * 3 / 2, h);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawHandheld(p, h);
    // A sheet of type behind the handheld's right side, the desktop's half of the story.
    p.setPen(QPen(kInk, std::max(1.0, h / 24.0)));
    p.setBrush(kPaper);
    const QRectF sheet(h * 0.86, h * 0.18, h * 0.58, h * 0.74);
    p.drawRect(sheet);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(sheet.left() + h * 0.08, sheet.top() + h * (0.10 + i * 0.15), sheet.width() * (i % 2 ? 0.5 : 0.72),
                          h * 0.06));
    return pixmap;
}

QPixmap ToolbarPixmap(ToolbarImage image) {
    QPixmap pixmap(16, 15);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(kInk);
    switch (image) {
    case ToolbarImage::New:  // a sheet with a folded corner
        p.setBrush(kPaper);
        p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(9, 1), QPoint(12, 4), QPoint(12, 13), QPoint(3, 13)}));
        p.drawLine(9, 1, 9, 4);
        p.drawLine(9, 4, 12, 4);
        break;
    case ToolbarImage::Open:  // an open folder
        p.setBrush(kAccent);
        p.drawPolygon(QPolygon({QPoint(1, 3), QPoint(5, 3), QPoint(6, 4), QPoint(12, 4), QPoint(12, 12), QPoint(1, 12)}));
        p.setBrush(QColor(0xf4, 0xc0, 0x6a));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(12, 12), QPoint(1, 12)}));
        break;
    case ToolbarImage::Save:  // a disk
        p.setBrush(kCase);
        p.drawRect(1, 1, 13, 12);
        p.setBrush(kPaper);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(kScreen);
        p.drawRect(3, 8, 9, 5);
        break;
    case ToolbarImage::About:  // the logo's handheld
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(0.5, 0);
        drawHandheld(p, 15);
        break;
    }
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        drawHandheld(p, size);
        icon.addPixmap(pixmap);
    }
    return icon;
}
